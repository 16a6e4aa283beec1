#include "lobby/lobbylink.h"

#include <QTcpSocket>
#include <QTimer>

LobbyLink::LobbyLink(QObject *parent) : QObject(parent)
{
    m_server.setMaxPendingConnections(kMaxLinks);
    connect(&m_server, &QTcpServer::newConnection, this, &LobbyLink::takeConnections);
}

bool LobbyLink::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

namespace {
const char kTrusted[] = "lobbyLinkTrusted";
} // namespace

void LobbyLink::takeConnections()
{
    while (QTcpSocket *link = m_server.nextPendingConnection()) {
        if (m_links + m_waiting >= kMaxLinks) {
            link->abort();
            link->deleteLater();
            continue;
        }
        link->setReadBufferSize(4096);
        connect(link, &QTcpSocket::readyRead, this, [this, link] { readLines(link); });
        connect(link, &QTcpSocket::disconnected, this, [this, link] {
            link->deleteLater();
            if (link->property(kTrusted).toBool()) {
                --m_links;
                emit linksChanged(m_links);
            } else {
                --m_waiting;
            }
        });
        if (m_token.isEmpty()) {
            trust(link);
            continue;
        }
        ++m_waiting;
        QTimer::singleShot(kHelloMs, link, [link] {
            if (!link->property(kTrusted).toBool())
                link->abort();
        });
    }
}

void LobbyLink::trust(QTcpSocket *link)
{
    if (link->property(kTrusted).toBool())
        return;
    if (!m_token.isEmpty())
        --m_waiting;
    link->setProperty(kTrusted, true);
    ++m_links;
    emit linksChanged(m_links);
}

// Only whole lines of known kinds count; a line longer than the limit cuts the
// link's words off for good, as nothing honest sends one.
void LobbyLink::readLines(QTcpSocket *link)
{
    while (link->canReadLine()) {
        const QByteArray raw = link->readLine(kMaxLine + 2);
        if (!raw.endsWith('\n')) {
            stopListening(link);
            return;
        }
        const QByteArray line = raw.trimmed();
        if (!link->property(kTrusted).toBool()) {
            // The first line proves the game is one this lobby started.
            if (line != "hello " + m_token) {
                link->abort();
                return;
            }
            trust(link);
            continue;
        }
        const QString text = QString::fromUtf8(line.mid(line.indexOf(' ') + 1)).simplified();
        if (line.startsWith("reach ")) {
            m_reach = text;
            m_invitation.clear();
            emit reachChanged(m_reach, m_invitation);
        } else if (line.startsWith("invite ") && m_invitation.size() < kMaxInviteLinks &&
                   !text.contains(QLatin1Char(' '))) {
            m_invitation << text;
            emit reachChanged(m_reach, m_invitation);
        }
    }
    if (link->bytesAvailable() > kMaxLine)
        stopListening(link);
}

void LobbyLink::stopListening(QTcpSocket *link)
{
    link->skip(link->bytesAvailable());
    disconnect(link, &QTcpSocket::readyRead, this, nullptr);
    connect(link, &QTcpSocket::readyRead, link, [link] { link->skip(link->bytesAvailable()); });
}
