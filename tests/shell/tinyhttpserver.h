#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A one-response-at-a-time HTTP server on loopback for the download tests.
// It answers every request with the configured response, can hold back the
// rest of it after a given number of body bytes until release(), and can cut
// the connection early.
class TinyHttpServer : public QObject
{
public:
    struct Response
    {
        QByteArray head; // status line and headers, ending in an empty line
        QByteArray body;
        qsizetype holdAt = -1;  // body bytes sent before waiting for release()
        qsizetype closeAt = -1; // body bytes sent before closing the connection
    };

    TinyHttpServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    quint16 port() const { return m_server.serverPort(); }
    QByteArray url(const char *path) const
    {
        return "http://127.0.0.1:" + QByteArray::number(port()) + path;
    }
    void respond(const Response &response) { m_response = response; }
    static Response ok(const QByteArray &body, const QByteArray &extraHeaders = {})
    {
        return {"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                    QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n",
                body};
    }
    const QList<QByteArray> &requests() const { return m_requests; }

    void release()
    {
        if (!m_client)
            return;
        m_client->write(m_response.body.mid(m_response.holdAt));
        m_client->disconnectFromHost();
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                m_pending += socket->readAll();
                if (!m_pending.contains("\r\n\r\n"))
                    return;
                m_requests.append(m_pending);
                m_pending.clear();
                answer(socket);
            });
        }
    }

    void answer(QTcpSocket *socket)
    {
        m_client = socket;
        const Response &r = m_response;
        if (r.closeAt >= 0) {
            socket->write(r.head + r.body.left(r.closeAt));
            socket->disconnectFromHost();
        } else if (r.holdAt >= 0) {
            socket->write(r.head + r.body.left(r.holdAt));
        } else {
            socket->write(r.head + r.body);
            socket->disconnectFromHost();
        }
    }

    QTcpServer m_server;
    Response m_response;
    QByteArray m_pending;
    QList<QByteArray> m_requests;
    QPointer<QTcpSocket> m_client;
};
