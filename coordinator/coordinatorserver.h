#pragma once

#include "coordinator/coordinatorcore.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSslConfiguration>
#include <QTimer>
#include <QWebSocketServer>
#include <memory>

class QWebSocket;

struct CoordinatorServerLimits
{
    // Open connections from one address (an IPv6 /64), and in all.
    int perAddress = 16;
    int connections = 50000;
    // Bytes queued for a peer that does not read; more closes it.
    qint64 unsentBytes = 64 * 1024;
    // Connect-backs under way at once, and how long one may take.
    int probes = 256;
    int probeMs = 3000;
};

// The coordinator's runtime: binds the core to a WebSocket server (TLS when
// given a certificate), to connect-back probes and to a steady clock.
class CoordinatorServer : public QObject, private CoordinatorPort
{
    Q_OBJECT
public:
    CoordinatorServer(QByteArray id, CoordinatorStore &store, CoordinatorLimits limits = {},
                      CoordinatorServerLimits serverLimits = {}, QObject *parent = nullptr);
    ~CoordinatorServer() override;

    // Listens; with a TLS configuration the peers speak wss://.
    bool listen(const QHostAddress &address, quint16 port,
                const std::optional<QSslConfiguration> &tls = std::nullopt);
    quint16 port() const;
    QString errorString() const;
    const CoordinatorCore &core() const { return m_core; }

private:
    void send(int n, const QByteArray &line) override;
    void close(int n) override;
    void probe(int n, const Endpoint &candidate) override;
    qint64 now() const override;
    QByteArray randomBytes(int count) override;

    void accept();
    void gone(int n);
    // Takes connection n out of the books; its socket, or null when unknown.
    QWebSocket *forget(int n);
    void closeNonReaders();
    void cutOff(int n);
    static constexpr int kAcceptPauseMs = 1000;

    CoordinatorServerLimits m_serverLimits;
    QElapsedTimer m_clock;
    CoordinatorCore m_core;
    std::unique_ptr<QWebSocketServer> m_server;
    QHash<int, QWebSocket *> m_sockets;
    QHash<QByteArray, int> m_perBlock;
    QTimer m_tick;
    int m_next = 0;
    int m_probes = 0;
};
