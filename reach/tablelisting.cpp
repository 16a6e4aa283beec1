#include "reach/tablelisting.h"

#include "coordinator/coordinatorclient.h"
#include "coordinator/relaydialer.h"
#include "protocol/invitecode.h"

#include <unistd.h>
#include <utility>

TableListing::TableListing(const QString &coordinators, QObject *parent) : QObject(parent)
{
    const QStringList list = CoordinatorClient::listOf(coordinators);
    if (list.isEmpty())
        return;
    m_state = State::NotListed;
    m_client = new CoordinatorClient(list, this);
    connect(m_client, &CoordinatorClient::hosted, this, &TableListing::hosted);
    connect(m_client, &CoordinatorClient::reachKnown, this, &TableListing::reachKnown);
    connect(m_client, &CoordinatorClient::openRelay, this, &TableListing::openRelay);
    connect(m_client, &CoordinatorClient::refused, this,
            [this](const QString &reason) { setState(State::NotListed, reason); });
    connect(m_client, &CoordinatorClient::unreachable, this,
            [this](const QString &why) { setState(State::Unreachable, why); });
}

TableListing::~TableListing()
{
    // Whoever showed the state may be gone already.
    blockSignals(true);
    stop();
}

QList<Endpoint> TableListing::candidatesOf(const ReachStatus &reach)
{
    QList<Endpoint> candidates;
    for (const ReachAddress &address : reach.addresses) {
        const QHostAddress host(address.host);
        if (host.isNull() || !reach::isGlobal(host) || address.port < 1 || address.port > 65535)
            continue;
        const Endpoint endpoint = Endpoint::of(host, quint16(address.port));
        if (!candidates.contains(endpoint))
            candidates << endpoint;
    }
    return candidates;
}

void TableListing::list(quint16 port, const ReachStatus &reach)
{
    if (!m_client)
        return;
    const QList<Endpoint> candidates = candidatesOf(reach);
    if (m_listedWith == candidates && m_client->isHosting())
        return;
    m_listedWith = candidates;
    m_client->host(port, candidates);
}

void TableListing::stop()
{
    for (RelayDialer *dial : std::exchange(m_dials, {}))
        delete dial;
    if (!m_client || !m_client->isHosting())
        return;
    m_client->stopHosting();
    m_listedWith.reset();
    m_code.clear();
    m_direct.reset();
    setState(State::NotListed, tr("the table has closed"));
}

bool TableListing::closing() const
{
    return m_client && !m_client->isHosting() && m_client->hasConnection();
}

void TableListing::setPublic(const std::optional<PublicListing> &listing)
{
    if (!m_client)
        return;
    const bool was = isPublic();
    m_client->setListing(listing);
    // Until the coordinator lists the table there is nothing new to say.
    if (isPublic() != was && isListed())
        emit changed();
}

bool TableListing::isPublic() const
{
    return m_client && m_client->listing().has_value();
}

std::optional<PublicListing> TableListing::publicListing() const
{
    return m_client ? m_client->listing() : std::nullopt;
}

void TableListing::setState(State state, const QString &reason)
{
    if (state == m_state && reason == m_reason)
        return;
    m_state = state;
    m_reason = reason;
    emit changed();
}

void TableListing::hosted(const QByteArray &code)
{
    // Listed again under the same code (a new coordinator, new addresses):
    // the last verdict holds until the new one comes.
    const bool sameCode = code == m_code;
    m_code = code;
    if (sameCode && (m_state == State::Direct || m_state == State::Relayed)) {
        emit changed();
        return;
    }
    m_direct.reset();
    m_state = State::NotListed;
    setState(State::Checking);
}

void TableListing::reachKnown(const std::optional<Endpoint> &direct)
{
    m_direct = direct;
    m_state = State::Checking;
    setState(direct ? State::Direct : State::Relayed);
}

void TableListing::openRelay(const Endpoint &relay, const QByteArray &ticket)
{
    if (m_dials.size() >= kMostDials) {
        emit note(tr("A friend waits at the relay %1, but %2 relay connections are being "
                     "opened already.")
                      .arg(QString::fromLatin1(relay.text()))
                      .arg(kMostDials));
        return;
    }
    auto *dial = new RelayDialer(this);
    m_dials << dial;
    const QString peer = QStringLiteral("relay ") + QString::fromLatin1(relay.text());
    const auto done = [this, dial] {
        m_dials.removeOne(dial);
        dial->deleteLater();
    };
    connect(dial, &RelayDialer::ready, this, [this, peer, done](int fd) {
        done();
        if (onRelayed)
            onRelayed(fd, peer);
        else
            ::close(fd);
    });
    connect(dial, &RelayDialer::failed, this, [this, peer, done](const QString &why) {
        done();
        emit note(tr("The %1 could not be joined: %2").arg(peer, why));
    });
    dial->dial(relay, relay::Preamble{relay::Role::Host, ticket});
}

QString TableListing::text() const
{
    const QString status = reachText();
    return isListed() && isPublic() ? status + tr(" The table is listed in Open Tables.") : status;
}

QString TableListing::reachText() const
{
    const QString code = QString::fromLatin1(invite::display(m_code));
    switch (m_state) {
    case State::Off:
        return {};
    case State::NotListed:
        return m_reason.isEmpty() ? tr("Not listed with the coordinator yet.")
                                  : tr("Not listed with the coordinator: %1").arg(m_reason);
    case State::Unreachable:
        return tr("The coordinator cannot be reached (%1); trying again.").arg(m_reason);
    case State::Checking:
        return tr("Invite code %1: the coordinator is checking whether friends can reach this "
                  "table directly.")
            .arg(code);
    case State::Direct:
        return tr("Invite code %1: friends join with the code, directly at %2.")
            .arg(code, QString::fromLatin1(m_direct ? m_direct->text() : QByteArray()));
    case State::Relayed:
        return tr("Invite code %1: friends join with the code through the relay; the "
                  "coordinator could not reach this table directly.")
            .arg(code);
    }
    return {};
}

QStringList TableListing::invitationLines() const
{
    if (m_code.isEmpty())
        return {};
    return {QString::fromLatin1(invite::link(m_code)),
            QString::fromLatin1(invite::display(m_code))};
}
