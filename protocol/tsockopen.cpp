// Opening a connection: the port and host texts, the name lookup and the
// addresses tried in turn until one connects.
#include "protocol/tsock.h"

#include "protocol/addresstext.h"
#include "protocol/hostresolver.h"
#include "protocol/posixsocket.h"
#include "protocol/winsockerrors.h"

#include <QTimer>
#include <cerrno>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

bool startsWithDigit(const QString &text)
{
    return !text.isEmpty() && text[0].isDigit();
}

} // namespace

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
        const socklen_t length = posixsocket::socketAddress(address, m_port, target);
        const int fd = posixsocket::newStreamSocket(target.ss_family);
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
