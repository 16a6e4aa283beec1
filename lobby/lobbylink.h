#pragma once

#include <QObject>
#include <QStringList>
#include <QTcpServer>

// The local port a game started with a name, an address and a mode connects
// to while it runs: a connection that is open means a game is running, and
// its close means the game has ended. A hosting game also says on it how
// friends reach its table, in lines "reach TEXT" (one status, replacing the
// last) and "invite LINK"; lines are bounded, and anything else is dropped.
//
// Any local program, or a web page posting to the port, could connect too.
// So a link counts only once its first line is "hello TOKEN" with the token
// this lobby gave the games it starts (in their environment, kTokenVariable);
// a link that does not say it within kHelloMs is closed. Without a token set,
// every link counts.
class LobbyLink : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 kPort = 9001;
    // A game opens one link; more than this at once are closed on arrival.
    static constexpr int kMaxLinks = 4;

    explicit LobbyLink(QObject *parent = nullptr);

    // Listens on 127.0.0.1 only; false when the port is taken.
    bool listen(quint16 port = kPort);
    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    int links() const { return m_links; }

    static constexpr qsizetype kMaxLine = 1024;
    static constexpr int kMaxInviteLinks = 4;
    static constexpr int kHelloMs = 5000;
    static constexpr char kTokenVariable[] = "SPADES_LOBBY_TOKEN";

    void setToken(const QByteArray &token) { m_token = token; }

signals:
    void linksChanged(int links);
    // The game's latest status line and the invitation links that came with it.
    void reachChanged(const QString &status, const QStringList &invitation);

private:
    void takeConnections();
    void readLines(class QTcpSocket *link);
    void stopListening(QTcpSocket *link);
    void trust(QTcpSocket *link);

    QTcpServer m_server;
    QByteArray m_token;
    int m_links = 0;   // links that count
    int m_waiting = 0; // links that have not said hello yet
    QString m_reach;
    QStringList m_invitation;
};
