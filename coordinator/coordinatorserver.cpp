#include "coordinator/coordinatorserver.h"

#include "coordinator/tablegreeting.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QWebSocket>

CoordinatorServer::CoordinatorServer(QByteArray id, CoordinatorStore &store,
                                     CoordinatorLimits limits, CoordinatorServerLimits serverLimits,
                                     QObject *parent)
    : QObject(parent), m_serverLimits(serverLimits),
      m_core((m_clock.start(), std::move(id)), *this, store, limits)
{
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, [this] {
        m_core.tick();
        closeNonReaders();
    });
}

CoordinatorServer::~CoordinatorServer()
{
    for (QWebSocket *socket : std::as_const(m_sockets))
        disconnect(socket, nullptr, this, nullptr);
}

bool CoordinatorServer::listen(const QHostAddress &address, quint16 port,
                               const std::optional<QSslConfiguration> &tls)
{
    m_server = std::make_unique<QWebSocketServer>(QStringLiteral("spades-coordinator"),
                                                  tls ? QWebSocketServer::SecureMode
                                                      : QWebSocketServer::NonSecureMode);
    if (tls)
        m_server->setSslConfiguration(*tls);
    m_server->setHandshakeTimeout(std::chrono::milliseconds(5000));
    connect(m_server.get(), &QWebSocketServer::newConnection, this, &CoordinatorServer::accept);
    // Out of descriptors the server stops accepting; it tries again shortly
    // instead of staying deaf until restarted.
    connect(m_server.get(), &QWebSocketServer::acceptError, this, [this] {
        QTimer::singleShot(kAcceptPauseMs, this, [this] {
            if (m_server)
                m_server->resumeAccepting();
        });
    });
    return m_server->listen(address, port);
}

quint16 CoordinatorServer::port() const
{
    return m_server ? m_server->serverPort() : 0;
}

QString CoordinatorServer::errorString() const
{
    return m_server ? m_server->errorString() : QString();
}

void CoordinatorServer::accept()
{
    while (QWebSocket *socket = m_server->nextPendingConnection()) {
        // Owned here, so none outlives the server, not even one whose
        // deletion is still pending.
        socket->setParent(this);
        const QByteArray block = reach::blockOf(socket->peerAddress());
        if (m_perBlock.value(block) >= m_serverLimits.perAddress ||
            m_sockets.size() >= m_serverLimits.connections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        const int n = ++m_next;
        ++m_perBlock[block];
        socket->setProperty("block", block);
        socket->setMaxAllowedIncomingMessageSize(coord::kLongestLine);
        socket->setMaxAllowedIncomingFrameSize(coord::kLongestLine);
        socket->setReadBufferSize(4 * coord::kLongestLine);
        m_sockets.insert(n, socket);
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, n](const QString &text) { m_core.received(n, text.toUtf8()); });
        // Nothing in this protocol is binary.
        connect(socket, &QWebSocket::binaryMessageReceived, this, [this, n] { cutOff(n); });
        connect(socket, &QWebSocket::disconnected, this, [this, n] { gone(n); });
        m_core.connected(n, socket->peerAddress());
        if (!m_tick.isActive())
            m_tick.start();
    }
}

void CoordinatorServer::gone(int n)
{
    if (QWebSocket *socket = forget(n)) {
        socket->deleteLater();
        m_core.disconnected(n);
    }
}

QWebSocket *CoordinatorServer::forget(int n)
{
    QWebSocket *socket = m_sockets.take(n);
    if (!socket)
        return nullptr;
    disconnect(socket, nullptr, this, nullptr);
    const QByteArray block = socket->property("block").toByteArray();
    if (--m_perBlock[block] <= 0)
        m_perBlock.remove(block);
    if (m_sockets.isEmpty())
        m_tick.stop();
    return socket;
}

// Pongs are sent by the socket itself, unasked of the core: a peer that pings
// without reading is found here, by what waits for it.
void CoordinatorServer::closeNonReaders()
{
    QList<int> stuck;
    for (auto it = m_sockets.cbegin(); it != m_sockets.cend(); ++it) {
        if (it.value()->bytesToWrite() > m_serverLimits.unsentBytes)
            stuck.append(it.key());
    }
    for (const int n : stuck)
        cutOff(n);
}

// Closes a connection the core did not ask to close, and tells it.
void CoordinatorServer::cutOff(int n)
{
    if (!m_sockets.contains(n))
        return;
    close(n);
    m_core.disconnected(n);
}

void CoordinatorServer::send(int n, const QByteArray &line)
{
    QWebSocket *socket = m_sockets.value(n);
    if (!socket)
        return;
    if (socket->bytesToWrite() > m_serverLimits.unsentBytes) {
        // A peer that does not read what it asked for is not served further.
        QMetaObject::invokeMethod(
            this, [this, n] { cutOff(n); }, Qt::QueuedConnection);
        return;
    }
    socket->sendTextMessage(QString::fromLatin1(line));
}

void CoordinatorServer::close(int n)
{
    if (QWebSocket *socket = forget(n)) {
        socket->abort();
        socket->deleteLater();
    }
}

void CoordinatorServer::probe(int n, const Endpoint &candidate)
{
    if (m_probes >= m_serverLimits.probes) {
        QMetaObject::invokeMethod(
            this, [this, n, candidate] { m_core.probeDone(n, candidate, false); },
            Qt::QueuedConnection);
        return;
    }
    ++m_probes;
    auto *socket = new QTcpSocket(this);
    socket->setReadBufferSize(reach::kLongestGreeting);
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    auto decided = std::make_shared<bool>(false);
    const auto decide = [this, n, candidate, socket, decided](bool greeted) {
        if (*decided)
            return;
        *decided = true;
        --m_probes;
        socket->abort();
        socket->deleteLater();
        m_core.probeDone(n, candidate, greeted);
    };
    connect(deadline, &QTimer::timeout, socket, [decide] { decide(false); });
    connect(socket, &QTcpSocket::errorOccurred, socket, [decide] { decide(false); });
    connect(socket, &QTcpSocket::readyRead, socket, [socket, decide] {
        const std::optional<bool> greeted =
            reach::isTableGreeting(socket->peek(reach::kLongestGreeting));
        if (greeted)
            decide(*greeted);
    });
    deadline->start(m_serverLimits.probeMs);
    socket->connectToHost(QString::fromLatin1(candidate.host), candidate.port);
}

qint64 CoordinatorServer::now() const
{
    return m_clock.elapsed();
}

QByteArray CoordinatorServer::randomBytes(int count)
{
    QByteArray bytes(count, '\0');
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    return bytes;
}
