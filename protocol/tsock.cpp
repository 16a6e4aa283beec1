#include "protocol/tsock.h"

#include "protocol/addresstext.h"
#include "protocol/winsockerrors.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kReceiveArea = 32768;
constexpr int kBacklog = 5;

// Host names resolved so far; shared by every socket and never emptied.
QHash<QString, quint32> &hostCache()
{
    static QHash<QString, quint32> cache;
    return cache;
}

void setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

int newStreamSocket()
{
    // A peer that has gone away must not kill the process through SIGPIPE.
    static const bool ignored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignored;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd >= 0)
        setNonBlocking(fd);
    return fd;
}

bool startsWithDigit(const QString &text)
{
    return !text.isEmpty() && text[0].isDigit();
}

// Socket events arrive from the event loop, which cannot carry exceptions:
// a report handler that throws is noted and the event ends there.
template <typename Body> void guarded(Body body)
{
    try {
        body();
    } catch (const std::exception &error) {
        qWarning("socket event: %s", error.what());
    }
}

} // namespace

TSock::TSock(QObject *parent) : QObject(parent) {}

TSock::~TSock()
{
    // Closing quietly: whoever would hear the report is going away too.
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

quint16 TSock::resolvePort()
{
    info(siLookup, "Lookup Of Port " + m_portName.toLatin1());
    if (startsWithDigit(m_portName)) {
        if (const std::optional<quint16> port = addresstext::portNumber(m_portName))
            return *port;
        throw ESockException("Port Lookup - Not A Port Number From 0 To 65535");
    }
    const servent *entry = ::getservbyname(m_portName.toLatin1().constData(), "tcp");
    if (!entry)
        throw ESockException("Port Lookup - Could Not Find Service Entry");
    return ntohs(quint16(entry->s_port));
}

quint32 TSock::resolveHost()
{
    info(siLookup, "Lookup Of Host " + m_hostName.toLatin1());
    if (startsWithDigit(m_hostName)) {
        if (const std::optional<quint32> address = addresstext::dottedAddress(m_hostName))
            return htonl(*address);
        throw ESockException("Host Lookup - Not An Address Of Four Numbers From 0 To 255");
    }
    if (!addresstext::plausibleHostName(m_hostName))
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    auto cached = hostCache().constFind(m_hostName);
    if (cached != hostCache().constEnd())
        return *cached;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(m_hostName.toLatin1().constData(), nullptr, &hints, &found) != 0 || !found)
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    const quint32 address = reinterpret_cast<sockaddr_in *>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
    hostCache().insert(m_hostName, address);
    return address;
}

bool TSock::Open()
{
    if (m_fd >= 0)
        return m_connected;
    const int fd = newStreamSocket();
    if (fd < 0) {
        handleError(winsock::fromErrno(errno));
        return false;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    try {
        target.sin_port = htons(resolvePort());
        target.sin_addr.s_addr = resolveHost();
    } catch (...) {
        ::close(fd);
        throw;
    }
    m_fd = fd;
    m_connecting = true;
    watch();
    if (::connect(fd, reinterpret_cast<sockaddr *>(&target), sizeof target) == 0) {
        // Loopback connects may finish at once; report it from the loop like
        // any other completion.
        updateWriteInterest();
        return false;
    }
    if (errno != EINPROGRESS) {
        m_connecting = false;
        unwatch();
        handleError(winsock::fromErrno(errno));
        return false;
    }
    updateWriteInterest();
    return false;
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
    if (m_fd >= 0)
        throw ESockException("Listen - Socket Already In Use");
    if (m_socketType == stDatagram)
        throw ESockException("Listen - Cannot Listen On A Datagram Socket");
    const int fd = newStreamSocket();
    if (fd < 0)
        throw ESockException("Listen - Error Binding Socket");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    try {
        local.sin_port = htons(resolvePort());
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0) {
        ::close(fd);
        throw ESockException("Listen - Error Binding Socket");
    }
    if (::listen(fd, kBacklog) != 0) {
        ::close(fd);
        throw ESockException("Listen - Error Starting Listen");
    }
    m_fd = fd;
    m_listening = true;
    m_readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this] {
        guarded([this] {
            if (OnAccept) {
                OnAccept(this);
                return;
            }
            // Nobody takes the connection: drop it so the listener does not spin.
            TSock *dropped = nullptr;
            if (Accept(dropped))
                delete dropped;
        });
    });
    info(siListen, "Listening Started");
}

int TSock::localPort() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

bool TSock::Accept(TSock *&newSock)
{
    if (!m_listening)
        throw ESockException("Accept - Socket Not In Listening Mode");
    sockaddr_in peer{};
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
    setNonBlocking(fd);
    auto *accepted = new TSock(this);
    accepted->m_blocking = m_blocking;
    accepted->m_blockingTimeout = m_blockingTimeout;
    accepted->OnRead = OnRead;
    accepted->OnWrite = OnWrite;
    accepted->OnDisconnect = OnDisconnect;
    accepted->OnInfo = OnInfo;
    accepted->m_portName = m_portName;
    accepted->adoptConnected(fd, QString::fromLatin1(::inet_ntoa(peer.sin_addr)));
    newSock = accepted;
    info(siAccept, "Created New TSock Structure");
    return true;
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
    watch();
}

void TSock::watch()
{
    m_readNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this,
            [this] { guarded([this] { onReadable(); }); });
    m_writeNotifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this,
            [this] { guarded([this] { onWritable(); }); });
}

void TSock::unwatch()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
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
    if (m_fd < 0)
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
        if (error != 0) {
            handleError(winsock::fromErrno(error));
            return;
        }
        m_connected = true;
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
