#include "coordinator/codeconnector.h"

#include "coordinator/coordinatorclient.h"
#include "coordinator/relaydialer.h"
#include "protocol/invitecode.h"
#include "protocol/tsock.h"

#include <unistd.h>

namespace {

// Drops a helper that may be in the middle of emitting the very signal that
// led here: it goes once control is back in the event loop, and says
// nothing more meanwhile.
template <typename Helper> void retire(Helper *&helper, QObject *listener)
{
    if (!helper)
        return;
    QObject::disconnect(helper, nullptr, listener, nullptr);
    helper->deleteLater();
    helper = nullptr;
}

} // namespace

CodeConnector::CodeConnector(const QStringList &coordinators, QObject *parent) : QObject(parent)
{
    for (const QString &coordinator : coordinators) {
        if (!coordinator.trimmed().isEmpty())
            m_coordinators << coordinator.trimmed();
    }
}

CodeConnector::~CodeConnector()
{
    cancel();
}

void CodeConnector::cancel()
{
    retire(m_client, this);
    retire(m_dialer, this);
    m_sock.clear();
}

void CodeConnector::connectTo(TSock &sock, const QString &code)
{
    cancel();
    const std::optional<QByteArray> canonical = invite::normalize(code.toLatin1());
    if (!canonical) {
        emit failed(QString::fromLatin1(CoordinatorClient::kNotACode));
        return;
    }
    m_shown = QString::fromLatin1(invite::display(*canonical));
    if (m_coordinators.isEmpty()) {
        emit failed(QString::fromLatin1(kNoCoordinatorSet));
        return;
    }
    m_sock = &sock;
    m_client = new CoordinatorClient(m_coordinators, this);
    connect(m_client, &CoordinatorClient::joinDirect, this, &CodeConnector::direct);
    connect(m_client, &CoordinatorClient::joinViaRelay, this, &CodeConnector::viaRelay);
    connect(m_client, &CoordinatorClient::refused, this, &CodeConnector::fail);
    emit progress(tr("Asking the coordinator for table %1...").arg(m_shown));
    m_client->join(QString::fromLatin1(*canonical));
}

void CodeConnector::fail(const QString &why)
{
    cancel();
    emit failed(why);
}

void CodeConnector::direct(const Endpoint &table)
{
    retire(m_client, this);
    TSock *sock = m_sock.data();
    m_sock.clear();
    if (!sock)
        return;
    emit progress(tr("Connecting to table %1...").arg(m_shown));
    sock->setHostName(QString::fromLatin1(table.host));
    sock->setPortName(QString::number(table.port));
    // What becomes of the connection the socket reports, as for a typed address.
    try {
        sock->Open();
    } catch (const ESockException &error) {
        emit failed(QString::fromLatin1(error.what()));
    }
}

void CodeConnector::viaRelay(const Endpoint &relay, const QByteArray &ticket)
{
    retire(m_client, this);
    if (!m_sock)
        return;
    emit progress(tr("Connecting to table %1 through a relay...").arg(m_shown));
    m_relay = relay;
    m_dialer = new RelayDialer(this);
    connect(m_dialer, &RelayDialer::ready, this, &CodeConnector::relayReady);
    connect(m_dialer, &RelayDialer::failed, this, [this](const QString &why) {
        fail(tr("Could not reach the table through the relay: %1").arg(why));
    });
    m_dialer->dial(relay, relay::Preamble{relay::Role::Join, ticket});
}

void CodeConnector::relayReady(int fd)
{
    retire(m_dialer, this);
    TSock *sock = m_sock.data();
    m_sock.clear();
    if (!sock) {
        ::close(fd);
        return;
    }
    sock->OpenConnected(fd, QStringLiteral("relay %1").arg(QString::fromLatin1(m_relay.text())));
}
