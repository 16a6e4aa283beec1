#pragma once

#include "protocol/posixsocket.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

class HostResolver;
class QSocketNotifier;
class QTimer;

// Misuse of a socket, with one of the component's fixed texts.
class ESockException : public std::runtime_error
{
public:
    explicit ESockException(const char *text) : std::runtime_error(text) {}
};

enum TSocketType { stStream, stDatagram };
// Kinds of the progress and error reports delivered through OnInfo.
enum TSocketInfo {
    siLookup = 0,
    siConnect = 1,
    siClose = 2,
    siListen = 3,
    siReceive = 4,
    siSend = 5,
    siAccept = 6,
    siError = 7
};

// A non-blocking TCP socket that reports what happens to it as events on the
// thread's event loop. Only the stream, non-blocking mode is built.
//
// A listener takes IPv6 and IPv4 connections on its port, unless it is given
// one address to listen on. Open takes an IPv4
// or IPv6 address or a host name; a name is looked up without waiting for the
// answer, and its addresses are tried in turn until one connects.
class TSock : public QObject
{
    Q_OBJECT

public:
    using Event = std::function<void(TSock *sender)>;
    using ReadEvent = std::function<void(TSock *sender, int count)>;
    using AcceptEvent = std::function<void(TSock *sender, TSock *newSock)>;
    using InfoEvent = std::function<void(TSock *sender, TSocketInfo kind, const QByteArray &msg)>;
    using FailureEvent = std::function<void(TSock *sender, const QByteArray &text)>;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override;

    // Published properties.
    void setSocketType(TSocketType type);
    QString HostName() const { return m_hostName; }
    void setHostName(const QString &host);
    void setPortName(const QString &port);
    bool Listen() const { return m_listening; }
    void setListen(bool listen);
    // The one address a listener takes connections on; while it is null (the
    // default), every local address.
    void setListenAddress(const QHostAddress &address) { m_listenAddress = address; }

    // Events; each may be empty.
    Event OnConnect;
    Event OnDisconnect;
    ReadEvent OnRead;
    Event OnWrite;
    Event OnAccept;
    AcceptEvent OnAutoAccept;
    InfoEvent OnInfo;
    // A host name that Open had to look up turned out unknown: the text Open
    // raises for an unknown name. The socket is left without a connection.
    FailureEvent OnFailure;

    // Starts connecting to HostName:PortName; the connect completes later.
    // Returns whether the socket is connected already. Bad texts raise at
    // once; a name the platform does not know is reported through OnFailure.
    bool Open();
    // Accepts the waiting connection into a new socket (owned by this one).
    bool Accept(TSock *&newSock);
    // A connection made elsewhere (a relay's paired socket) taken by this
    // listener as if it had accepted it: the new socket is owned by this one
    // and has its events. Takes ownership of fd even when it fails.
    bool AcceptConnected(int fd, const QString &peer, TSock *&newSock);
    // A connection made elsewhere taken as if Open had made it: whatever this
    // socket held is closed first, then OnConnect runs. Takes ownership of fd.
    void OpenConnected(int fd, const QString &peer);
    // Queues text and sends what the platform takes now.
    void Send(const QByteArray &text);
    // Everything received and not yet taken.
    QByteArray Receive();
    bool Close();

    bool Connected() const { return m_connected; }
    bool hasSocket() const { return m_fd >= 0; }
    // Open is waiting for a host name's addresses.
    bool lookingUp() const { return m_lookup.has_value(); }
    // Where names are looked up; the platform's name service by default.
    void setResolver(HostResolver *resolver);
    // An address that does not answer is given up for the next one after this
    // long; the last address is given the platform's full time.
    static constexpr int kAttemptMs = 4000;
    int pendingOutgoing() const { return int(m_outgoing.size()); }
    // The local port of a listening socket (useful when listening on port 0).
    int localPort() const;
    // A listener whose accept failed for want of resources stops watching for
    // waiting connections this long, then tries again.
    static constexpr int kAcceptPauseMs = 100;
    bool acceptPaused() const;

    // Every connection made or accepted from now on keeps alive and drops
    // unanswered peers by these times (posixsocket::Keepalive); tests that
    // cut links shorten them.
    static void setKeepalive(const posixsocket::Keepalive &times);
    static posixsocket::Keepalive keepalive();

private:
    // Socket events arrive from the event loop, which cannot carry exceptions:
    // a report handler that throws is noted and the event ends there.
    template <typename Body> static void guarded(Body body)
    {
        try {
            body();
        } catch (const std::exception &error) {
            qWarning("socket event: %s", error.what());
        }
    }

    void info(TSocketInfo kind, const QByteArray &msg);
    void adoptConnected(int fd, const QString &peer);
    TSock *acceptedSock(int fd, const QString &peer);
    void watch();
    void unwatch();
    void updateWriteInterest();
    void sendStep();
    void onReadable();
    void onWritable();
    void handleError(int code);
    void peerClosed();
    void pauseAccepting();
    quint16 resolvePort();
    std::optional<QList<QHostAddress>> resolveHostNow();
    void addressesFound(const QList<QHostAddress> &addresses);
    void tryNextAddress();
    void abandonAttempt();
    void cancelLookup();

    int m_fd = -1;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_listening = false;
    TSocketType m_socketType = stStream;
    QString m_hostName;
    QString m_portName;
    QByteArray m_incoming;
    QByteArray m_outgoing;
    QHostAddress m_listenAddress;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer *m_acceptPause = nullptr; // made on the first failed accept
    HostResolver *m_resolver = nullptr;
    std::optional<int> m_lookup; // the pending lookup's id
    quint16 m_port = 0;          // of the connection being opened
    QList<QHostAddress> m_candidates;
    qsizetype m_nextCandidate = 0;
    QTimer *m_attemptTimer = nullptr; // made when a second address is waiting
};
