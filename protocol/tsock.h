#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

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
class TSock : public QObject
{
    Q_OBJECT

public:
    using Event = std::function<void(TSock *sender)>;
    using ReadEvent = std::function<void(TSock *sender, int count)>;
    using AcceptEvent = std::function<void(TSock *sender, TSock *newSock)>;
    using InfoEvent = std::function<void(TSock *sender, TSocketInfo kind, const QByteArray &msg)>;

    explicit TSock(QObject *parent = nullptr);
    ~TSock() override;

    // Published properties.
    void setSocketType(TSocketType type);
    QString HostName() const { return m_hostName; }
    void setHostName(const QString &host);
    void setPortName(const QString &port);
    bool Listen() const { return m_listening; }
    void setListen(bool listen);

    // Events; each may be empty.
    Event OnConnect;
    Event OnDisconnect;
    ReadEvent OnRead;
    Event OnWrite;
    Event OnAccept;
    AcceptEvent OnAutoAccept;
    InfoEvent OnInfo;

    // Starts connecting to HostName:PortName; the connect completes later.
    // Returns whether the socket is connected already.
    bool Open();
    // Accepts the waiting connection into a new socket (owned by this one).
    bool Accept(TSock *&newSock);
    // Queues text and sends what the platform takes now.
    void Send(const QByteArray &text);
    // Everything received and not yet taken.
    QByteArray Receive();
    bool Close();

    bool Connected() const { return m_connected; }
    bool hasSocket() const { return m_fd >= 0; }
    int pendingOutgoing() const { return int(m_outgoing.size()); }
    // The local port of a listening socket (useful when listening on port 0).
    int localPort() const;
    // A listener whose accept failed for want of resources stops watching for
    // waiting connections this long, then tries again.
    static constexpr int kAcceptPauseMs = 100;
    bool acceptPaused() const;

private:
    void info(TSocketInfo kind, const QByteArray &msg);
    void adoptConnected(int fd, const QString &peer);
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
    quint32 resolveHost();

    int m_fd = -1;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_listening = false;
    TSocketType m_socketType = stStream;
    QString m_hostName;
    QString m_portName;
    QByteArray m_incoming;
    QByteArray m_outgoing;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QTimer *m_acceptPause = nullptr; // made on the first failed accept
};
