#include "lan/tableannouncer.h"

#include "lan/lantable.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

namespace {

// DNS-SD names are at most 63 bytes of UTF-8; a cut never splits a character.
QString serviceNameFor(const QString &hostName)
{
    QString name = hostName.isEmpty() ? QStringLiteral("Spades table")
                                      : QStringLiteral("Spades table of %1").arg(hostName);
    while (name.toUtf8().size() > 63)
        name.chop(1);
    return name;
}

AvahiStringList *txtRecord(const QString &hostName, int freeSeats)
{
    AvahiStringList *list = nullptr;
    const QList<QByteArray> strings = lantable::record(hostName, freeSeats);
    for (auto it = strings.crbegin(); it != strings.crend(); ++it)
        list = avahi_string_list_add(list, it->constData());
    return list;
}

QString noDaemon()
{
    return QStringLiteral("The table is not shown on your network: the Avahi daemon is not "
                          "running.");
}

} // namespace

TableAnnouncer::TableAnnouncer(QObject *parent) : QObject(parent)
{
    connect(&m_session, &AvahiSession::stateChanged, this, &TableAnnouncer::clientStateChanged);
    connect(&m_session, &AvahiSession::noDaemon, this, [this] { setProblem(noDaemon(), false); });
    // The entry group went with the old client.
    connect(&m_session, &AvahiSession::restarted, this, [this] { m_group = nullptr; });
}

TableAnnouncer::~TableAnnouncer() = default;

void TableAnnouncer::announce(quint16 port, const QString &hostName, int freeSeats)
{
    const bool sameService = m_wanted && port == m_port && hostName == m_hostName;
    m_port = port;
    m_hostName = hostName.left(lantable::kMaxHostNameLength);
    m_freeSeats = freeSeats;
    if (sameService) {
        updateRecord();
        return;
    }
    m_wanted = true;
    m_name = serviceNameFor(m_hostName);
    if (!m_session.client()) {
        m_session.start();
        return;
    }
    if (m_group)
        avahi_entry_group_reset(m_group);
    // Otherwise the daemon's running state publishes.
    if (avahi_client_get_state(m_session.client()) == AVAHI_CLIENT_S_RUNNING)
        publish(m_session.client());
}

void TableAnnouncer::setFreeSeats(int freeSeats)
{
    if (!m_wanted || freeSeats == m_freeSeats)
        return;
    m_freeSeats = freeSeats;
    updateRecord();
}

void TableAnnouncer::withdraw()
{
    m_wanted = false;
    // Freeing the client frees its entry group and withdraws the service.
    m_session.stop();
    m_group = nullptr;
    setProblem(QString(), false);
}

void TableAnnouncer::clientStateChanged(int state)
{
    AvahiClient *client = m_session.client();
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        if (m_wanted)
            publish(client);
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        // The machine's own name is being settled; announce again after.
        if (m_group)
            avahi_entry_group_reset(m_group);
        setProblem(QString(), false);
        break;
    default:
        break;
    }
}

void TableAnnouncer::publish(AvahiClient *client)
{
    if (!m_group) {
        const auto callback = [](AvahiEntryGroup *group, AvahiEntryGroupState state, void *self) {
            static_cast<TableAnnouncer *>(self)->groupStateChanged(group, state);
        };
        m_group = avahi_entry_group_new(client, callback, this);
        if (!m_group) {
            setProblem(QStringLiteral("The table could not be shown on your network (%1).")
                           .arg(QString::fromUtf8(avahi_strerror(avahi_client_errno(client)))),
                       false);
            return;
        }
    }
    AvahiStringList *txt = txtRecord(m_hostName, m_freeSeats);
    const QByteArray name = m_name.toUtf8();
    int result = avahi_entry_group_add_service_strlst(
        m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.constData(),
        lantable::kServiceType, nullptr, nullptr, m_port, txt);
    avahi_string_list_free(txt);
    if (result == AVAHI_ERR_COLLISION) {
        char *other = avahi_alternative_service_name(name.constData());
        m_name = QString::fromUtf8(other);
        avahi_free(other);
        avahi_entry_group_reset(m_group);
        publish(client);
        return;
    }
    if (result >= 0)
        result = avahi_entry_group_commit(m_group);
    if (result < 0)
        setProblem(QStringLiteral("The table could not be shown on your network (%1).")
                       .arg(QString::fromUtf8(avahi_strerror(result))),
                   false);
}

void TableAnnouncer::groupStateChanged(AvahiEntryGroup *group, int state)
{
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        setProblem(QString(), true);
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: {
        // Another table on the network has the name: take the next one.
        char *other = avahi_alternative_service_name(m_name.toUtf8().constData());
        m_name = QString::fromUtf8(other);
        avahi_free(other);
        avahi_entry_group_reset(group);
        publish(avahi_entry_group_get_client(group));
        break;
    }
    case AVAHI_ENTRY_GROUP_FAILURE:
        setProblem(QStringLiteral("The table could not be shown on your network (%1).")
                       .arg(QString::fromUtf8(avahi_strerror(
                           avahi_client_errno(avahi_entry_group_get_client(group))))),
                   false);
        break;
    default:
        break;
    }
}

void TableAnnouncer::updateRecord()
{
    if (!m_group || avahi_entry_group_is_empty(m_group))
        return; // the record goes out with the next publish
    AvahiStringList *txt = txtRecord(m_hostName, m_freeSeats);
    avahi_entry_group_update_service_txt_strlst(m_group, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                                AvahiPublishFlags(0), m_name.toUtf8().constData(),
                                                lantable::kServiceType, nullptr, txt);
    avahi_string_list_free(txt);
}

void TableAnnouncer::setProblem(const QString &problem, bool announced)
{
    if (problem == m_problem && announced == m_announced)
        return;
    m_problem = problem;
    m_announced = announced;
    emit stateChanged();
}
