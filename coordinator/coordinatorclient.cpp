#include "coordinator/coordinatorclient.h"

#include "protocol/invitecode.h"

#include <QRandomGenerator>
#include <QWebSocket>
#include <algorithm>
#include <utility>

using namespace coord;

namespace {

constexpr int kBeatMs = 30000;
constexpr int kFirstRetryMs = 200;
constexpr int kLongestRetryMs = 10000;

// A listing the coordinator reads: one it would not read closes the connection.
PublicListing readable(PublicListing listing)
{
    listing.name = listingname::plain(listing.name);
    listing.playtoscore = std::clamp(listing.playtoscore, 1, PublicListing::kHighestTarget);
    listing.seated = std::clamp(listing.seated, 0, PublicListing::kSeats);
    listing.free = std::clamp(listing.free, 0, PublicListing::kSeats - listing.seated);
    listing.watchers = std::clamp(listing.watchers, 0, PublicListing::kMostWatchers);
    listing.code.clear();
    listing.direct = false;
    return listing;
}

} // namespace

CoordinatorClient::CoordinatorClient(const QStringList &coordinators, QObject *parent)
    : QObject(parent)
{
    for (const QString &setting : coordinators) {
        const QUrl url = urlOf(setting);
        if (url.isValid())
            m_urls.append(url);
    }
    QByteArray key(kSecretLength / 2, '\0');
    QRandomGenerator::system()->generate(key.begin(), key.end());
    m_key = key.toHex();
    m_beat.setInterval(kBeatMs);
    connect(&m_beat, &QTimer::timeout, this, [this] { sendLine(toCoordinator::Beat{}.encode()); });
    m_reconnect.setSingleShot(true);
    connect(&m_reconnect, &QTimer::timeout, this, &CoordinatorClient::open);
    m_listingGap.setSingleShot(true);
    m_listingGap.setInterval(kListingGapMs);
    connect(&m_listingGap, &QTimer::timeout, this, &CoordinatorClient::sendListingIfDue);
}

CoordinatorClient::~CoordinatorClient()
{
    if (m_socket)
        disconnect(m_socket, nullptr, this, nullptr);
}

QUrl CoordinatorClient::urlOf(const QString &setting)
{
    const QString text = setting.trimmed();
    if (text.startsWith("ws://") || text.startsWith("wss://"))
        return QUrl(text);
    QUrl url;
    url.setScheme("ws");
    const std::optional<Endpoint> endpoint = Endpoint::parse(text.toLatin1());
    if (endpoint) {
        url.setHost(QString::fromLatin1(endpoint->host));
        url.setPort(endpoint->port);
    } else {
        url.setHost(text);
        url.setPort(kDefaultPort);
    }
    url.setPath("/");
    return url.host().isEmpty() ? QUrl() : url;
}

QStringList CoordinatorClient::listOf(const QString &setting)
{
    QStringList list;
    for (const QString &one : setting.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!one.trimmed().isEmpty())
            list << one.trimmed();
    }
    return list;
}

void CoordinatorClient::host(quint16 port, const QList<Endpoint> &candidates)
{
    const bool relisting = m_hosting;
    m_hosting = true;
    m_listing = toCoordinator::Host{port, m_key, std::nullopt,
                                    candidates.first(qMin(candidates.size(), kMostCandidates))};
    const bool connected = m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
    if (relisting && connected) {
        // A listing is made once per connection, and the one sent may not
        // have been answered yet: the table comes back to the same
        // coordinator on a new connection with its code and key, and the new
        // ways in are checked. A connection still being opened sends them.
        m_comingBack = true;
        m_socket->close();
        return;
    }
    if (connected)
        opened();
    else if (!m_socket)
        open();
}

void CoordinatorClient::stopHosting()
{
    if (!m_hosting)
        return;
    m_hosting = false;
    m_beat.stop();
    m_reconnect.stop();
    m_listingGap.stop();
    m_publicSent.reset(); // leaving unlists the table too
    sendLine(toCoordinator::Leave{}.encode());
    m_code.clear();
    if (m_socket)
        m_socket->close();
}

void CoordinatorClient::join(const QString &typedCode)
{
    const std::optional<QByteArray> code = invite::normalize(typedCode.toLatin1());
    if (!code) {
        emit refused(kNotACode);
        return;
    }
    m_joining = *code;
    m_failures = 0;
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        opened();
    else if (!m_socket)
        open();
}

void CoordinatorClient::open()
{
    if (m_urls.isEmpty()) {
        emit refused(kNoCoordinator);
        return;
    }
    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    m_socket->setMaxAllowedIncomingMessageSize(kLongestLine);
    m_socket->setMaxAllowedIncomingFrameSize(kLongestLine);
    connect(m_socket, &QWebSocket::connected, this, &CoordinatorClient::opened);
    connect(m_socket, &QWebSocket::disconnected, this, &CoordinatorClient::lost);
    connect(m_socket, &QWebSocket::textMessageReceived, this, &CoordinatorClient::received);
    m_socket->open(m_urls.at(m_current % m_urls.size()));
}

void CoordinatorClient::opened()
{
    m_failures = 0;
    m_listed = false;
    m_publicSent.reset();
    if (m_hosting) {
        m_listing.code = m_code.isEmpty() ? std::nullopt : std::optional(m_code);
        sendLine(m_listing.encode());
        m_beat.start();
    }
    if (m_joining)
        sendLine(toCoordinator::Join{*m_joining}.encode());
}

void CoordinatorClient::lost()
{
    m_beat.stop();
    const bool comingBack = std::exchange(m_comingBack, false);
    if (m_socket && m_hosting && !comingBack &&
        m_socket->error() != QAbstractSocket::UnknownSocketError)
        emit unreachable(m_socket->errorString());
    if (m_socket) {
        disconnect(m_socket, nullptr, this, nullptr);
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    if (comingBack && m_hosting) {
        open();
        return;
    }
    if (!m_hosting && !m_joining)
        return;
    // Another coordinator of the list serves as well: move on to it.
    m_current = (m_current + 1) % qMax<qsizetype>(1, m_urls.size());
    ++m_failures;
    if (m_joining && m_failures > m_urls.size()) {
        m_joining.reset();
        emit refused(kNoCoordinator);
        if (!m_hosting)
            return;
    }
    const int delay = qMin(kLongestRetryMs, kFirstRetryMs << qMin(m_failures - 1, 6));
    m_reconnect.start(m_failures <= m_urls.size() ? kFirstRetryMs : delay);
}

void CoordinatorClient::sendLine(const QByteArray &line)
{
    if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->sendTextMessage(QString::fromLatin1(line));
}

void CoordinatorClient::received(const QString &text)
{
    const std::optional<FromCoordinator> message = decodeFromCoordinator(text.toLatin1());
    if (!message)
        return;
    using namespace fromCoordinator;
    if (const auto *hosted = std::get_if<Hosted>(&*message)) {
        if (!m_hosting)
            return;
        m_listed = true;
        m_code = hosted->code;
        // Only a listed table may show itself; on a new listing it says it all again.
        m_publicSent.reset();
        m_listingGap.stop();
        sendListingIfDue();
        emit this->hosted(m_code);
    } else if (const auto *reach = std::get_if<Reach>(&*message)) {
        if (m_hosting)
            emit reachKnown(reach->direct);
    } else if (const auto *open = std::get_if<Open>(&*message)) {
        if (m_hosting)
            emit openRelay(open->relay, open->ticket);
    } else if (std::holds_alternative<Refused>(*message) && m_hosting && !m_joining) {
        refusedWhileHosting(std::get<Refused>(*message).reason);
    } else {
        answerJoin(*message);
    }
}

void CoordinatorClient::refusedWhileHosting(const QByteArray &reason)
{
    if (reason == refusal::kCodeTaken) {
        // The code lapsed while no coordinator could be reached and another
        // table has it now: this one needs a new code.
        m_code.clear();
        m_listed = false;
        m_publicSent.reset();
        m_listing.code.reset();
        sendLine(m_listing.encode());
        return;
    }
    emit refused(QString::fromLatin1(reason));
    if (!m_listed && m_socket) {
        // Listed nowhere: try again, later or elsewhere.
        m_failures = int(m_urls.size());
        m_socket->close();
    }
}

void CoordinatorClient::setListing(const std::optional<PublicListing> &listing)
{
    m_public = listing ? std::optional(readable(*listing)) : std::nullopt;
    sendListingIfDue();
}

void CoordinatorClient::sendListingIfDue()
{
    if (!m_hosting || !m_listed || !m_socket ||
        m_socket->state() != QAbstractSocket::ConnectedState || m_public == m_publicSent)
        return;
    if (!m_public) {
        sendLine(toCoordinator::Unlist{}.encode());
        m_publicSent.reset();
        return;
    }
    // Changes in between wait for the gap to end; the latest is sent then.
    if (m_listingGap.isActive())
        return;
    sendLine(toCoordinator::List{*m_public}.encode());
    m_publicSent = m_public;
    m_listingGap.start();
}

void CoordinatorClient::answerJoin(const FromCoordinator &message)
{
    using namespace fromCoordinator;
    if (const auto *refusal = std::get_if<Refused>(&message)) {
        m_joining.reset();
        emit refused(QString::fromLatin1(refusal->reason));
        return;
    }
    if (!m_joining)
        return;
    m_joining.reset();
    if (const auto *direct = std::get_if<Direct>(&message))
        emit joinDirect(direct->table);
    else if (const auto *relay = std::get_if<ViaRelay>(&message))
        emit joinViaRelay(relay->relay, relay->ticket);
    // A joiner that does not host has nothing more to say.
    if (!m_hosting && m_socket)
        m_socket->close();
}
