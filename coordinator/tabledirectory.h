#pragma once

#include "coordinator/publiclisting.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <optional>

class QWebSocket;

// A lobby's reader of a coordinator's public tables: it asks for page after
// page over one WebSocket and hands over the tables it was shown, in code
// order. What the coordinator sends is believed only as far as it makes
// sense: a line that does not decode, a table out of code order or outside
// the filter, a page that does not move on are passed over, and no more than
// `mostListings` tables and `mostPages` pages are taken, within `timeoutMs`.
//
// One fetch at a time: a new one supersedes the one under way, whose answer
// is never reported. Results always arrive from the event loop, never from
// within `fetch`.
class TableDirectory : public QObject
{
    Q_OBJECT

public:
    struct Limits
    {
        int mostListings = 200;
        int mostPages = 4;
        int timeoutMs = 5000;
    };

    explicit TableDirectory(QObject *parent = nullptr);
    explicit TableDirectory(Limits limits, QObject *parent = nullptr);
    ~TableDirectory() override;

    // The coordinator as the player set it: "host", "host:port", or a ws://
    // or wss:// URL. A new setting closes the connection to the old one and
    // drops the fetch under way.
    void setCoordinator(const QString &setting);
    QString coordinator() const { return m_setting; }

    void fetch(const ListingFilter &filter);
    // Drops the fetch under way, if any; nothing is reported for it.
    void cancel();
    bool isFetching() const { return m_fetching; }

    static constexpr char kNoCoordinator[] = "No coordinator is set.";
    static constexpr char kTimedOut[] = "The coordinator did not answer in time.";
    static constexpr char kClosed[] = "The coordinator closed the connection.";

signals:
    void fetched(const QList<PublicListing> &listings);
    void failed(const QString &reason);

private:
    void open();
    void closeSocket();
    void opened();
    void lost();
    void received(const QString &text);
    void askForPage();
    void finish();
    void fail(const QString &reason);

    Limits m_limits;
    QString m_setting;
    QUrl m_url;
    QWebSocket *m_socket = nullptr;
    bool m_connected = false; // the connection stood at some point
    QTimer m_timeout;
    bool m_fetching = false;
    int m_generation = 0; // which fetch a queued report belongs to
    ListingFilter m_filter;
    std::optional<QByteArray> m_after; // the page asked for starts after this code
    QByteArray m_lastCode;             // the last table taken
    int m_pages = 0;
    QList<PublicListing> m_listings;
};
