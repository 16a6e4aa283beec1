#include "coordinator/coordinatorcore.h"

#include "protocol/invitecode.h"

#include <QCryptographicHash>
#include <algorithm>

using namespace coord;

namespace {

constexpr qint64 kMinuteMs = 60000;

QByteArray hashOf(const QByteArray &key)
{
    return QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
}

} // namespace

CoordinatorCore::CoordinatorCore(QByteArray id, CoordinatorPort &port, CoordinatorStore &store,
                                 CoordinatorLimits limits)
    : m_id(std::move(id)), m_port(port), m_store(store), m_limits(limits)
{
    m_store.listen(m_id, [this](const QByteArray &line) { openForHost(line); });
}

CoordinatorCore::~CoordinatorCore()
{
    m_store.listen(m_id, {});
}

void CoordinatorCore::connected(int n, const QHostAddress &peer)
{
    const qint64 now = m_port.now();
    Connection connection;
    connection.peer = peer;
    connection.openedAt = connection.lastHeard = now;
    connection.allowance = m_limits.lineBurst;
    m_connections.insert(n, connection);
}

void CoordinatorCore::disconnected(int n)
{
    const auto found = m_connections.find(n);
    if (found == m_connections.end())
        return;
    // The code stays until it expires: a host that lost its coordinator comes
    // back through another one with the same code. Strangers, though, are
    // shown only tables that are here, unless the table has moved on and
    // listed itself through another coordinator already.
    if (!found->code.isEmpty()) {
        m_hostOf.remove(found->code);
        if (found->listing)
            unlist(*found, stillOwns(*found));
    }
    m_connections.erase(found);
}

bool CoordinatorCore::stillOwns(const Connection &connection)
{
    const std::optional<TableRecord> listed = m_store.table(connection.code);
    return listed && listed->keyHash == connection.keyHash && listed->owner == m_id;
}

void CoordinatorCore::drop(int n)
{
    disconnected(n);
    m_port.close(n);
}

void CoordinatorCore::refuse(int n, const char *reason)
{
    m_port.send(n, fromCoordinator::Refused{reason}.encode());
}

bool CoordinatorCore::withinAllowance(Connection &connection)
{
    const qint64 now = m_port.now();
    const double earned = double(now - connection.lastHeard) * m_limits.linesPerSecond / 1000.0;
    connection.allowance = std::min(double(m_limits.lineBurst), connection.allowance + earned);
    connection.lastHeard = now;
    if (connection.allowance < 1)
        return false;
    connection.allowance -= 1;
    return true;
}

void CoordinatorCore::received(int n, QByteArrayView line)
{
    const auto found = m_connections.find(n);
    if (found == m_connections.end())
        return;
    Connection &connection = *found;
    if (!withinAllowance(connection)) {
        drop(n);
        return;
    }
    connection.spoke = true;
    const std::optional<ToCoordinator> message = decodeToCoordinator(line);
    if (!message) {
        // Nobody speaking this protocol sends such a line: no second chance.
        drop(n);
        return;
    }
    if (!m_store.isUp()) {
        refuse(n, refusal::kStoreDown);
        return;
    }
    std::visit([&](const auto &decoded) { handle(n, connection, decoded); }, *message);
}

bool CoordinatorCore::tooManyTries(const Connection &connection, const char *kind, int perMinute)
{
    const QByteArray key = QByteArray(kind) + ':' + reach::blockOf(connection.peer);
    return m_store.countTry(key, kMinuteMs) > perMinute;
}

QByteArray CoordinatorCore::secret()
{
    return m_port.randomBytes(kSecretLength / 2).toHex();
}

std::optional<QByteArray> CoordinatorCore::claimNewCode(const TableRecord &record)
{
    // With a million tables listed, one try in a million hits a taken code.
    for (int attempt = 0; attempt < 4; ++attempt) {
        quint64 bits = 0;
        for (const char byte : m_port.randomBytes(5))
            bits = bits << 8 | static_cast<unsigned char>(byte);
        const QByteArray code = invite::fromBits(bits);
        if (m_store.claimTable(code, record, m_limits.tableTtlMs))
            return code;
    }
    return std::nullopt;
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Host &host)
{
    if (!connection.code.isEmpty()) {
        refuse(n, refusal::kAlreadyHosting);
        return;
    }
    if (tooManyTries(connection, "host", m_limits.hostsPerMinute)) {
        refuse(n, refusal::kTooManyTries);
        return;
    }
    TableRecord record{hashOf(host.key), m_id, {}};
    QByteArray code;
    if (host.code) {
        // A host that moved here from another coordinator keeps its code, and
        // its table stays reachable the way it was while it is checked again.
        code = *host.code;
        const std::optional<TableRecord> listed = m_store.table(code);
        if (listed && listed->keyHash != record.keyHash) {
            refuse(n, refusal::kCodeTaken);
            return;
        }
        if (listed) {
            record.direct = listed->direct;
            m_store.putTable(code, record, m_limits.tableTtlMs);
        } else if (!m_store.claimTable(code, record, m_limits.tableTtlMs)) {
            // A store that failed on the way says nothing about the code: the
            // host must keep it and try again, not give it up.
            refuse(n, m_store.isUp() ? refusal::kCodeTaken : refusal::kStoreDown);
            return;
        }
    } else {
        const std::optional<QByteArray> claimed = claimNewCode(record);
        if (!claimed) {
            refuse(n, refusal::kStoreDown);
            return;
        }
        code = *claimed;
    }
    const auto earlier = m_hostOf.constFind(code);
    if (earlier != m_hostOf.cend() && *earlier != n) {
        drop(*earlier);
        // Erasing the earlier connection may have moved this one in the table.
        listUnder(n, m_connections[n], code, record, host);
        return;
    }
    listUnder(n, connection, code, record, host);
}

void CoordinatorCore::listUnder(int n, Connection &connection, const QByteArray &code,
                                const TableRecord &record, const toCoordinator::Host &host)
{
    connection.code = code;
    connection.keyHash = record.keyHash;
    m_hostOf.insert(code, n);
    m_port.send(n, fromCoordinator::Hosted{code}.encode());

    // Only a connection from outside proves a way in. The coordinator knocks
    // only at global addresses and at the one the host is seen from.
    QList<Endpoint> candidates{Endpoint::of(connection.peer, host.port)};
    for (const Endpoint &candidate : host.candidates) {
        const QHostAddress address = *candidate.address();
        if ((reach::isGlobal(address) || address.isEqual(connection.peer)) &&
            !candidates.contains(candidate))
            candidates.append(candidate);
    }
    connection.probesPending = int(candidates.size());
    connection.found.reset();
    for (const Endpoint &candidate : candidates)
        m_port.probe(n, candidate);
}

void CoordinatorCore::probeDone(int n, const Endpoint &candidate, bool greeted)
{
    const auto found = m_connections.find(n);
    if (found == m_connections.end() || found->probesPending == 0)
        return;
    Connection &connection = *found;
    --connection.probesPending;
    if (greeted && !connection.found)
        connection.found = candidate;
    // The first address that answered decides; when none does, the last
    // failure does.
    if (greeted || connection.probesPending == 0)
        settleReach(n, connection);
    if (greeted)
        connection.probesPending = 0;
}

void CoordinatorCore::settleReach(int n, Connection &connection)
{
    const TableRecord record = relist(connection);
    if (connection.listing)
        publish(connection, record);
    m_port.send(n, fromCoordinator::Reach{connection.found}.encode());
}

TableRecord CoordinatorCore::relist(const Connection &connection)
{
    TableRecord record{connection.keyHash, m_id, {}};
    if (connection.found)
        record.direct = connection.found->text();
    else if (connection.probesPending > 0) {
        // Still being checked: keep whatever was known before.
        if (const std::optional<TableRecord> listed = m_store.table(connection.code))
            record.direct = listed->direct;
    }
    m_store.putTable(connection.code, record, m_limits.tableTtlMs);
    return record;
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Beat &)
{
    if (connection.code.isEmpty()) {
        refuse(n, refusal::kNotHosting);
        return;
    }
    const std::optional<TableRecord> listed = m_store.table(connection.code);
    if (listed && listed->keyHash != connection.keyHash) {
        // The code lapsed and another table took it: this host must start over.
        unlist(connection, false);
        m_hostOf.remove(connection.code);
        connection.code.clear();
        refuse(n, refusal::kCodeTaken);
        return;
    }
    const TableRecord record = relist(connection);
    if (connection.listing)
        publish(connection, record);
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Leave &)
{
    if (connection.code.isEmpty()) {
        refuse(n, refusal::kNotHosting);
        return;
    }
    const std::optional<TableRecord> listed = m_store.table(connection.code);
    const bool owned = listed && listed->keyHash == connection.keyHash;
    if (owned)
        m_store.dropTable(connection.code);
    unlist(connection, owned);
    m_hostOf.remove(connection.code);
    connection.code.clear();
    connection.probesPending = 0;
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Join &join)
{
    if (tooManyTries(connection, "join", m_limits.joinsPerMinute)) {
        refuse(n, refusal::kTooManyTries);
        return;
    }
    const std::optional<TableRecord> listed = m_store.table(join.code);
    if (!listed) {
        refuse(n, m_store.isUp() ? refusal::kNoSuchTable : refusal::kStoreDown);
        return;
    }
    // The record may come from another coordinator; a direct address that
    // does not read as one is no way in.
    if (const std::optional<Endpoint> direct = Endpoint::parse(listed->direct)) {
        m_port.send(n, fromCoordinator::Direct{*direct}.encode());
        return;
    }
    QList<RelayEntry> relays = m_store.relays();
    relays.removeIf([](const RelayEntry &relay) { return !Endpoint::parse(relay.address); });
    if (relays.isEmpty()) {
        refuse(n, refusal::kNoRelay);
        return;
    }
    // The least loaded relay; among equals, any, so that coordinators
    // answering at the same moment spread their joiners.
    const int least = std::min_element(relays.cbegin(), relays.cend(), [](auto &a, auto &b) {
                          return a.load < b.load;
                      })->load;
    relays.removeIf([least](const RelayEntry &relay) { return relay.load != least; });
    const RelayEntry &relay =
        relays[static_cast<unsigned char>(m_port.randomBytes(1).at(0)) % relays.size()];

    const QByteArray ticket = secret();
    m_store.putTicket(ticket, join.code + ' ' + relay.id, m_limits.ticketTtlMs);
    if (!m_store.isUp()) {
        refuse(n, refusal::kStoreDown); // a ticket no relay would find
        return;
    }
    const fromCoordinator::Open open{*Endpoint::parse(relay.address), ticket};
    const OpenFor request{join.code, open};
    if (listed->owner == m_id)
        openForHost(request.encode());
    else
        m_store.post(listed->owner, request.encode());
    m_port.send(n, fromCoordinator::ViaRelay{open.relay, ticket}.encode());
}

void CoordinatorCore::openForHost(const QByteArray &line)
{
    // Lines arrive through the store, which other processes write to.
    const std::optional<OpenFor> request = OpenFor::decode(line);
    if (!request)
        return;
    const auto host = m_hostOf.constFind(request->code);
    if (host != m_hostOf.cend())
        m_port.send(*host, request->open.encode());
}

void CoordinatorCore::tick()
{
    const qint64 now = m_port.now();
    QList<int> silent;
    for (auto it = m_connections.cbegin(); it != m_connections.cend(); ++it) {
        if ((!it->spoke && now - it->openedAt >= m_limits.firstLineMs) ||
            now - it->lastHeard >= m_limits.idleMs)
            silent.append(it.key());
    }
    for (const int n : silent)
        drop(n);
    for (Connection &connection : m_connections) {
        if (connection.pending)
            writePendingListing(connection);
    }
    walkListings();
}
