#include "lan/qtavahipoll.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <avahi-common/timeval.h>
#include <memory>

// Avahi may free a watch or a timeout from inside its own callback; then it
// is only marked dead and deleted once the loop is back in control. Freed
// anywhere else (as when the program ends) it goes at once.
struct AvahiWatch : QObject
{
    int fd = -1;
    AvahiWatchEvent happened = AvahiWatchEvent(0);
    AvahiWatchCallback callback = nullptr;
    void *userdata = nullptr;
    bool dead = false;
    bool firing = false;
    std::unique_ptr<QSocketNotifier> reading;
    std::unique_ptr<QSocketNotifier> writing;

    void want(AvahiWatchEvent events)
    {
        reading->setEnabled(!dead && (events & AVAHI_WATCH_IN));
        writing->setEnabled(!dead && (events & AVAHI_WATCH_OUT));
    }
    void fire(AvahiWatchEvent event)
    {
        if (dead)
            return;
        happened = event;
        firing = true;
        callback(this, fd, event, userdata);
        firing = false;
        if (dead)
            deleteLater();
        else
            happened = AvahiWatchEvent(0);
    }
};

struct AvahiTimeout : QObject
{
    QTimer timer;
    AvahiTimeoutCallback callback = nullptr;
    void *userdata = nullptr;
    bool dead = false;
    bool firing = false;

    void setExpiry(const struct timeval *tv)
    {
        timer.stop();
        if (!tv || dead)
            return;
        // avahi_age is how long ago tv was; a deadline in the future is negative.
        const AvahiUsec wait = -avahi_age(tv);
        timer.start(wait <= 0 ? 0 : int(std::min<AvahiUsec>((wait + 999) / 1000, 86'400'000)));
    }
};

namespace {

AvahiWatch *watchNew(const AvahiPoll *, int fd, AvahiWatchEvent events, AvahiWatchCallback callback,
                     void *userdata)
{
    auto *watch = new AvahiWatch;
    watch->fd = fd;
    watch->callback = callback;
    watch->userdata = userdata;
    watch->reading = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    watch->writing = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(watch->reading.get(), &QSocketNotifier::activated, watch,
                     [watch] { watch->fire(AVAHI_WATCH_IN); });
    QObject::connect(watch->writing.get(), &QSocketNotifier::activated, watch,
                     [watch] { watch->fire(AVAHI_WATCH_OUT); });
    watch->want(events);
    return watch;
}

void watchUpdate(AvahiWatch *watch, AvahiWatchEvent events)
{
    watch->want(events);
}

AvahiWatchEvent watchGetEvents(AvahiWatch *watch)
{
    return watch->happened;
}

void watchFree(AvahiWatch *watch)
{
    watch->dead = true;
    watch->want(AvahiWatchEvent(0));
    if (!watch->firing)
        delete watch;
}

AvahiTimeout *timeoutNew(const AvahiPoll *, const struct timeval *tv, AvahiTimeoutCallback callback,
                         void *userdata)
{
    auto *timeout = new AvahiTimeout;
    timeout->callback = callback;
    timeout->userdata = userdata;
    timeout->timer.setSingleShot(true);
    QObject::connect(&timeout->timer, &QTimer::timeout, timeout, [timeout] {
        if (timeout->dead)
            return;
        timeout->firing = true;
        timeout->callback(timeout, timeout->userdata);
        timeout->firing = false;
        if (timeout->dead)
            timeout->deleteLater();
    });
    timeout->setExpiry(tv);
    return timeout;
}

void timeoutUpdate(AvahiTimeout *timeout, const struct timeval *tv)
{
    timeout->setExpiry(tv);
}

void timeoutFree(AvahiTimeout *timeout)
{
    timeout->dead = true;
    timeout->timer.stop();
    if (!timeout->firing)
        delete timeout;
}

} // namespace

QtAvahiPoll::QtAvahiPoll()
{
    m_api.userdata = this;
    m_api.watch_new = watchNew;
    m_api.watch_update = watchUpdate;
    m_api.watch_get_events = watchGetEvents;
    m_api.watch_free = watchFree;
    m_api.timeout_new = timeoutNew;
    m_api.timeout_update = timeoutUpdate;
    m_api.timeout_free = timeoutFree;
}
