#pragma once

#include "coordinator/coordinatorstore.h"

#include <QElapsedTimer>
#include <QHash>
#include <memory>

struct redisContext;
struct redisReply;
class RedisListener;

// The store in Redis, shared by every coordinator and relay that names the
// same server. Entries are keys under "spades:" with an expiry set by Redis
// itself; lines between coordinators go by publish and subscribe.
//
// Requests block for at most the timeout: Redis sits next to the coordinator
// and answers in well under a millisecond, and a Redis that does not answer
// is tried again at most once a second, so a dead store costs little time.
class RedisStore : public CoordinatorStore
{
public:
    RedisStore(QByteArray host, int port, int timeoutMs = 500);
    ~RedisStore() override;

    bool isUp() override;
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

private:
    struct FreeReply
    {
        void operator()(redisReply *reply) const;
    };
    using Reply = std::unique_ptr<redisReply, FreeReply>;

    bool connect();
    void disconnect();
    // Sends the commands in one round trip; the replies, or nothing on failure.
    std::optional<std::vector<Reply>> run(const QList<QList<QByteArray>> &commands);
    Reply runOne(const QList<QByteArray> &command);
    std::optional<QByteArray> text(const QList<QByteArray> &command);

    QByteArray m_host;
    int m_port = 0;
    int m_timeoutMs = 0;
    redisContext *m_context = nullptr;
    QElapsedTimer m_sinceFailure;
    QHash<QByteArray, std::shared_ptr<RedisListener>> m_listeners;
};
