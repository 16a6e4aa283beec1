#include "host/hostruntime.h"

#include "protocol/addresskind.h"
#include "protocol/wirecodec.h"

#include <QRandomGenerator>
#include <cstdio>
#include <unistd.h>
#include <utility>

HostRuntime::HostRuntime(std::uint32_t seed, Timing timing, QObject *parent)
    : QObject(parent), m_timing(timing), m_server(*this, seed)
{
    m_sock1.setPortName("7772");
    for (TSock *listener : {&m_sock1, &m_sock1Ipv6}) {
        listener->OnAccept = [this](TSock *waiting) {
            event([this, waiting] {
                m_waitingOn = waiting;
                m_server.Sock1Accept();
                m_waitingOn = nullptr;
            });
        };
    }

    m_clock.start();
    m_socktimer.setInterval(m_timing.socktimer);
    connect(&m_socktimer, &QTimer::timeout, this, &HostRuntime::socktimerTimer);
    m_timer1.setInterval(m_timing.timer1);
    connect(&m_timer1, &QTimer::timeout, this,
            [this] { event([this] { m_server.timer1Timer(); }); });
    m_computertimer.setSingleShot(true);
    connect(&m_computertimer, &QTimer::timeout, this,
            [this] { event([this] { m_server.computertimerTimer(); }); });
    for (int n = 1; n <= kRecords; ++n) {
        m_logintimers[n].setSingleShot(true);
        connect(&m_logintimers[n], &QTimer::timeout, this,
                [this, n] { event([this, n] { m_server.loginTimer(n); }); });
    }
    for (int seat = 1; seat <= cards::kSeats; ++seat) {
        m_gracetimers[seat].setSingleShot(true);
        connect(&m_gracetimers[seat], &QTimer::timeout, this,
                [this, seat] { event([this, seat] { m_server.graceTimer(seat); }); });
    }
}

HostRuntime::~HostRuntime()
{
    // The sockets close as their listeners destroy them, after the host has
    // gone: nothing may reach it from them any more.
    for (TSock *sock : m_socks) {
        if (sock) {
            sock->OnRead = nullptr;
            sock->OnDisconnect = nullptr;
            sock->OnInfo = nullptr;
        }
    }
    m_sock1.OnAccept = nullptr;
    m_sock1Ipv6.OnAccept = nullptr;
}

void HostRuntime::listen(int port, HostReach reach)
{
    const bool thisComputer = reach == HostReach::ThisComputer;
    m_sock1.setListenAddress(thisComputer ? QHostAddress(QHostAddress::LocalHost) : QHostAddress());
    m_sock1.setPortName(QString::number(port));
    m_sock1.setListen(true);
    if (!thisComputer)
        return;
    // One socket cannot listen on both loopback addresses; the IPv6 one takes
    // the port the IPv4 one got.
    m_sock1Ipv6.setListenAddress(QHostAddress(QHostAddress::LocalHostIPv6));
    m_sock1Ipv6.setPortName(QString::number(m_sock1.localPort()));
    try {
        m_sock1Ipv6.setListen(true);
    } catch (const ESockException &) {
        // A computer without IPv6 is reached on 127.0.0.1 alone.
    }
}

int HostRuntime::port() const
{
    return m_sock1.Listen() ? m_sock1.localPort() : 0;
}

void HostRuntime::takeRelayed(int fd, const QString &peer)
{
    if (fd < 0)
        return;
    if (!m_sock1.Listen()) {
        ::close(fd);
        return;
    }
    event([&] {
        m_relayed = Relayed{fd, peer};
        m_server.Sock1Accept();
        // Not taken: the host had no number for it or gave up on it.
        if (m_relayed)
            ::close(m_relayed->fd);
        m_relayed.reset();
    });
}

bool HostRuntime::accept(int n)
{
    TSock *listener = m_waitingOn ? m_waitingOn : &m_sock1;
    if (n < 1 || n > kRecords || !listener->Listen())
        return false;
    TSock *sock = nullptr;
    const bool relayed = m_relayed.has_value();
    if (relayed) {
        const Relayed relayed = *std::exchange(m_relayed, std::nullopt);
        if (!listener->AcceptConnected(relayed.fd, relayed.peer, sock) || !sock)
            return false;
    } else if (!listener->Accept(sock) || !sock) {
        return false;
    }
    forget(n);
    m_queue.drop(n);
    m_gone[n] = false;
    m_chat[n] = ChatAllowance{};
    bind(n, sock);
    // Only a connection this host accepted itself has its peer's address;
    // one carried by a relay is taken without it (HostPort::originOf).
    m_origins[n] = relayed ? QByteArray() : addressBlock(sock->HostName());
    return true;
}

QByteArray HostRuntime::originOf(int n) const
{
    return n >= 1 && n <= kRecords ? m_origins[n] : QByteArray();
}

void HostRuntime::bind(int n, TSock *sock)
{
    m_socks[n] = sock;
    sock->OnRead = [this, n](TSock *s, int) { Sock1Read(n, s); };
    // After its OnDisconnect a TSock closes itself, which reports "Socket Closed".
    sock->OnDisconnect = nullptr;
    sock->OnInfo = [this, n](TSock *s, TSocketInfo kind, const QByteArray &msg) {
        if (kind == siClose)
            tempsockInfo(n, s, msg);
    };
}

void HostRuntime::renumber(int from, int to)
{
    if (from < 1 || from > kRecords || to < 1 || to > kRecords || !m_socks[from])
        return;
    forget(to);
    TSock *sock = std::exchange(m_socks[from], nullptr);
    bind(to, sock);
    std::swap(m_queue[from], m_queue[to]);
    m_queue.drop(from);
    m_chat[to] = std::exchange(m_chat[from], ChatAllowance{});
    m_pending[to] = std::exchange(m_pending[from], QByteArray());
    m_gone[to] = std::exchange(m_gone[from], false);
    m_origins[to] = std::exchange(m_origins[from], QByteArray());
}

void HostRuntime::forget(int n)
{
    m_pending[n].clear();
    m_origins[n].clear();
    TSock *old = m_socks[n];
    m_socks[n] = nullptr;
    if (!old)
        return;
    old->OnRead = nullptr;
    old->OnDisconnect = nullptr;
    old->OnInfo = nullptr;
    old->Close();
    // It may be the very socket whose event is being handled.
    old->deleteLater();
}

void HostRuntime::Sock1Read(int n, TSock *sock)
{
    if (m_socks[n] != sock)
        return;
    if (!m_queue[n].append(sock->Receive())) {
        cutOff(n, " sent more than the host holds");
        event([this] { reportDepartures(); });
        return;
    }
    if (!m_queue.isEmpty() && !m_socktimer.isActive())
        m_socktimer.start();
}

void HostRuntime::tempsockInfo(int n, TSock *sock, const QByteArray &msg)
{
    if (m_socks[n] != sock || msg != "Socket Closed")
        return;
    m_socks[n] = nullptr;
    sock->OnRead = nullptr;
    sock->OnInfo = nullptr;
    sock->deleteLater();
    m_gone[n] = true;
    event([this] { reportDepartures(); });
}

// The socket is closed at once and its queue dropped; the host hears of the
// departure at the next tick, since this may run inside one of its handlers.
void HostRuntime::cutOff(int n, const char *why)
{
    note("connection " + QByteArray::number(n) + why);
    m_queue.drop(n);
    forget(n);
    m_gone[n] = true;
    if (!m_socktimer.isActive())
        m_socktimer.start();
}

void HostRuntime::reportDepartures()
{
    // A departure sends to everyone else, which may cut off another reader.
    for (bool again = true; again;) {
        again = false;
        for (int n = 1; n <= kRecords; ++n) {
            if (m_gone[n] && m_queue[n].isEmpty()) {
                m_gone[n] = false;
                m_server.connectionClosed(n);
                again = true;
            }
        }
    }
}

bool HostRuntime::withinChatAllowance(int n, const QByteArray &message)
{
    if (!wire::isLineToRelay(message))
        return true;
    ChatAllowance &allowance = m_chat[n];
    const bool wasDropping = allowance.dropping;
    const qint64 cost = message.size() + m_server.seats()[n].name.size();
    if (allowance.take(cost, m_clock.elapsed(), m_timing.chatBytesPerSecond,
                       m_timing.chatBurstBytes))
        return true;
    if (!wasDropping)
        note("connection " + QByteArray::number(n) + " chats over its allowance: lines dropped");
    return false;
}

void HostRuntime::socktimerTimer()
{
    event([this] {
        if (const std::optional<QueuedMessage> message = m_queue.take()) {
            if (withinChatAllowance(message->connection, message->text))
                m_server.dispatch(message->connection, message->text);
        }
        reportDepartures();
    });
    if (m_queue.isEmpty())
        m_socktimer.stop();
}

void HostRuntime::send(int n, const QByteArray &bytes)
{
    if (n < 1 || n > kRecords || !m_socks[n])
        return;
    m_pending[n] += bytes;
    if (m_eventDepth == 0)
        flush(n);
}

void HostRuntime::flush(int n)
{
    if (m_pending[n].isEmpty())
        return;
    const QByteArray bytes = std::exchange(m_pending[n], QByteArray());
    if (!m_socks[n])
        return;
    try {
        m_socks[n]->Send(bytes);
    } catch (const ESockException &) {
        // A socket that has just gone; its departure is on its way.
        return;
    }
    if (m_socks[n] && m_socks[n]->pendingOutgoing() > limits::kUnsentBytes)
        cutOff(n, " does not read what is sent to it");
}

void HostRuntime::flushAll()
{
    for (int n = 1; n <= kRecords; ++n)
        flush(n);
}

qsizetype HostRuntime::unsent(int n) const
{
    return n >= 1 && n <= kRecords && m_socks[n] ? m_socks[n]->pendingOutgoing() : 0;
}

void HostRuntime::close(int n)
{
    if (n < 1 || n > kRecords)
        return;
    // What the host said last (CMD_full) goes before the close.
    flush(n);
    m_queue.drop(n);
    m_gone[n] = false;
    forget(n);
}

void HostRuntime::startTimer1()
{
    m_timer1.start();
}
void HostRuntime::stopTimer1()
{
    m_timer1.stop();
}

void HostRuntime::startComputerTimer(int milliseconds)
{
    m_computertimer.start(int(qint64(milliseconds) * m_timing.computerPercent / 100));
}

void HostRuntime::stopComputerTimer()
{
    m_computertimer.stop();
}

void HostRuntime::startLoginTimer(int n, int milliseconds)
{
    if (n >= 1 && n <= kRecords)
        m_logintimers[n].start(int(qint64(milliseconds) * m_timing.loginPercent / 100));
}

void HostRuntime::stopLoginTimer(int n)
{
    if (n >= 1 && n <= kRecords)
        m_logintimers[n].stop();
}

void HostRuntime::startGraceTimer(int seat, int milliseconds)
{
    if (!cards::isSeat(seat))
        return;
    const qint64 grace = m_timing.graceMs >= 0 ? m_timing.graceMs : milliseconds;
    m_gracetimers[seat].start(int(grace * m_timing.gracePercent / 100));
}

void HostRuntime::stopGraceTimer(int seat)
{
    if (cards::isSeat(seat))
        m_gracetimers[seat].stop();
}

QByteArray HostRuntime::randomBytes(int count)
{
    // The system's generator: the kernel's, unpredictable to anyone else.
    QByteArray bytes;
    while (bytes.size() < count) {
        const quint32 word = QRandomGenerator::system()->generate();
        bytes.append(reinterpret_cast<const char *>(&word), sizeof word);
    }
    bytes.truncate(count);
    return bytes;
}

void HostRuntime::alert(const QByteArray &text)
{
    if (onAlert)
        onAlert(text);
    else
        std::fprintf(stderr, "%s\n", text.constData());
}

std::optional<int> HostRuntime::botSpeed() const
{
    return botSpeedHook ? botSpeedHook() : std::nullopt;
}

void HostRuntime::note(const QByteArray &line)
{
    if (onNote)
        onNote(line);
}
