#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <functional>
#include <optional>

// A listed table as the store keeps it under its code.
struct TableRecord
{
    QByteArray keyHash; // of the host's secret key: proves a moving host owns the code
    QByteArray owner;   // the coordinator the host is connected to
    QByteArray direct;  // the address the connect-back reached, empty when relayed

    QByteArray serialize() const;
    static std::optional<TableRecord> parse(QByteArrayView text);
    bool operator==(const TableRecord &) const = default;
};

struct RelayEntry
{
    QByteArray id;
    QByteArray address; // "host:port"
    int load = 0;       // connections it carries
    bool operator==(const RelayEntry &) const = default;
};

// A public listing as the store keeps it: the text is the coordinators' own
// (PublicListing::serialize), but other processes write it, so it is parsed
// again before anything believes it.
struct StoredListing
{
    QByteArray code;
    QByteArray text;
    bool operator==(const StoredListing &) const = default;
};

// A stretch of the listings in code order: those still listed, the last code
// looked at (where the next stretch starts), and whether the store ends here.
struct ListingStretch
{
    QList<StoredListing> found;
    QByteArray last;
    bool end = true;
};

// Everything coordinators and relays share. Each entry expires by itself, so
// nothing stays behind a process that dies; the Redis store lets any number of
// coordinators share it, the memory store serves one process.
class CoordinatorStore
{
public:
    virtual ~CoordinatorStore() = default;

    // Whether the store answers; a store that does not refuses every request.
    virtual bool isUp() = 0;

    // Lists a table under a code nobody holds; false when the code is taken.
    virtual bool claimTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs) = 0;
    // Lists or relists a table under its code, replacing what was there.
    virtual void putTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs) = 0;
    virtual std::optional<TableRecord> table(const QByteArray &code) = 0;
    virtual void dropTable(const QByteArray &code) = 0;

    // Public listings, by code, each kept until it is not put again in time.
    virtual void putListing(const QByteArray &code, const QByteArray &text, qint64 ttlMs) = 0;
    virtual void dropListing(const QByteArray &code) = 0;
    // Looks at up to `count` listings in code order, from the first code after
    // `after` (from the start when it is empty). Listings that lapsed are not
    // given, and are forgotten on the way.
    virtual ListingStretch listings(const QByteArray &after, int count) = 0;

    // A relay ticket: what it stands for, until it is used once or expires.
    virtual void putTicket(const QByteArray &ticket, const QByteArray &value, qint64 ttlMs) = 0;
    virtual std::optional<QByteArray> ticket(const QByteArray &ticket) = 0;
    virtual std::optional<QByteArray> takeTicket(const QByteArray &ticket) = 0;

    // Counts one try under `key` and gives the tries in the current window.
    virtual qint64 countTry(const QByteArray &key, qint64 windowMs) = 0;

    virtual void putRelay(const RelayEntry &relay, qint64 ttlMs) = 0;
    virtual void dropRelay(const QByteArray &id) = 0;
    virtual QList<RelayEntry> relays() = 0;

    // A line for the coordinator `id`, delivered to the handler that
    // coordinator gave `listen`; lost when nobody listens.
    virtual void post(const QByteArray &id, const QByteArray &line) = 0;
    virtual void listen(const QByteArray &id, std::function<void(const QByteArray &)> handler) = 0;
};
