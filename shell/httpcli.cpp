// HTTP GET with progress notifications.
#include "shell/httpcli.h"

#include <QIODevice>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

HttpCli::HttpCli(QObject *parent) : QObject(parent)
{
    m_manager.setProxy(QNetworkProxy::NoProxy);
}

HttpCli::~HttpCli()
{
    // Ending the program mid-transfer must not report anything any more.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

bool HttpCli::get(const QUrl &url, QIODevice *out)
{
    if (m_reply || !out)
        return false;
    m_out = out;
    m_received = 0;
    m_status = 0;
    m_reason.clear();
    m_error.clear();
    m_headersSeen = false;
    m_bodyWanted = false;
    m_stopped = false;
    m_writeFailed = false;

    QNetworkRequest request(url);
    if (!m_agent.isEmpty())
        request.setRawHeader("User-Agent", m_agent);
    if (!m_accept.isEmpty())
        request.setRawHeader("Accept", m_accept);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    m_reply = m_manager.get(request);
    m_reply->setReadBufferSize(kReadBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpCli::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpCli::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpCli::onFinished);
    return true;
}

void HttpCli::stop()
{
    if (!m_reply)
        return;
    m_stopped = true;
    m_status = 404;
    m_reason = QStringLiteral("Connection aborted on request");
    m_reply->abort();
}

void HttpCli::onMetaData()
{
    if (m_headersSeen || !m_reply)
        return;
    const QVariant code = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!code.isValid())
        return;
    const int status = code.toInt();
    // A redirection that is about to be followed is not the document.
    if (status >= 300 && status < 400 && m_reply->hasRawHeader("Location"))
        return;
    m_headersSeen = true;
    m_status = status;
    m_reason = m_reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    for (const auto &[name, value] : m_reply->rawHeaderPairs())
        emit headerData(name + ": " + value);
    // An error page is not the file asked for; it is never written.
    m_bodyWanted = status < 400;
    if (m_bodyWanted)
        emit docBegin();
}

void HttpCli::onReadyRead()
{
    if (!m_reply)
        return;
    if (!m_headersSeen)
        onMetaData();
    const QByteArray chunk = m_reply->readAll();
    if (!m_bodyWanted || chunk.isEmpty() || m_writeFailed)
        return;
    if (m_out->write(chunk) != chunk.size()) {
        m_writeFailed = true;
        m_error = QStringLiteral("Unable to write the file: ") + m_out->errorString();
        m_reply->abort();
        return;
    }
    m_received += chunk.size();
    emit docData(m_received);
}

void HttpCli::onFinished()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    if (!m_stopped && !m_writeFailed && reply->bytesAvailable() > 0)
        onReadyRead();
    if (!m_headersSeen && !m_stopped)
        onMetaData();

    Outcome outcome = Outcome::Done;
    if (m_stopped) {
        outcome = Outcome::HttpFailure;
    } else if (m_writeFailed) {
        outcome = Outcome::OtherFailure;
    } else if (m_status >= 400) {
        outcome = Outcome::HttpFailure;
    } else if (reply->error() != QNetworkReply::NoError || !m_headersSeen) {
        outcome = Outcome::OtherFailure;
        m_error = reply->errorString();
    }
    finish(outcome);
}

void HttpCli::finish(Outcome outcome)
{
    m_reply->disconnect(this);
    m_reply->deleteLater();
    m_reply = nullptr;
    m_out = nullptr;
    QMetaObject::invokeMethod(
        this, [this, outcome] { emit requestDone(outcome); }, Qt::QueuedConnection);
}
