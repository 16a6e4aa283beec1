#pragma once

#include "host/hostruntime.h"

#include <QPointer>
#include <functional>
#include <memory>

// Runs `recount` once after each host event that noted something, when the
// event has ended: a note may come before the change it tells of is complete
// (a departure is noted before the seat is free). Whatever the host already
// did with its notes it still does. Nothing runs once `context` or the host
// is gone.
inline void afterEachNote(HostRuntime &host, QObject *context, std::function<void()> recount)
{
    auto due = std::make_shared<bool>(false);
    auto noted = std::move(host.onNote);
    host.onNote = [noted = std::move(noted), context = QPointer<QObject>(context), due,
                   alive = QPointer<HostRuntime>(&host),
                   recount = std::move(recount)](const QByteArray &line) {
        if (noted)
            noted(line);
        if (!context || *due)
            return;
        *due = true;
        QMetaObject::invokeMethod(
            context.data(),
            [due, alive, recount] {
                *due = false;
                if (alive)
                    recount();
            },
            Qt::QueuedConnection);
    };
}
