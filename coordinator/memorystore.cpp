#include "coordinator/memorystore.h"

namespace {

// Expired entries are swept at most this often, so a flood of short-lived
// tries or tickets costs memory for one window at most.
constexpr qint64 kSweepEveryMs = 10000;

} // namespace

MemoryStore::MemoryStore(std::function<qint64()> clock) : m_clock(std::move(clock)) {}

std::optional<QByteArray> MemoryStore::get(const QByteArray &key)
{
    sweep();
    const auto found = m_entries.constFind(key);
    if (found == m_entries.cend() || found->expiresAt <= m_clock())
        return std::nullopt;
    return found->value;
}

void MemoryStore::put(const QByteArray &key, const QByteArray &value, qint64 ttlMs)
{
    sweep();
    m_entries.insert(key, Entry{value, m_clock() + ttlMs});
}

void MemoryStore::sweep()
{
    const qint64 now = m_clock();
    if (now < m_nextSweep)
        return;
    m_nextSweep = now + kSweepEveryMs;
    m_entries.removeIf([now](const auto &entry) { return entry.value().expiresAt <= now; });
    m_listings.removeIf([now](const auto &entry) { return entry.value().expiresAt <= now; });
}

bool MemoryStore::claimTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs)
{
    if (get("table:" + code))
        return false;
    put("table:" + code, record.serialize(), ttlMs);
    return true;
}

void MemoryStore::putTable(const QByteArray &code, const TableRecord &record, qint64 ttlMs)
{
    put("table:" + code, record.serialize(), ttlMs);
}

std::optional<TableRecord> MemoryStore::table(const QByteArray &code)
{
    const std::optional<QByteArray> text = get("table:" + code);
    return text ? TableRecord::parse(*text) : std::nullopt;
}

void MemoryStore::dropTable(const QByteArray &code)
{
    m_entries.remove("table:" + code);
}

void MemoryStore::putListing(const QByteArray &code, const QByteArray &text, qint64 ttlMs)
{
    sweep();
    m_listings.insert(code, Entry{text, m_clock() + ttlMs});
}

void MemoryStore::dropListing(const QByteArray &code)
{
    m_listings.remove(code);
}

ListingStretch MemoryStore::listings(const QByteArray &after, int count)
{
    sweep();
    const qint64 now = m_clock();
    ListingStretch stretch;
    auto it = after.isEmpty() ? m_listings.begin() : m_listings.upperBound(after);
    for (int looked = 0; it != m_listings.end() && looked < count; ++looked) {
        stretch.last = it.key();
        if (it->expiresAt <= now) {
            it = m_listings.erase(it);
            continue;
        }
        stretch.found.append(StoredListing{it.key(), it->value});
        ++it;
    }
    stretch.end = it == m_listings.end();
    return stretch;
}

void MemoryStore::putTicket(const QByteArray &ticket, const QByteArray &value, qint64 ttlMs)
{
    put("ticket:" + ticket, value, ttlMs);
}

std::optional<QByteArray> MemoryStore::ticket(const QByteArray &ticket)
{
    return get("ticket:" + ticket);
}

std::optional<QByteArray> MemoryStore::takeTicket(const QByteArray &ticket)
{
    std::optional<QByteArray> value = get("ticket:" + ticket);
    m_entries.remove("ticket:" + ticket);
    return value;
}

qint64 MemoryStore::countTry(const QByteArray &key, qint64 windowMs)
{
    const QByteArray name = "try:" + key;
    const qint64 count = get(name).value_or("0").toLongLong() + 1;
    const auto found = m_entries.find(name);
    if (found != m_entries.end() && found->expiresAt > m_clock())
        found->value = QByteArray::number(count);
    else
        put(name, QByteArray::number(count), windowMs);
    return count;
}

void MemoryStore::putRelay(const RelayEntry &relay, qint64 ttlMs)
{
    put("relay:" + relay.id, relay.address + ' ' + QByteArray::number(relay.load), ttlMs);
}

void MemoryStore::dropRelay(const QByteArray &id)
{
    m_entries.remove("relay:" + id);
}

QList<RelayEntry> MemoryStore::relays()
{
    sweep();
    QList<RelayEntry> found;
    const qint64 now = m_clock();
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (!it.key().startsWith("relay:") || it->expiresAt <= now)
            continue;
        const QList<QByteArray> parts = it->value.split(' ');
        found.append(RelayEntry{it.key().sliced(6), parts.value(0), parts.value(1).toInt()});
    }
    return found;
}

void MemoryStore::post(const QByteArray &id, const QByteArray &line)
{
    const auto listener = m_listeners.constFind(id);
    if (listener != m_listeners.cend())
        (*listener)(line);
}

void MemoryStore::listen(const QByteArray &id, std::function<void(const QByteArray &)> handler)
{
    if (handler)
        m_listeners.insert(id, std::move(handler));
    else
        m_listeners.remove(id);
}
