#pragma once

#include "lan/avahisession.h"
#include "lan/lantable.h"

#include <QMap>
#include <tuple>

struct AvahiClient;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

// The tables on the local network as the Avahi daemon finds them. Each table
// seen is resolved and its resolver kept, so that a change of its TXT record
// (a seat taken or freed) shows at once. What the network says is bounded:
// at most kMaxEntries services are followed.
class AvahiTableBrowser : public TableBrowser
{
    Q_OBJECT

public:
    static constexpr int kMaxEntries = 64;

    explicit AvahiTableBrowser(QObject *parent = nullptr);
    ~AvahiTableBrowser() override;

    QList<LanTable> tables() const override;
    QString problem() const override { return m_problem; }

private:
    // A service as seen on one interface over one protocol.
    using Key = std::tuple<int, int, QString>;
    struct Entry
    {
        AvahiServiceResolver *resolver = nullptr;
        std::optional<LanTable> table;
    };

    void clientStateChanged(int state);
    void serviceSeen(int interface, int protocol, int event, const char *name, const char *type,
                     const char *domain);
    void serviceResolved(const Key &key, int event, const void *address, quint16 port,
                         const QList<QByteArray> &txt);
    void setProblem(const QString &problem);

    AvahiSession m_session;
    AvahiServiceBrowser *m_browser = nullptr;
    QMap<Key, Entry> m_entries;
    QString m_problem;
};
