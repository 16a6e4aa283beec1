#include "coordinator/tabledirectory.h"

#include "coordinator/coordinatorclient.h"
#include "coordinator/coordinatormessages.h"

#include <QWebSocket>

using namespace coord;

namespace {

// A refusal is shown as the coordinator words it, but never at any length.
constexpr int kLongestReason = 200;

} // namespace

TableDirectory::TableDirectory(QObject *parent) : TableDirectory(Limits{}, parent) {}

TableDirectory::TableDirectory(Limits limits, QObject *parent) : QObject(parent), m_limits(limits)
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        closeSocket();
        fail(tr(kTimedOut));
    });
}

TableDirectory::~TableDirectory()
{
    closeSocket();
}

void TableDirectory::setCoordinator(const QString &setting)
{
    const QString trimmed = setting.trimmed();
    if (trimmed == m_setting)
        return;
    cancel();
    closeSocket();
    m_setting = trimmed;
    // Of several names of one service, the first is asked.
    const QString first = CoordinatorClient::listOf(trimmed).value(0);
    m_url = first.isEmpty() ? QUrl() : CoordinatorClient::urlOf(first);
}

void TableDirectory::fetch(const ListingFilter &filter)
{
    cancel();
    m_fetching = true;
    m_filter = filter;
    m_after.reset();
    m_lastCode.clear();
    m_pages = 0;
    m_listings.clear();
    if (!m_url.isValid() || m_url.host().isEmpty()) {
        fail(tr(kNoCoordinator));
        return;
    }
    m_timeout.start(m_limits.timeoutMs);
    if (!m_socket)
        open();
    else if (m_socket->state() == QAbstractSocket::ConnectedState)
        askForPage();
    // Otherwise the connection is being made, and the first page is asked for
    // once it stands.
}

void TableDirectory::cancel()
{
    ++m_generation;
    m_timeout.stop();
    // Whatever the coordinator still says of the old fetch must not be taken
    // for the next one's answer: it goes with its connection.
    if (m_fetching && m_socket && m_socket->state() == QAbstractSocket::ConnectedState)
        closeSocket();
    m_fetching = false;
}

void TableDirectory::open()
{
    m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    m_connected = false;
    m_socket->setMaxAllowedIncomingMessageSize(kLongestLine);
    m_socket->setMaxAllowedIncomingFrameSize(kLongestLine);
    QWebSocket *socket = m_socket;
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        if (socket == m_socket)
            opened();
    });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] {
        if (socket == m_socket)
            lost();
    });
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    const auto errorSignal = &QWebSocket::errorOccurred;
#else
    const auto errorSignal = qOverload<QAbstractSocket::SocketError>(&QWebSocket::error);
#endif
    // A connection refused may end without ever having been made.
    connect(socket, errorSignal, this, [this, socket] {
        if (socket == m_socket)
            lost();
    });
    connect(socket, &QWebSocket::textMessageReceived, this, [this, socket](const QString &text) {
        if (socket == m_socket)
            received(text);
    });
    socket->open(m_url);
}

void TableDirectory::closeSocket()
{
    if (!m_socket)
        return;
    QWebSocket *socket = m_socket;
    m_socket = nullptr;
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

void TableDirectory::opened()
{
    m_connected = true;
    if (m_fetching)
        askForPage();
}

void TableDirectory::lost()
{
    const QString why = m_connected || m_socket->error() == QAbstractSocket::UnknownSocketError
                            ? tr(kClosed)
                            : tr("The coordinator cannot be reached (%1).")
                                  .arg(m_socket->errorString().left(kLongestReason));
    closeSocket();
    if (m_fetching)
        fail(why);
}

void TableDirectory::askForPage()
{
    m_socket->sendTextMessage(
        QString::fromLatin1(toCoordinator::Tables{m_filter, m_after}.encode()));
}

void TableDirectory::received(const QString &text)
{
    if (!m_fetching)
        return;
    const std::optional<FromCoordinator> message = decodeFromCoordinator(text.toUtf8());
    if (!message)
        return;
    using namespace fromCoordinator;
    if (const auto *table = std::get_if<Table>(&*message)) {
        const PublicListing &listing = table->listing;
        // Codes only ever rise: one that does not was seen or belongs
        // elsewhere.
        if (listing.code <= m_lastCode || (m_after && listing.code <= *m_after) ||
            !m_filter.accepts(listing))
            return;
        m_lastCode = listing.code;
        m_listings.append(listing);
        if (m_listings.size() >= m_limits.mostListings) {
            // The rest of the page would arrive as the next fetch's answer.
            closeSocket();
            finish();
        }
    } else if (const auto *page = std::get_if<Page>(&*message)) {
        ++m_pages;
        // A page that does not move on would have us ask for it forever.
        const bool movesOn =
            page->next && (!m_after || *page->next > *m_after) && *page->next >= m_lastCode;
        if (!movesOn || m_pages >= m_limits.mostPages) {
            finish();
            return;
        }
        m_after = page->next;
        askForPage();
    } else if (const auto *refused = std::get_if<Refused>(&*message)) {
        fail(QString::fromLatin1(refused->reason).left(kLongestReason));
    }
}

void TableDirectory::finish()
{
    m_fetching = false;
    m_timeout.stop();
    const int generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, listings = m_listings] {
            if (generation == m_generation)
                emit fetched(listings);
        },
        Qt::QueuedConnection);
    m_listings.clear();
}

void TableDirectory::fail(const QString &reason)
{
    m_fetching = false;
    m_timeout.stop();
    m_listings.clear();
    const int generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, reason] {
            if (generation == m_generation)
                emit failed(reason);
        },
        Qt::QueuedConnection);
}
