#include "relay/relayserver.h"

#include "coordinator/endpoint.h"
#include "relay/relaypair.h"

#include <QTcpSocket>

using relay::Preamble;
using relay::Role;

namespace {

// Per socket: its address block, the deadline of what it waits for, and the
// ticket it waits with.
const char kBlock[] = "relayBlock";
const char kTicket[] = "relayTicket";

} // namespace

RelayServer::RelayServer(QByteArray id, CoordinatorStore &store, RelayLimits limits,
                         QObject *parent)
    : QObject(parent), m_id(std::move(id)), m_store(store), m_limits(limits)
{
    m_server.setMaxPendingConnections(64);
    connect(&m_server, &QTcpServer::pendingConnectionAvailable, this, &RelayServer::accept);
    // Out of descriptors the server stops accepting; it tries again shortly
    // instead of staying deaf until restarted.
    connect(&m_server, &QTcpServer::acceptError, this,
            [this] { QTimer::singleShot(1000, this, [this] { m_server.resumeAccepting(); }); });
    m_announce.setInterval(m_limits.announceMs);
    connect(&m_announce, &QTimer::timeout, this, &RelayServer::announce);
}

RelayServer::~RelayServer()
{
    // Sockets closing as they are deleted must not call back into a relay
    // that is going away.
    for (QObject *child : findChildren<QObject *>() + m_server.findChildren<QObject *>())
        disconnect(child, nullptr, this, nullptr);
    if (m_server.isListening())
        m_store.dropRelay(m_id);
}

bool RelayServer::listen(const QHostAddress &address, quint16 port, const QByteArray &advertised)
{
    if (!m_server.listen(address, port))
        return false;
    m_advertised = advertised.isEmpty() ? "127.0.0.1:" + QByteArray::number(m_server.serverPort())
                                        : advertised;
    announce();
    m_announce.start();
    return true;
}

void RelayServer::announce()
{
    m_store.putRelay(RelayEntry{m_id, m_advertised, 2 * m_pairs + int(m_waiting.size())},
                     m_limits.announceTtlMs);
}

void RelayServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const QByteArray block = reach::blockOf(socket->peerAddress());
        socket->setProperty(kBlock, block);
        ++m_connections;
        const int fromBlock = ++m_perBlock[block];
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        if (fromBlock > m_limits.perAddress || m_connections > m_limits.connections) {
            refuse(socket, kTooMany);
            continue;
        }
        // Until the preamble is in, a connection may not make us hold more.
        socket->setReadBufferSize(relay::kLongestLine);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readPreamble(socket); });
        auto *deadline = new QTimer(socket);
        deadline->setObjectName("deadline");
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, this, [this, socket] {
            refuse(socket, socket->property(kTicket).isValid() ? kNoPeer : kBadPreamble);
        });
        deadline->start(m_limits.preambleMs);
        readPreamble(socket);
    }
}

void RelayServer::readPreamble(QTcpSocket *socket)
{
    if (socket->property(kTicket).isValid())
        return; // waiting for its peer: what it sends waits in its buffer
    // Only the line is taken; whatever follows it belongs to the other side.
    const QByteArray head = socket->peek(relay::kLongestLine + 1);
    const qsizetype end = head.indexOf('\n');
    if (end < 0) {
        if (head.size() > relay::kLongestLine)
            refuse(socket, kBadPreamble);
        return;
    }
    socket->read(end + 1);
    const std::optional<Preamble> preamble = Preamble::decode(QByteArrayView(head).first(end));
    if (!preamble) {
        refuse(socket, kBadPreamble);
        return;
    }
    admit(socket, *preamble);
}

bool RelayServer::ticketIsForUs(const std::optional<QByteArray> &value) const
{
    return value && value->split(' ').value(1) == m_id;
}

void RelayServer::admit(QTcpSocket *socket, const Preamble &preamble)
{
    const auto found = m_waiting.find(preamble.ticket);
    const bool peerWaits = found != m_waiting.end() && found->role != preamble.role;
    if (found != m_waiting.end() && !peerWaits) {
        refuse(socket, kBadTicket);
        return;
    }
    // The joiner's arrival uses the ticket up; the host only shows it.
    const bool valid = preamble.role == Role::Join
                           ? ticketIsForUs(m_store.takeTicket(preamble.ticket))
                       : peerWaits ? true
                                   : ticketIsForUs(m_store.ticket(preamble.ticket));
    if (!valid) {
        refuse(socket, kBadTicket);
        return;
    }
    if (!peerWaits) {
        socket->setProperty(kTicket, preamble.ticket);
        socket->findChild<QTimer *>("deadline")->start(m_limits.pairingMs);
        m_waiting.insert(preamble.ticket, Waiting{socket, preamble.role});
        return;
    }
    QTcpSocket *other = found->socket;
    m_waiting.erase(found);
    for (QTcpSocket *side : {socket, other}) {
        delete side->findChild<QTimer *>("deadline");
        side->setProperty(kTicket, QVariant());
        disconnect(side, &QTcpSocket::readyRead, this, nullptr);
        side->write(relay::okLine());
    }
    ++m_pairs;
    auto *pair = new RelayPair(socket, other, m_limits, this);
    connect(pair, &RelayPair::finished, this, [this] { --m_pairs; });
    pair->start();
}

void RelayServer::refuse(QTcpSocket *socket, const char *why)
{
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    delete socket->findChild<QTimer *>("deadline");
    const QVariant ticket = socket->property(kTicket);
    if (ticket.isValid())
        m_waiting.remove(ticket.toByteArray());
    socket->setProperty(kTicket, QVariant());
    socket->write(relay::refusedLine(why));
    socket->disconnectFromHost();
    // A peer that never reads cannot hold the socket open past this.
    QTimer::singleShot(1000, socket, [socket] { socket->abort(); });
}

void RelayServer::forget(QTcpSocket *socket)
{
    const QByteArray block = socket->property(kBlock).toByteArray();
    if (--m_perBlock[block] <= 0)
        m_perBlock.remove(block);
    --m_connections;
    const QVariant ticket = socket->property(kTicket);
    if (ticket.isValid())
        m_waiting.remove(ticket.toByteArray());
    // A paired socket belongs to its pair, which deletes it.
    if (!qobject_cast<RelayPair *>(socket->parent()))
        socket->deleteLater();
}
