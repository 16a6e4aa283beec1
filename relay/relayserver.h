#pragma once

#include "coordinator/coordinatorstore.h"
#include "coordinator/relaypreamble.h"
#include "relay/relaylimits.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

// A relay: takes connections, reads each one's preamble, pairs a joiner and a
// host that show the same ticket, and hands the two to a RelayPair. A joiner's
// ticket is used up in the store when it arrives, so it works once; a host's
// is only looked at. The relay announces itself and its load to the store, so
// coordinators can find it and pick the least loaded one.
class RelayServer : public QObject
{
    Q_OBJECT
public:
    // `advertised` is the address joiners and hosts connect to ("host:port");
    // empty means the listening port on 127.0.0.1, for tests.
    RelayServer(QByteArray id, CoordinatorStore &store, RelayLimits limits = {},
                QObject *parent = nullptr);
    ~RelayServer() override;

    bool listen(const QHostAddress &address, quint16 port, const QByteArray &advertised = {});
    quint16 port() const { return m_server.serverPort(); }
    const QByteArray &id() const { return m_id; }
    QByteArray advertised() const { return m_advertised; }

    int pairs() const { return m_pairs; }
    int waiting() const { return int(m_waiting.size()); }
    int connections() const { return m_connections; }

    static constexpr char kBadPreamble[] = "bad preamble";
    static constexpr char kBadTicket[] = "unknown or used ticket";
    static constexpr char kTooMany[] = "too many connections";
    static constexpr char kNoPeer[] = "the other side did not come";

private:
    struct Waiting
    {
        QTcpSocket *socket = nullptr;
        relay::Role role = relay::Role::Join;
    };

    void accept();
    void readPreamble(QTcpSocket *socket);
    void admit(QTcpSocket *socket, const relay::Preamble &preamble);
    bool ticketIsForUs(const std::optional<QByteArray> &value) const;
    void refuse(QTcpSocket *socket, const char *why);
    void forget(QTcpSocket *socket);
    void announce();

    QByteArray m_id;
    CoordinatorStore &m_store;
    RelayLimits m_limits;
    QTcpServer m_server;
    QByteArray m_advertised;
    QTimer m_announce;
    QHash<QByteArray, Waiting> m_waiting; // ticket -> the side that came first
    QHash<QByteArray, int> m_perBlock;    // open connections per address block
    int m_connections = 0;
    int m_pairs = 0;
};
