#pragma once

#include <avahi-common/watch.h>

// Avahi's event loop interface on Qt's: descriptor watches become socket
// notifiers and timeouts single-shot timers, all on the thread that made
// this object. Everything Avahi does then happens inside our one loop.
class QtAvahiPoll
{
public:
    QtAvahiPoll();
    QtAvahiPoll(const QtAvahiPoll &) = delete;
    QtAvahiPoll &operator=(const QtAvahiPoll &) = delete;

    const AvahiPoll *api() const { return &m_api; }

private:
    AvahiPoll m_api{};
};
