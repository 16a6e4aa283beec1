#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <QNetworkReply>

// One HTTP GET at a time into a device, with the notifications the download
// window shows progress from. The transfer runs on the event loop; its end is
// reported by requestDone() one event later than the network's own finish,
// so whatever a stop request wrote into the window is seen first.
class HttpCli : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        Done,         // a status below 400 and the whole body written
        HttpFailure,  // a status of 400 or above, or stopped on request
        OtherFailure, // no answer at all, a broken transfer, or the device refused data
    };
    Q_ENUM(Outcome)

    // At most this much of the body waits in memory, so a stop takes effect
    // within one buffer.
    static constexpr qint64 kReadBufferSize = 64 * 1024;

    explicit HttpCli(QObject *parent = nullptr);
    ~HttpCli() override;

    void setUserAgent(const QByteArray &agent) { m_agent = agent; }
    void setAccept(const QByteArray &accept) { m_accept = accept; }

    // Starts a GET of url into out. False when a transfer already runs.
    bool get(const QUrl &url, QIODevice *out);

    // Ends a running transfer as an HTTP failure: status 404, reason
    // "Connection aborted on request".
    void stop();

    bool isRunning() const { return m_reply != nullptr; }
    qint64 rcvdCount() const { return m_received; }
    int statusCode() const { return m_status; }
    const QString &reasonPhrase() const { return m_reason; }
    // Why an OtherFailure happened, in words for the player.
    const QString &errorText() const { return m_error; }

signals:
    void headerData(const QByteArray &line);
    void docBegin();
    void docData(qint64 received);
    void requestDone(HttpCli::Outcome outcome);

private:
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void finish(Outcome outcome);

    QNetworkAccessManager m_manager;
    QPointer<QNetworkReply> m_reply;
    QIODevice *m_out = nullptr;
    QByteArray m_agent;
    QByteArray m_accept;
    qint64 m_received = 0;
    int m_status = 0;
    QString m_reason;
    QString m_error;
    bool m_headersSeen = false;
    bool m_bodyWanted = false;
    bool m_stopped = false;
    bool m_writeFailed = false;
};
