#pragma once

#include "coordinator/coordinatorstore.h"

#include <QHash>
#include <QMap>
#include <functional>

// The store in this process's memory, on a clock it is given: the coordinator
// without Redis, and the coordinators and relays of one test.
class MemoryStore : public CoordinatorStore
{
public:
    explicit MemoryStore(std::function<qint64()> clock);

    bool isUp() override { return true; }
    bool claimTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs) override;
    void putTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs) override;
    std::optional<TableRecord> table(const QByteArray &code) override;
    void dropTable(const QByteArray &code) override;
    void putListing(const QByteArray &code, const QByteArray &text, qint64 ttlMs) override;
    void dropListing(const QByteArray &code) override;
    ListingStretch listings(const QByteArray &after, int count) override;
    void putTicket(const QByteArray &ticket, const QByteArray &value, qint64 ttlMs) override;
    std::optional<QByteArray> ticket(const QByteArray &ticket) override;
    std::optional<QByteArray> takeTicket(const QByteArray &ticket) override;
    qint64 countTry(const QByteArray &key, qint64 windowMs) override;
    void putRelay(const RelayEntry &relay, qint64 ttlMs) override;
    void dropRelay(const QByteArray &id) override;
    QList<RelayEntry> relays() override;
    void post(const QByteArray &id, const QByteArray &line) override;
    void listen(const QByteArray &id, std::function<void(const QByteArray &)> handler) override;

    // Entries held, expired ones included until they are next swept.
    qsizetype size() const { return m_entries.size() + m_listings.size(); }

private:
    struct Entry
    {
        QByteArray value;
        qint64 expiresAt = 0;
    };
    std::optional<QByteArray> get(const QByteArray &key);
    void put(const QByteArray &key, const QByteArray &value, qint64 ttlMs);
    void sweep();

    std::function<qint64()> m_clock;
    QHash<QByteArray, Entry> m_entries;
    QMap<QByteArray, Entry> m_listings; // by code: pages follow its order
    QHash<QByteArray, std::function<void(const QByteArray &)>> m_listeners;
    qint64 m_nextSweep = 0;
};
