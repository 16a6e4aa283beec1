#include "lobby/lobbylink.h"

#include <QTcpSocket>

LobbyLink::LobbyLink(QObject *parent) : QObject(parent)
{
    m_server.setMaxPendingConnections(kMaxLinks);
    connect(&m_server, &QTcpServer::newConnection, this, &LobbyLink::takeConnections);
}

bool LobbyLink::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void LobbyLink::takeConnections()
{
    while (QTcpSocket *link = m_server.nextPendingConnection()) {
        if (m_links >= kMaxLinks) {
            link->abort();
            link->deleteLater();
            continue;
        }
        ++m_links;
        // Whatever arrives is not ours to read; it is dropped as it comes.
        link->setReadBufferSize(4096);
        connect(link, &QTcpSocket::readyRead, link, [link] { link->skip(link->bytesAvailable()); });
        connect(link, &QTcpSocket::disconnected, this, [this, link] {
            link->deleteLater();
            --m_links;
            emit linksChanged(m_links);
        });
        emit linksChanged(m_links);
    }
}
