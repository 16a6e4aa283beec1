#pragma once

#include "coordinator/coordinatormessages.h"
#include "coordinator/coordinatorport.h"
#include "coordinator/coordinatorstore.h"

#include <QHash>
#include <QHostAddress>

// How long things live and how much one address may ask for.
struct CoordinatorLimits
{
    // A table not heard from this long is unlisted; hosts beat every 30 s.
    qint64 tableTtlMs = 60000;
    // A relay ticket that has not been used this long is void.
    qint64 ticketTtlMs = 60000;
    // A connection must say something this soon after it opens, and is
    // closed when silent this long afterwards.
    qint64 firstLineMs = 10000;
    qint64 idleMs = 90000;
    // Lines per second a connection may send on average, and in a burst;
    // more closes it.
    int linesPerSecond = 5;
    int lineBurst = 20;
    // Tries one address (an IPv6 /64) may make in a minute: joins by code,
    // and tables it lists. At 30 a minute, hitting one of a thousand listed
    // tables by guessing forty-bit codes takes some 70 years on average.
    int joinsPerMinute = 30;
    int hostsPerMinute = 10;
    // A table's public listing is written at most once in this time; what it
    // says in between is coalesced into its latest word, written when the
    // time is up. An address (its tables together) may have this many
    // listings written a minute, and ask for this many pages of tables.
    qint64 listingGapMs = 5000;
    int listingsPerMinute = 60;
    int queriesPerMinute = 120;
    // Listings in one page, and listings looked at to fill one at most.
    int pageSize = 50;
    int scanBudget = 1000;
};

// The coordinator as a state machine without I/O: it lists tables under
// invite codes, has their addresses checked by connecting back, answers joins
// with the table's address or a relay and a ticket, and asks hosts to meet
// their joiners at the relay. All it shares with other coordinators is in the
// store; it acts only through its port.
class CoordinatorCore
{
public:
    CoordinatorCore(QByteArray id, CoordinatorPort &port, CoordinatorStore &store,
                    CoordinatorLimits limits = {});
    ~CoordinatorCore();
    CoordinatorCore(const CoordinatorCore &) = delete;
    CoordinatorCore &operator=(const CoordinatorCore &) = delete;

    void connected(int n, const QHostAddress &peer);
    void received(int n, QByteArrayView line);
    void disconnected(int n);
    void probeDone(int n, const Endpoint &candidate, bool greeted);
    // Once a second while connections are open: closes silent ones.
    void tick();

    const QByteArray &id() const { return m_id; }
    int connections() const { return int(m_connections.size()); }
    int tablesHere() const { return int(m_hostOf.size()); }

private:
    struct Connection
    {
        QHostAddress peer;
        qint64 openedAt = 0;
        qint64 lastHeard = 0;
        bool spoke = false;
        double allowance = 0; // lines it may still send at once
        QByteArray code;      // the table it lists, if any
        QByteArray keyHash;
        int probesPending = 0;
        std::optional<Endpoint> found;
        std::optional<PublicListing> listing; // as the store has it
        std::optional<PublicListing> pending; // newer, waiting for its turn
        std::optional<qint64> listingWrittenAt;
    };

    void handle(int n, Connection &connection, const coord::toCoordinator::Host &host);
    void listUnder(int n, Connection &connection, const QByteArray &code, const TableRecord &record,
                   const coord::toCoordinator::Host &host);
    void handle(int n, Connection &connection, const coord::toCoordinator::Beat &beat);
    void handle(int n, Connection &connection, const coord::toCoordinator::Leave &leave);
    void handle(int n, Connection &connection, const coord::toCoordinator::Join &join);
    void handle(int n, Connection &connection, const coord::toCoordinator::List &list);
    void handle(int n, Connection &connection, const coord::toCoordinator::Unlist &unlist);
    void handle(int n, Connection &connection, const coord::toCoordinator::Tables &tables);
    void writePendingListing(Connection &connection);
    void publish(Connection &connection, const TableRecord &record);
    void unlist(Connection &connection, bool fromStore);
    bool stillOwns(const Connection &connection);
    void walkListings();
    void refuse(int n, const char *reason);
    void drop(int n);
    bool withinAllowance(Connection &connection);
    bool tooManyTries(const Connection &connection, const char *kind, int perMinute);
    std::optional<QByteArray> claimNewCode(const TableRecord &record);
    TableRecord relist(const Connection &connection);
    void settleReach(int n, Connection &connection);
    void openForHost(const QByteArray &line);
    QByteArray secret();

    QByteArray m_id;
    CoordinatorPort &m_port;
    CoordinatorStore &m_store;
    CoordinatorLimits m_limits;
    QHash<int, Connection> m_connections;
    QHash<QByteArray, int> m_hostOf; // code -> connection listing it here
    QByteArray m_walkedTo;           // how far the walk over the listings has come
    qint64 m_nextWalk = 0;
};
