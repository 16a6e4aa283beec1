#pragma once

#include "lan/qtavahipoll.h"

#include <QObject>

struct AvahiClient;

// A client of the Avahi daemon on our event loop. A daemon that is not
// running yet is waited for; one that goes away is waited for again, with a
// new client. Whatever was made with the old client is gone by then.
class AvahiSession : public QObject
{
    Q_OBJECT

public:
    explicit AvahiSession(QObject *parent = nullptr);
    ~AvahiSession() override;

    void start();
    // Frees the client and everything made with it.
    void stop();
    AvahiClient *client() const { return m_client; }

signals:
    // The client's state (an AvahiClientState) changed.
    void stateChanged(int state);
    // No daemon to talk to: not running yet, or gone and waited for again.
    void noDaemon();
    // The client was freed to start over; drop what was made with it.
    void restarted();

private:
    QtAvahiPoll m_poll;
    AvahiClient *m_client = nullptr;
};
