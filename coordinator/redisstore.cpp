#include "coordinator/redisstore.h"

#include <QSocketNotifier>
#include <QTimer>
#include <hiredis/hiredis.h>
#include <sys/time.h>

namespace {

constexpr qint64 kRetryAfterMs = 1000;
const QByteArray kPrefix = "spades:";

timeval timeoutOf(int ms)
{
    return timeval{ms / 1000, (ms % 1000) * 1000};
}

redisContext *connectTo(const QByteArray &host, int port, int timeoutMs)
{
    redisContext *context = redisConnectWithTimeout(host.constData(), port, timeoutOf(timeoutMs));
    if (!context)
        return nullptr;
    if (context->err || redisSetTimeout(context, timeoutOf(timeoutMs)) != REDIS_OK) {
        redisFree(context);
        return nullptr;
    }
    // A subscription only ever reads: without keepalive a server that
    // vanished behind a firewall would leave it waiting for good.
    redisEnableKeepAlive(context);
    return context;
}

void appendCommand(redisContext *context, const QList<QByteArray> &command)
{
    std::vector<const char *> argv;
    std::vector<size_t> lengths;
    for (const QByteArray &word : command) {
        argv.push_back(word.constData());
        lengths.push_back(size_t(word.size()));
    }
    redisAppendCommandArgv(context, int(argv.size()), argv.data(), lengths.data());
}

QByteArray ms(qint64 value)
{
    return QByteArray::number(qMax<qint64>(1, value));
}

} // namespace

// One subscription on a connection of its own, read when the event loop says
// bytes are waiting; it connects again a second after losing its server.
class RedisListener : public QObject
{
public:
    RedisListener(QByteArray host, int port, int timeoutMs, QByteArray channel,
                  std::function<void(const QByteArray &)> handler)
        : m_host(std::move(host)), m_port(port), m_timeoutMs(timeoutMs),
          m_channel(std::move(channel)), m_handler(std::move(handler))
    {
        m_retry.setSingleShot(true);
        m_retry.setInterval(int(kRetryAfterMs));
        QObject::connect(&m_retry, &QTimer::timeout, this, [this] { subscribe(); });
        subscribe();
    }
    ~RedisListener() override { stop(); }

private:
    void subscribe()
    {
        m_context = connectTo(m_host, m_port, m_timeoutMs);
        if (!m_context) {
            m_retry.start();
            return;
        }
        auto *reply = static_cast<redisReply *>(
            redisCommand(m_context, "SUBSCRIBE %b", m_channel.constData(), m_channel.size()));
        if (!reply) {
            stop();
            m_retry.start();
            return;
        }
        freeReplyObject(reply);
        m_notifier = new QSocketNotifier(m_context->fd, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { readable(); });
    }
    void readable()
    {
        if (redisBufferRead(m_context) != REDIS_OK) {
            stop();
            m_retry.start();
            return;
        }
        void *raw = nullptr;
        while (m_context && redisGetReplyFromReader(m_context, &raw) == REDIS_OK && raw) {
            auto *reply = static_cast<redisReply *>(raw);
            if (reply->type == REDIS_REPLY_ARRAY && reply->elements == 3 &&
                reply->element[2]->type == REDIS_REPLY_STRING)
                m_handler(QByteArray(reply->element[2]->str, qsizetype(reply->element[2]->len)));
            freeReplyObject(reply);
            raw = nullptr;
        }
    }
    void stop()
    {
        delete m_notifier;
        m_notifier = nullptr;
        if (m_context)
            redisFree(m_context);
        m_context = nullptr;
    }

    QByteArray m_host;
    int m_port;
    int m_timeoutMs;
    QByteArray m_channel;
    std::function<void(const QByteArray &)> m_handler;
    redisContext *m_context = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_retry;
};

void RedisStore::FreeReply::operator()(redisReply *reply) const
{
    freeReplyObject(reply);
}

RedisStore::RedisStore(QByteArray host, int port, int timeoutMs)
    : m_host(std::move(host)), m_port(port), m_timeoutMs(timeoutMs)
{
    connect();
}

RedisStore::~RedisStore()
{
    m_listeners.clear();
    disconnect();
}

bool RedisStore::connect()
{
    if (m_context)
        return true;
    if (m_sinceFailure.isValid() && m_sinceFailure.elapsed() < kRetryAfterMs)
        return false;
    m_context = connectTo(m_host, m_port, m_timeoutMs);
    if (!m_context)
        m_sinceFailure.start();
    return m_context != nullptr;
}

void RedisStore::disconnect()
{
    if (m_context)
        redisFree(m_context);
    m_context = nullptr;
    m_sinceFailure.start();
}

bool RedisStore::isUp()
{
    return connect();
}

std::optional<std::vector<RedisStore::Reply>>
RedisStore::run(const QList<QList<QByteArray>> &commands)
{
    if (!connect())
        return std::nullopt;
    for (const QList<QByteArray> &command : commands)
        appendCommand(m_context, command);
    std::vector<Reply> replies;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        void *raw = nullptr;
        if (redisGetReply(m_context, &raw) != REDIS_OK || !raw) {
            disconnect();
            return std::nullopt;
        }
        replies.emplace_back(static_cast<redisReply *>(raw));
    }
    return replies;
}

RedisStore::Reply RedisStore::runOne(const QList<QByteArray> &command)
{
    std::optional<std::vector<Reply>> replies = run({command});
    if (!replies)
        return nullptr;
    return std::move(replies->front());
}

std::optional<QByteArray> RedisStore::text(const QList<QByteArray> &command)
{
    const Reply reply = runOne(command);
    if (!reply || reply->type != REDIS_REPLY_STRING)
        return std::nullopt;
    return QByteArray(reply->str, qsizetype(reply->len));
}

bool RedisStore::claimTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs)
{
    const Reply reply =
        runOne({"SET", kPrefix + "table:" + code, record.serialize(), "PX", ms(ttlMs), "NX"});
    return reply && reply->type == REDIS_REPLY_STATUS;
}

void RedisStore::putTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs)
{
    runOne({"SET", kPrefix + "table:" + code, record.serialize(), "PX", ms(ttlMs)});
}

std::optional<TableRecord> RedisStore::table(const QByteArray &code)
{
    const std::optional<QByteArray> value = text({"GET", kPrefix + "table:" + code});
    return value ? TableRecord::parse(*value) : std::nullopt;
}

void RedisStore::dropTable(const QByteArray &code)
{
    runOne({"DEL", kPrefix + "table:" + code});
}

// A listing is the key "spades:listing:CODE" with an expiry, and its code a
// member of the sorted set "spades:listings" with every score 0, which Redis
// keeps in code order. A page is ZRANGEBYLEX from just past the cursor: a
// table that comes, goes or is refreshed moves no other, so paging neither
// repeats nor skips one that stays listed, and a page costs O(log N + page).
// SCAN would walk every key of the store (tries, tickets) in no fixed order,
// may repeat keys, and takes COUNT only as a hint.
//
// A member outlives its key when the listing lapses (its coordinator died).
// A page forgets each such member it meets, checking inside Redis that the
// key is still gone so a listing put back meanwhile stays; the coordinators
// walk the whole set now and then, so the set holds no more than what lapsed
// since the last walk.
namespace {

const QByteArray kListings = kPrefix + "listings";
const QByteArray kListing = kPrefix + "listing:";
const QByteArray kForgetLapsed = "for _, code in ipairs(ARGV) do "
                                 "if redis.call('EXISTS', KEYS[1] .. code) == 0 then "
                                 "redis.call('ZREM', KEYS[2], code) end end return 0";

} // namespace

void RedisStore::putListing(const QByteArray &code, const QByteArray &text, qint64 ttlMs)
{
    run({{"SET", kListing + code, text, "PX", ms(ttlMs)}, {"ZADD", kListings, "0", code}});
}

void RedisStore::dropListing(const QByteArray &code)
{
    run({{"DEL", kListing + code}, {"ZREM", kListings, code}});
}

ListingStretch RedisStore::listings(const QByteArray &after, int count)
{
    ListingStretch stretch;
    count = qMax(1, count);
    const Reply codes =
        runOne({"ZRANGEBYLEX", kListings, after.isEmpty() ? QByteArray("-") : '(' + after, "+",
                "LIMIT", "0", QByteArray::number(count)});
    if (!codes || codes->type != REDIS_REPLY_ARRAY || codes->elements == 0)
        return stretch;
    QList<QByteArray> get{"MGET"};
    for (size_t i = 0; i < codes->elements; ++i)
        get.append(kListing +
                   QByteArray(codes->element[i]->str, qsizetype(codes->element[i]->len)));
    const Reply values = runOne(get);
    if (!values || values->type != REDIS_REPLY_ARRAY || values->elements != codes->elements)
        return stretch;
    QList<QByteArray> lapsed{"EVAL", kForgetLapsed, "2", kListing, kListings};
    for (size_t i = 0; i < codes->elements; ++i) {
        const QByteArray code(codes->element[i]->str, qsizetype(codes->element[i]->len));
        const redisReply *value = values->element[i];
        if (value->type == REDIS_REPLY_STRING)
            stretch.found.append(
                StoredListing{code, QByteArray(value->str, qsizetype(value->len))});
        else
            lapsed.append(code);
        stretch.last = code;
    }
    if (lapsed.size() > 5)
        runOne(lapsed);
    // A full stretch may be the last; the next call then finds nothing.
    stretch.end = codes->elements < size_t(count);
    return stretch;
}

void RedisStore::putTicket(const QByteArray &ticket, const QByteArray &value, qint64 ttlMs)
{
    runOne({"SET", kPrefix + "ticket:" + ticket, value, "PX", ms(ttlMs)});
}

std::optional<QByteArray> RedisStore::ticket(const QByteArray &ticket)
{
    return text({"GET", kPrefix + "ticket:" + ticket});
}

std::optional<QByteArray> RedisStore::takeTicket(const QByteArray &ticket)
{
    // One atomic step, so two relays can never both use one ticket.
    return text({"GETDEL", kPrefix + "ticket:" + ticket});
}

qint64 RedisStore::countTry(const QByteArray &key, qint64 windowMs)
{
    const QByteArray name = kPrefix + "try:" + key;
    const auto replies = run({{"SET", name, "0", "PX", ms(windowMs), "NX"}, {"INCR", name}});
    if (!replies || replies->at(1)->type != REDIS_REPLY_INTEGER)
        return 0;
    return replies->at(1)->integer;
}

void RedisStore::putRelay(const RelayEntry &relay, qint64 ttlMs)
{
    run({{"SADD", kPrefix + "relays", relay.id},
         {"SET", kPrefix + "relay:" + relay.id,
          relay.address + ' ' + QByteArray::number(relay.load), "PX", ms(ttlMs)}});
}

void RedisStore::dropRelay(const QByteArray &id)
{
    run({{"SREM", kPrefix + "relays", id}, {"DEL", kPrefix + "relay:" + id}});
}

QList<RelayEntry> RedisStore::relays()
{
    QList<RelayEntry> found;
    const Reply members = runOne({"SMEMBERS", kPrefix + "relays"});
    if (!members || members->type != REDIS_REPLY_ARRAY || members->elements == 0)
        return found;
    QList<QByteArray> ids;
    QList<QByteArray> get{"MGET"};
    for (size_t i = 0; i < members->elements; ++i) {
        const redisReply *member = members->element[i];
        ids.append(QByteArray(member->str, qsizetype(member->len)));
        get.append(kPrefix + "relay:" + ids.back());
    }
    const Reply values = runOne(get);
    if (!values || values->type != REDIS_REPLY_ARRAY || values->elements != size_t(ids.size()))
        return found;
    QList<QByteArray> gone{"SREM", kPrefix + "relays"};
    for (qsizetype i = 0; i < ids.size(); ++i) {
        const redisReply *value = values->element[i];
        if (value->type != REDIS_REPLY_STRING) {
            gone.append(ids[i]);
            continue;
        }
        const QList<QByteArray> parts = QByteArray(value->str, qsizetype(value->len)).split(' ');
        found.append(RelayEntry{ids[i], parts.value(0), parts.value(1).toInt()});
    }
    // A relay whose entry expired has died: forget it.
    if (gone.size() > 2)
        runOne(gone);
    return found;
}

void RedisStore::post(const QByteArray &id, const QByteArray &line)
{
    runOne({"PUBLISH", kPrefix + "inbox:" + id, line});
}

void RedisStore::listen(const QByteArray &id, std::function<void(const QByteArray &)> handler)
{
    m_listeners.remove(id);
    if (handler)
        m_listeners.insert(id, std::make_shared<RedisListener>(m_host, m_port, m_timeoutMs,
                                                               kPrefix + "inbox:" + id,
                                                               std::move(handler)));
}
