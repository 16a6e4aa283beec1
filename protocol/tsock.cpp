#include "protocol/tsock.h"

#include "protocol/posixsocket.h"
#include "protocol/winsockerrors.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kReceiveArea = 32768;
constexpr int kBacklog = 5;

posixsocket::Keepalive g_keepalive;

} // namespace

TSock::TSock(QObject *parent) : QObject(parent) {}

void TSock::setKeepalive(const posixsocket::Keepalive &times)
{
    g_keepalive = times;
}

posixsocket::Keepalive TSock::keepalive()
{
    return g_keepalive;
}

TSock::~TSock()
{
    // Closing quietly: whoever would hear the report is going away too.
    cancelLookup();
    unwatch();
    if (m_fd >= 0)
        ::close(m_fd);
}

void TSock::setSocketType(TSocketType type)
{
    if (m_listening)
        throw ESockException("SocketType - Can't Assign Socket Type While Listening");
    if (m_connected)
        throw ESockException("SocketType - Can't Assign Socket Type While Connected");
    m_socketType = type;
}

void TSock::setHostName(const QString &host)
{
    if (m_connected)
        info(siLookup, "Setting HostName While Connected Has No Effect");
    m_hostName = host;
}

void TSock::setPortName(const QString &port)
{
    if (m_connected)
        info(siLookup, "Setting PortName While Connected Has No Effect");
    m_portName = port;
}

void TSock::info(TSocketInfo kind, const QByteArray &msg)
{
    if (!OnInfo)
        return;
    try {
        OnInfo(this, kind, msg);
    } catch (...) {
        throw ESockException("Error here");
    }
}

void TSock::setListen(bool listen)
{
    if (!listen) {
        if (!m_listening && m_fd < 0)
            return;
        m_listening = false;
        Close();
        info(siListen, "Listening Stopped");
        return;
    }
    if (m_listening) {
        info(siListen, "Listening Already Running");
        return;
    }
    if (m_fd >= 0 || m_lookup)
        throw ESockException("Listen - Socket Already In Use");
    if (m_socketType == stDatagram)
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    const int fd = posixsocket::listeningSocket(m_listenAddress, resolvePort());
    if (fd < 0)
        throw ESockException("Listen - Error Binding Socket");
    if (::listen(fd, kBacklog) != 0) {
        ::close(fd);
        throw ESockException("Listen - Error Starting Listen");
    }
    m_fd = fd;
    m_listening = true;
    m_readNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, [this] {
        guarded([this] {
            if (OnAccept) {
                OnAccept(this);
                return;
            }
            // Nobody takes the connection: drop it so the listener does not spin.
            TSock *dropped = nullptr;
            if (Accept(dropped)) {
                const std::unique_ptr<TSock> closedAsItGoes(dropped);
            }
        });
    });
    info(siListen, "Listening Started");
}

int TSock::localPort() const
{
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return 0;
    return posixsocket::portOf(local);
}

bool TSock::Accept(TSock *&newSock)
{
    if (!m_listening)
        throw ESockException("Accept - Socket Not In Listening Mode");
    sockaddr_storage peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept(m_fd, reinterpret_cast<sockaddr *>(&peer), &length);
    if (fd < 0) {
        const int code = errno;
        // The connection stays queued when the process is out of descriptors
        // or memory, so the listener would be woken again at once, forever.
        if (code != EAGAIN && code != EWOULDBLOCK && code != EINTR && code != ECONNABORTED)
            pauseAccepting();
        info(siAccept, "Could Not Accept Connection");
        return false;
    }
    newSock = acceptedSock(fd, posixsocket::peerText(peer));
    info(siAccept, "Created New TSock Structure");
    return true;
}

bool TSock::AcceptConnected(int fd, const QString &peer, TSock *&newSock)
{
    if (fd < 0)
        return false;
    if (!m_listening) {
        ::close(fd);
        throw ESockException("Accept - Socket Not In Listening Mode");
    }
    newSock = acceptedSock(fd, peer);
    info(siAccept, "Created New TSock Structure");
    return true;
}

TSock *TSock::acceptedSock(int fd, const QString &peer)
{
    posixsocket::setNonBlocking(fd);
    auto *accepted = new TSock(this);
    accepted->OnRead = OnRead;
    accepted->OnWrite = OnWrite;
    accepted->OnDisconnect = OnDisconnect;
    accepted->OnInfo = OnInfo;
    accepted->m_portName = m_portName;
    accepted->adoptConnected(fd, peer);
    return accepted;
}

void TSock::OpenConnected(int fd, const QString &peer)
{
    if (m_fd >= 0 || m_lookup)
        Close();
    if (fd < 0)
        return;
    posixsocket::setNonBlocking(fd);
    adoptConnected(fd, peer);
    QPointer<TSock> self(this);
    info(siConnect, "Non-Blocking Socket Connected");
    if (self && OnConnect)
        OnConnect(this);
    if (self)
        sendStep();
}

void TSock::pauseAccepting()
{
    if (!m_readNotifier)
        return;
    if (!m_acceptPause) {
        m_acceptPause = new QTimer(this);
        m_acceptPause->setSingleShot(true);
        m_acceptPause->setInterval(kAcceptPauseMs);
        connect(m_acceptPause, &QTimer::timeout, this, [this] {
            if (m_listening && m_readNotifier)
                m_readNotifier->setEnabled(true);
        });
    }
    m_readNotifier->setEnabled(false);
    m_acceptPause->start();
}

bool TSock::acceptPaused() const
{
    return m_listening && m_readNotifier && !m_readNotifier->isEnabled();
}

void TSock::adoptConnected(int fd, const QString &peer)
{
    m_fd = fd;
    m_connected = true;
    m_hostName = peer;
    posixsocket::tuneConnection(fd, g_keepalive);
    watch();
}

void TSock::watch()
{
    m_readNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this,
            [this] { guarded([this] { onReadable(); }); });
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this,
            [this] { guarded([this] { onWritable(); }); });
}

void TSock::unwatch()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
}

// Writability is only interesting while connecting or while bytes wait;
// otherwise the notifier would fire on every pass of an idle loop.
void TSock::updateWriteInterest()
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(m_connecting || !m_outgoing.isEmpty());
}

void TSock::Send(const QByteArray &text)
{
    if (m_fd < 0 && !m_lookup)
        throw ESockException("Send - Socket Not Connected");
    if (m_listening)
        throw ESockException("Send - Cannot Send On A Listener Socket");
    m_outgoing += text;
    if (m_outgoing.isEmpty())
        return;
    info(siSend, "Non-Blocking Outgoing Data");
    sendStep();
}

void TSock::sendStep()
{
    if (m_fd >= 0 && m_connected && !m_outgoing.isEmpty()) {
        const ssize_t taken =
            ::send(m_fd, m_outgoing.constData(), size_t(m_outgoing.size()), MSG_NOSIGNAL);
        if (taken > 0)
            m_outgoing.remove(0, taken);
    }
    updateWriteInterest();
}

QByteArray TSock::Receive()
{
    if (m_listening)
        throw ESockException("Receive - Cannot Receive On A Listener Socket");
    if (m_fd < 0 && m_incoming.isEmpty())
        throw ESockException("Receive - Socket Not Connected");
    QByteArray taken;
    taken.swap(m_incoming);
    return taken;
}

bool TSock::Close()
{
    bool closed = true;
    const bool wasListening = m_listening;
    if (m_acceptPause)
        m_acceptPause->stop();
    if (m_attemptTimer)
        m_attemptTimer->stop();
    cancelLookup();
    m_candidates.clear();
    unwatch();
    if (m_fd >= 0)
        closed = ::close(m_fd) == 0;
    m_fd = -1;
    m_connected = false;
    m_connecting = false;
    m_listening = false;
    m_outgoing.clear();
    if (!wasListening) {
        try {
            info(siClose, "Socket Closed");
        } catch (...) {
        }
    }
    return closed;
}

void TSock::onReadable()
{
    if (m_fd < 0)
        return;
    // A connect that fails wakes the reader too; it is settled as a connect,
    // so that the next address gets its turn.
    if (m_connecting) {
        onWritable();
        return;
    }
    char area[kReceiveArea];
    const ssize_t got = ::recv(m_fd, area, sizeof area, 0);
    if (got < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return;
        handleError(winsock::fromErrno(errno));
        return;
    }
    if (got == 0) {
        peerClosed();
        return;
    }
    m_incoming.append(area, got);
    QPointer<TSock> self(this);
    info(siReceive, "Non-Blocking Incoming Data");
    if (self && OnRead)
        OnRead(this, int(m_incoming.size()));
}

void TSock::onWritable()
{
    if (m_fd < 0)
        return;
    if (m_connecting) {
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length);
        m_connecting = false;
        if (m_attemptTimer)
            m_attemptTimer->stop();
        if (error != 0 && m_nextCandidate < m_candidates.size()) {
            unwatch();
            ::close(m_fd);
            m_fd = -1;
            tryNextAddress();
            return;
        }
        if (error != 0) {
            handleError(winsock::fromErrno(error));
            return;
        }
        m_connected = true;
        posixsocket::tuneConnection(m_fd, g_keepalive);
        QPointer<TSock> self(this);
        info(siConnect, "Non-Blocking Socket Connected");
        if (self && OnConnect)
            OnConnect(this);
        if (self)
            sendStep();
        return;
    }
    if (!m_outgoing.isEmpty())
        sendStep();
    QPointer<TSock> self(this);
    info(siSend, "Non-Blocking Outgoing Data");
    if (self && OnWrite)
        OnWrite(this);
}

void TSock::handleError(int code)
{
    QPointer<TSock> self(this);
    if (!m_connected) {
        // A connect that failed leaves the socket open and idle; stop watching
        // so an error state does not wake the loop again and again.
        unwatch();
        info(siError, winsock::errorText(code));
        return;
    }
    info(siError, winsock::errorText(code));
    // A connection that died with an error is as gone as one closed in order;
    // treating it the same frees whatever the peer held.
    if (self)
        peerClosed();
}

void TSock::peerClosed()
{
    QPointer<TSock> self(this);
    if (OnDisconnect)
        OnDisconnect(this);
    if (self)
        Close();
}
