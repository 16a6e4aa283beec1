#include "coordinator/relaydialer.h"

#include <QHostInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

RelayDialer::RelayDialer(QObject *parent) : QObject(parent)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("The relay did not answer.")); });
}

RelayDialer::~RelayDialer()
{
    reset();
}

void RelayDialer::reset()
{
    if (m_lookup >= 0)
        QHostInfo::abortHostLookup(m_lookup);
    m_lookup = -1;
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_answer.clear();
    m_deadline.stop();
}

void RelayDialer::fail(const QString &why)
{
    reset();
    emit failed(why);
}

void RelayDialer::dial(const Endpoint &relay, const relay::Preamble &preamble, int waitMs)
{
    reset();
    m_relay = relay;
    m_preamble = preamble.encode();
    m_deadline.start(waitMs);
    if (const std::optional<QHostAddress> address = relay.address()) {
        connectTo(*address);
        return;
    }
    m_lookup =
        QHostInfo::lookupHost(QString::fromLatin1(relay.host), this, [this](const QHostInfo &info) {
            m_lookup = -1;
            if (info.addresses().isEmpty())
                fail(QStringLiteral("The relay's name is unknown."));
            else
                connectTo(info.addresses().constFirst());
        });
}

void RelayDialer::connectTo(const QHostAddress &address)
{
    sockaddr_storage storage{};
    socklen_t length = 0;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_relay.port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&in6->sin6_addr, bytes.c, 16);
        length = sizeof *in6;
    } else {
        auto *in4 = reinterpret_cast<sockaddr_in *>(&storage);
        in4->sin_family = AF_INET;
        in4->sin_port = htons(m_relay.port);
        in4->sin_addr.s_addr = htonl(address.toIPv4Address());
        length = sizeof *in4;
    }
    m_fd = ::socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&storage), length) != 0 &&
        errno != EINPROGRESS) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RelayDialer::writable);
}

void RelayDialer::writable()
{
    int error = 0;
    socklen_t size = sizeof error;
    ::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error != 0) {
        fail(QString::fromLocal8Bit(std::strerror(error)));
        return;
    }
    // The preamble is far smaller than any socket buffer: it goes at once.
    if (::send(m_fd, m_preamble.constData(), size_t(m_preamble.size()), MSG_NOSIGNAL) !=
        m_preamble.size()) {
        fail(QStringLiteral("The relay closed the connection."));
        return;
    }
    delete m_notifier;
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &RelayDialer::readable);
}

void RelayDialer::readable()
{
    // The answer is taken a byte at a time: a byte past its line is the
    // table's, and a partial line must not leave bytes that wake us at once.
    char byte = 0;
    for (;;) {
        const ssize_t got = ::recv(m_fd, &byte, 1, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return;
        if (got <= 0) {
            fail(QStringLiteral("The relay closed the connection."));
            return;
        }
        if (byte == '\n')
            break;
        m_answer.append(byte);
        if (m_answer.size() > relay::kLongestLine) {
            fail(QStringLiteral("The relay answered nonsense."));
            return;
        }
    }
    const QByteArray line = std::exchange(m_answer, QByteArray());
    QByteArray why;
    const std::optional<bool> ok = relay::decodeAnswer(line, &why);
    if (!ok) {
        fail(QStringLiteral("The relay answered nonsense."));
        return;
    }
    if (!*ok) {
        fail(QStringLiteral("The relay refused: %1").arg(QString::fromLatin1(why)));
        return;
    }
    const int fd = m_fd;
    m_fd = -1;
    reset();
    emit ready(fd);
}
