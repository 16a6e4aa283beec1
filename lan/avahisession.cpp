#include "lan/avahisession.h"

#include <QTimer>
#include <avahi-client/client.h>

AvahiSession::AvahiSession(QObject *parent) : QObject(parent) {}

AvahiSession::~AvahiSession()
{
    stop();
}

void AvahiSession::start()
{
    if (m_client)
        return;
    const auto callback = [](AvahiClient *client, AvahiClientState state, void *self) {
        auto *session = static_cast<AvahiSession *>(self);
        // The first call comes from inside avahi_client_new, before it returns.
        session->m_client = client;
        if (state == AVAHI_CLIENT_CONNECTING || state == AVAHI_CLIENT_FAILURE)
            emit session->noDaemon();
        if (state == AVAHI_CLIENT_FAILURE) {
            // The daemon went away: start over, waiting for it to come back;
            // not from inside the client's own callback.
            QTimer::singleShot(0, session, [session] {
                if (!session->m_client)
                    return; // stopped on purpose meanwhile
                session->stop();
                emit session->restarted();
                session->start();
            });
            return;
        }
        emit session->stateChanged(state);
    };
    int error = 0;
    m_client = avahi_client_new(m_poll.api(), AVAHI_CLIENT_NO_FAIL, callback, this, &error);
    if (!m_client)
        emit noDaemon();
}

void AvahiSession::stop()
{
    if (m_client)
        avahi_client_free(m_client);
    m_client = nullptr;
}
