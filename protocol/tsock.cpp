#include "protocol/tsock.h"

#include "protocol/addresstext.h"
#include "protocol/hostresolver.h"
#include "protocol/winsockerrors.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kReceiveArea = 32768;
constexpr int kBacklog = 5;

void setNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
}

int newStreamSocket(int family)
{
    // A peer that has gone away must not kill the process through SIGPIPE.
    static const bool ignored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)ignored;
    const int fd = ::socket(family, SOCK_STREAM, 0);
    if (fd >= 0)
        setNonBlocking(fd);
    return fd;
}

socklen_t socketAddress(const QHostAddress &address, quint16 port, sockaddr_storage &out)
{
    out = {};
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        auto *v4 = reinterpret_cast<sockaddr_in *>(&out);
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        v4->sin_addr.s_addr = htonl(address.toIPv4Address());
        return sizeof(sockaddr_in);
    }
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&out);
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&v6->sin6_addr, bytes.c, sizeof bytes.c);
    const QString zone = address.scopeId();
    if (!zone.isEmpty()) {
        bool numeric = false;
        const uint index = zone.toUInt(&numeric);
        v6->sin6_scope_id = numeric ? index : ::if_nametoindex(zone.toLatin1().constData());
    }
    return sizeof(sockaddr_in6);
}

// A peer's address as text: an IPv4 peer on an IPv6 listener reads as the
// plain dotted address it has.
QString peerText(const sockaddr_storage &peer)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (peer.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(peer);
        if (IN6_IS_ADDR_V4MAPPED(&v6.sin6_addr))
            ::inet_ntop(AF_INET, &v6.sin6_addr.s6_addr[12], text, sizeof text);
        else
            ::inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
    } else {
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in &>(peer).sin_addr, text,
                    sizeof text);
    }
    return QString::fromLatin1(text);
}

quint16 portOf(const sockaddr_storage &local)
{
    if (local.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6 &>(local).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in &>(local).sin_port);
}

// Every address, IPv4 ones as well, on one socket; without IPv6 on this
// machine, every IPv4 address.
int listeningSocket(quint16 port)
{
    int error = 0;
    const int yes = 1;
    const int no = 0;
    int fd = newStreamSocket(AF_INET6);
    if (fd >= 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &no, sizeof no);
        sockaddr_in6 local{};
        local.sin6_family = AF_INET6;
        local.sin6_addr = in6addr_any;
        local.sin6_port = htons(port);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0)
            return fd;
        error = errno;
        ::close(fd);
        if (error != EADDRNOTAVAIL && error != EAFNOSUPPORT)
            return -1;
    }
    fd = newStreamSocket(AF_INET);
    if (fd < 0)
        return -1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0)
        return fd;
    ::close(fd);
    return -1;
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

// The addresses of HostName when they are known without asking anyone;
// nullopt when the name has to be looked up.
std::optional<QList<QHostAddress>> TSock::resolveHostNow()
{
    info(siLookup, "Lookup Of Host " + m_hostName.toLatin1());
    if (const std::optional<addresstext::Ipv6Address> v6 = addresstext::ipv6Address(m_hostName)) {
        QHostAddress address(v6->bytes.data());
        address.setScopeId(v6->zone);
        return QList<QHostAddress>{address};
    }
    // No name holds a colon: the text meant to be an IPv6 address.
    if (m_hostName.contains(QLatin1Char(':')))
        throw ESockException("Host Lookup - Not An IPv6 Address");
    if (startsWithDigit(m_hostName)) {
        if (const std::optional<quint32> address = addresstext::dottedAddress(m_hostName))
            return QList<QHostAddress>{QHostAddress(*address)};
        throw ESockException("Host Lookup - Not An Address Of Four Numbers From 0 To 255");
    }
    if (!addresstext::plausibleHostName(m_hostName) || m_hostName.startsWith(QLatin1Char('[')))
        throw ESockException("Host Lookup - Could Not Find Host Entry");
    return std::nullopt;
}

void TSock::setResolver(HostResolver *resolver)
{
    m_resolver = resolver;
}

bool TSock::Open()
{
    if (m_fd >= 0 || m_lookup)
        return m_connected;
    m_port = resolvePort();
    if (const std::optional<QList<QHostAddress>> known = resolveHostNow()) {
        addressesFound(*known);
        return false;
    }
    HostResolver &resolver = m_resolver ? *m_resolver : systemHostResolver();
    m_lookup = -1; // set before asking: a resolver may answer at once
    const int id = resolver.lookup(m_hostName, this, [this](const QList<QHostAddress> &found) {
        m_lookup.reset();
        guarded([&] {
            if (!found.isEmpty()) {
                addressesFound(found);
                return;
            }
            m_outgoing.clear();
            static const char kUnknown[] = "Host Lookup - Could Not Find Host Entry";
            if (OnFailure)
                OnFailure(this, kUnknown);
            else
                qWarning("%s", kUnknown);
        });
    });
    if (m_lookup)
        m_lookup = id;
    return false;
}

void TSock::cancelLookup()
{
    if (!m_lookup)
        return;
    const int id = *m_lookup;
    m_lookup.reset();
    (m_resolver ? *m_resolver : systemHostResolver()).cancel(id);
}

void TSock::addressesFound(const QList<QHostAddress> &addresses)
{
    m_candidates = addresses;
    m_nextCandidate = 0;
    tryNextAddress();
}

// Starts a connect to the next address. One that fails at once gives way to
// the one after it; when none is left, the last failure is reported and the
// socket stays as a failed connect leaves it.
void TSock::tryNextAddress()
{
    int failure = 0;
    while (m_nextCandidate < m_candidates.size()) {
        const QHostAddress address = m_candidates[m_nextCandidate++];
        const bool last = m_nextCandidate == m_candidates.size();
        sockaddr_storage target;
        const socklen_t length = socketAddress(address, m_port, target);
        const int fd = newStreamSocket(target.ss_family);
        if (fd < 0) {
            failure = errno;
            continue;
        }
        m_fd = fd;
        m_connecting = true;
        watch();
        // Loopback connects may finish at once; either way the completion is
        // reported from the loop like any other.
        if (::connect(fd, reinterpret_cast<sockaddr *>(&target), length) == 0 ||
            errno == EINPROGRESS) {
            updateWriteInterest();
            if (!last) {
                if (!m_attemptTimer) {
                    m_attemptTimer = new QTimer(this);
                    m_attemptTimer->setSingleShot(true);
                    m_attemptTimer->setInterval(kAttemptMs);
                    connect(m_attemptTimer, &QTimer::timeout, this,
                            [this] { guarded([this] { abandonAttempt(); }); });
                }
                m_attemptTimer->start();
            }
            return;
        }
        failure = errno;
        m_connecting = false;
        unwatch();
        if (last)
            break;
        ::close(fd);
        m_fd = -1;
    }
    handleError(winsock::fromErrno(failure));
}

void TSock::abandonAttempt()
{
    if (!m_connecting || m_nextCandidate >= m_candidates.size())
        return;
    unwatch();
    ::close(m_fd);
    m_fd = -1;
    m_connecting = false;
    tryNextAddress();
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
    const int fd = listeningSocket(resolvePort());
    if (fd < 0)
        throw ESockException("Listen - Error Binding Socket");
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
    sockaddr_storage local{};
    socklen_t length = sizeof local;
    if (m_fd < 0 || ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&local), &length) != 0)
        return 0;
    return portOf(local);
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
    setNonBlocking(fd);
    auto *accepted = new TSock(this);
    accepted->OnRead = OnRead;
    accepted->OnWrite = OnWrite;
    accepted->OnDisconnect = OnDisconnect;
    accepted->OnInfo = OnInfo;
    accepted->m_portName = m_portName;
    accepted->adoptConnected(fd, peerText(peer));
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
