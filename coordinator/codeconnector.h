#pragma once

#include "coordinator/endpoint.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

class CoordinatorClient;
class RelayDialer;
class TSock;

// Connects a table's socket to the table an invite code stands for. Each call
// asks a coordinator afresh, since a relay's ticket is good for one connection
// only and a table may have moved since; then the socket connects straight to
// the address the answer names, as it would to a typed address, or takes the
// connection a relay paired for it. Once connected, the table protocol flows
// as on any other connection. No widgets: the program shows what it says.
class CodeConnector : public QObject
{
    Q_OBJECT
public:
    // The coordinators as set by the player (see CoordinatorClient::urlOf);
    // with none, nothing is sent anywhere.
    explicit CodeConnector(const QStringList &coordinators, QObject *parent = nullptr);
    ~CodeConnector() override;

    static constexpr char kNoCoordinatorSet[] =
        "Joining by code needs a coordinator: set one in the lobby, or start the game with "
        "--coordinator HOST[:PORT].";

    // Starts over for `code` as typed: whatever an earlier call still waited
    // for is dropped. The socket must be closed; it must outlive the call's
    // answer or be destroyed, which drops it.
    void connectTo(TSock &sock, const QString &code);
    void cancel();

signals:
    // A line for the player about what is going on.
    void progress(const QString &text);
    // Why this call will not connect; the words may come from the coordinator
    // or the relay and are plain text.
    void failed(const QString &why);

private:
    void direct(const Endpoint &table);
    void viaRelay(const Endpoint &relay, const QByteArray &ticket);
    void relayReady(int fd);
    void fail(const QString &why);

    QStringList m_coordinators;
    QString m_shown; // the code as shown to the player
    Endpoint m_relay;
    QPointer<TSock> m_sock;
    CoordinatorClient *m_client = nullptr;
    RelayDialer *m_dialer = nullptr;
};
