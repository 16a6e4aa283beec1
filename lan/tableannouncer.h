#pragma once

#include "lan/avahisession.h"

#include <QObject>
#include <QString>

struct AvahiClient;
struct AvahiEntryGroup;

// Announces a hosted table on the local network through the Avahi daemon,
// as "_spades._tcp" on its port with the host's name and the free seats in
// the TXT record. Without a daemon nothing is announced and nothing else is
// held up; when the daemon (re)appears the table is announced then.
class TableAnnouncer : public QObject
{
    Q_OBJECT

public:
    explicit TableAnnouncer(QObject *parent = nullptr);
    ~TableAnnouncer() override;

    // Starts announcing, or updates what is announced.
    void announce(quint16 port, const QString &hostName, int freeSeats);
    void setFreeSeats(int freeSeats);
    void withdraw();

    // The name the table goes by on the network (it may gain a number when
    // another table has taken it); empty while not announced.
    QString serviceName() const { return m_announced ? m_name : QString(); }
    // Why the table is not announced, or empty.
    QString problem() const { return m_problem; }

signals:
    void stateChanged();

private:
    void clientStateChanged(int state);
    void groupStateChanged(AvahiEntryGroup *group, int state);
    void publish(AvahiClient *client);
    void updateRecord();
    void setProblem(const QString &problem, bool announced);

    AvahiSession m_session;
    AvahiEntryGroup *m_group = nullptr;
    bool m_wanted = false;
    bool m_announced = false;
    quint16 m_port = 0;
    QString m_hostName;
    QString m_name;
    int m_freeSeats = 0;
    QString m_problem;
};
