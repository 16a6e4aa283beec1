#pragma once

#include "coordinator/coordinatormessages.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

class QWebSocket;

// The side of a table or a joiner that talks to coordinators; no widgets.
//
// Hosting: `host` lists the table and keeps it listed: it beats while
// connected and, when its coordinator goes, moves to the next one in the list
// with the same code and key, so the code people were given keeps working.
// A hosting table may also show itself to strangers: `setListing` publishes
// a public listing once the coordinator has listed the table, again on every
// coordinator it moves to, and says what changed at most once a listing gap
// (the latest word wins); unlisting goes out at once.
// Joining: `join` asks for a code once and reports the answer.
class CoordinatorClient : public QObject
{
    Q_OBJECT
public:
    // Each coordinator as set by the player: "host", "host:port" or a ws://
    // or wss:// URL. Several names of one service are tried in turn.
    explicit CoordinatorClient(const QStringList &coordinators, QObject *parent = nullptr);
    ~CoordinatorClient() override;

    static constexpr quint16 kDefaultPort = 7773;
    static QUrl urlOf(const QString &setting);
    // The coordinators of a setting that names several, separated by commas.
    static QStringList listOf(const QString &setting);

    void host(quint16 port, const QList<Endpoint> &candidates);
    void stopHosting();
    void join(const QString &typedCode);

    QByteArray code() const { return m_code; }
    bool isHosting() const { return m_hosting; }
    // A connection to a coordinator is open or closing.
    bool hasConnection() const { return m_socket != nullptr; }
    // Which coordinator of the list is (or was last) in use.
    int current() const { return m_current; }
    void setBeatInterval(int ms) { m_beat.setInterval(ms); }

    // What strangers are shown of the hosted table (its code and way in are
    // the coordinator's to add), or nothing: not shown.
    void setListing(const std::optional<PublicListing> &listing);
    const std::optional<PublicListing> &listing() const { return m_public; }
    // The least time between two listings sent on one connection.
    static constexpr int kListingGapMs = 2000;
    void setListingGap(int ms) { m_listingGap.setInterval(ms); }

    static constexpr char kNoCoordinator[] = "No coordinator answered.";
    static constexpr char kNotACode[] = "That is not an invitation code.";

signals:
    void hosted(const QByteArray &code);
    // The connect-back's verdict: `direct` holds the address that worked.
    void reachKnown(const std::optional<Endpoint> &direct);
    // A joiner waits at `relay` with `ticket`: open a connection there.
    void openRelay(const Endpoint &relay, const QByteArray &ticket);
    void joinDirect(const Endpoint &table);
    void joinViaRelay(const Endpoint &relay, const QByteArray &ticket);
    void refused(const QString &reason);
    // While hosting: the coordinator in use could not be reached or went away;
    // the client keeps trying the list in turn.
    void unreachable(const QString &why);

private:
    void open();
    void opened();
    void lost();
    void received(const QString &text);
    void sendLine(const QByteArray &line);
    void answerJoin(const coord::FromCoordinator &message);
    void refusedWhileHosting(const QByteArray &reason);
    void sendListingIfDue();

    QList<QUrl> m_urls;
    QWebSocket *m_socket = nullptr;
    int m_current = 0;
    int m_failures = 0;
    QTimer m_beat;
    QTimer m_reconnect;
    QByteArray m_key;
    QByteArray m_code;
    bool m_hosting = false;
    bool m_listed = false;     // the coordinator in use has listed the table
    bool m_comingBack = false; // the connection closes to list the table anew
    coord::toCoordinator::Host m_listing;
    std::optional<QByteArray> m_joining;
    std::optional<PublicListing> m_public;
    // What the coordinator in use was last told; nothing when unlisted there.
    std::optional<PublicListing> m_publicSent;
    QTimer m_listingGap;
};
