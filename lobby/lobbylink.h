#pragma once

#include <QObject>
#include <QTcpServer>

// The local port a game started with a name, an address and a mode connects
// to while it runs. Nothing is said on it: a connection that is open means a
// game is running, and its close means the game has ended.
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

signals:
    void linksChanged(int links);

private:
    void takeConnections();

    QTcpServer m_server;
    int m_links = 0;
};
