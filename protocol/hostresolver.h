#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <functional>

class QObject;

// Turns a host name into its addresses without holding up the caller: the
// answer comes later, through the event loop of the thread that asked.
class HostResolver
{
public:
    using Answer = std::function<void(const QList<QHostAddress> &addresses)>;

    virtual ~HostResolver() = default;

    // Starts a lookup. `answer` runs once, on `context`'s thread, with no
    // addresses when the name is unknown; never after cancel() or after
    // `context` is gone. Returns an id for cancel().
    virtual int lookup(const QString &name, QObject *context, Answer answer) = 0;
    virtual void cancel(int id) = 0;
};

// The platform's name service, asked on a worker thread. Names found are
// remembered for the life of the process; names not found are asked again.
HostResolver &systemHostResolver();
