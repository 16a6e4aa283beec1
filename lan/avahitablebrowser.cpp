#include "lan/avahitablebrowser.h"

#include <QHostAddress>
#include <QtEndian>
#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <avahi-common/error.h>
#include <avahi-common/strlst.h>
#include <net/if.h>

namespace {

QString noDaemon()
{
    return QStringLiteral("Tables on your network cannot be found: the Avahi daemon is not "
                          "running.");
}

QList<QByteArray> txtStrings(AvahiStringList *txt)
{
    QList<QByteArray> strings;
    for (AvahiStringList *s = txt; s && strings.size() < 16; s = avahi_string_list_get_next(s))
        strings << QByteArray(reinterpret_cast<const char *>(avahi_string_list_get_text(s)),
                              qsizetype(qMin<size_t>(avahi_string_list_get_size(s), 255)));
    return strings;
}

// The address as the join field takes it; a link-local IPv6 address needs the
// interface it was seen on.
QString addressText(const AvahiAddress *address, int interface)
{
    if (address->proto == AVAHI_PROTO_INET) {
        return QHostAddress(quint32(qFromBigEndian(address->data.ipv4.address))).toString();
    }
    QHostAddress v6(address->data.ipv6.address);
    if (v6.isLinkLocal()) {
        char name[IF_NAMESIZE] = {};
        if (if_indextoname(unsigned(interface), name))
            v6.setScopeId(QString::fromLatin1(name));
    }
    return v6.toString();
}

} // namespace

AvahiTableBrowser::AvahiTableBrowser(QObject *parent) : TableBrowser(parent)
{
    connect(&m_session, &AvahiSession::stateChanged, this, &AvahiTableBrowser::clientStateChanged);
    connect(&m_session, &AvahiSession::noDaemon, this, [this] { setProblem(noDaemon()); });
    // The browser and resolvers went with the old client.
    connect(&m_session, &AvahiSession::restarted, this, [this] {
        m_browser = nullptr;
        m_entries.clear();
        emit changed();
    });
    m_session.start();
}

// The session frees the client, and with it the browser and resolvers.
AvahiTableBrowser::~AvahiTableBrowser() = default;

void AvahiTableBrowser::clientStateChanged(int state)
{
    AvahiClient *client = m_session.client();
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING: {
        if (m_browser)
            break;
        const auto callback = [](AvahiServiceBrowser *, AvahiIfIndex interface,
                                 AvahiProtocol protocol, AvahiBrowserEvent event, const char *name,
                                 const char *type, const char *domain, AvahiLookupResultFlags,
                                 void *self) {
            static_cast<AvahiTableBrowser *>(self)->serviceSeen(interface, protocol, event, name,
                                                                type, domain);
        };
        m_browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                              lantable::kServiceType, nullptr, AvahiLookupFlags(0),
                                              callback, this);
        if (m_browser)
            setProblem(QString());
        else
            setProblem(QStringLiteral("Tables on your network cannot be found (%1).")
                           .arg(QString::fromUtf8(avahi_strerror(avahi_client_errno(client)))));
        break;
    }
    default:
        break;
    }
}

void AvahiTableBrowser::serviceSeen(int interface, int protocol, int event, const char *name,
                                    const char *type, const char *domain)
{
    const Key key{interface, protocol, QString::fromUtf8(name)};
    if (event == AVAHI_BROWSER_REMOVE) {
        const auto it = m_entries.find(key);
        if (it == m_entries.end())
            return;
        if (it->resolver)
            avahi_service_resolver_free(it->resolver);
        const bool shown = it->table.has_value();
        m_entries.erase(it);
        if (shown)
            emit changed();
        return;
    }
    if (event == AVAHI_BROWSER_FAILURE) {
        setProblem(
            QStringLiteral("Tables on your network cannot be found (%1).")
                .arg(QString::fromUtf8(avahi_strerror(avahi_client_errno(m_session.client())))));
        return;
    }
    if (event != AVAHI_BROWSER_NEW || m_entries.contains(key) || m_entries.size() >= kMaxEntries)
        return;
    const auto callback = [](AvahiServiceResolver *, AvahiIfIndex interface, AvahiProtocol protocol,
                             AvahiResolverEvent event, const char *name, const char *, const char *,
                             const char *, const AvahiAddress *address, uint16_t port,
                             AvahiStringList *txt, AvahiLookupResultFlags, void *self) {
        static_cast<AvahiTableBrowser *>(self)->serviceResolved(
            Key{interface, protocol, QString::fromUtf8(name)}, event, address, port,
            event == AVAHI_RESOLVER_FOUND ? txtStrings(txt) : QList<QByteArray>{});
    };
    // The address is asked in the family the service was seen over.
    Entry &entry = m_entries[key];
    entry.resolver =
        avahi_service_resolver_new(m_session.client(), interface, protocol, name, type, domain,
                                   protocol, AvahiLookupFlags(0), callback, this);
}

void AvahiTableBrowser::serviceResolved(const Key &key, int event, const void *address,
                                        quint16 port, const QList<QByteArray> &txt)
{
    const auto it = m_entries.find(key);
    if (it == m_entries.end())
        return;
    std::optional<LanTable> table;
    if (event == AVAHI_RESOLVER_FOUND && port != 0) {
        if (const std::optional<lantable::Record> record = lantable::readRecord(txt)) {
            table = LanTable{
                std::get<2>(key), record->hostName, record->freeSeats,
                addressText(static_cast<const AvahiAddress *>(address), std::get<0>(key)), port};
        }
    }
    if (it->table == table)
        return;
    it->table = table;
    emit changed();
}

QList<LanTable> AvahiTableBrowser::tables() const
{
    // One line per table, however many ways it was seen; IPv4 first, as
    // every guest can use it.
    QMap<QString, LanTable> byName;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (!it->table)
            continue;
        const bool v4 = std::get<1>(it.key()) == AVAHI_PROTO_INET;
        const auto seen = byName.constFind(it->table->service);
        if (seen == byName.cend() || (v4 && seen->address.contains(QLatin1Char(':'))))
            byName.insert(it->table->service, *it->table);
    }
    return byName.values();
}

void AvahiTableBrowser::setProblem(const QString &problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit changed();
}
