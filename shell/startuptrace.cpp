#include "shell/startuptrace.h"

#include "client/tchat.h"

#include <QWindow>
#include <cstdio>
#include <ctime>

namespace {

qint64 mainStartedNs = 0;

qint64 clockNs(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

qint64 nowNs()
{
    return clockNs(CLOCK_REALTIME);
}

void report(Tchat *table)
{
    bool isNumber = false;
    const qint64 launchedNs = qEnvironmentVariable("SPADES_TRACE_STARTUP").toLongLong(&isNumber);
    // Only a launch time before main() and not long before it is taken.
    const bool fromLaunch = isNumber && launchedNs > 0 && launchedNs <= mainStartedNs &&
                            mainStartedNs - launchedNs < qint64(60) * 1000000000;
    const qint64 since = fromLaunch ? launchedNs : mainStartedNs;
    const QWindow *window = table->windowHandle();
    // The processor time tells the program's own work from waiting for a
    // busy machine.
    std::printf("spades-startup: logged in after %.1f ms (from %s), window %s, cpu %.1f ms\n",
                double(nowNs() - since) / 1e6, fromLaunch ? "launch" : "main",
                window && window->isExposed() ? "exposed" : "not yet exposed",
                double(clockNs(CLOCK_PROCESS_CPUTIME_ID)) / 1e6);
    std::fflush(stdout);
}

} // namespace

namespace startuptrace {

void markMainStarted()
{
    mainStartedNs = nowNs();
}

void watch(Tchat *table)
{
    if (!qEnvironmentVariableIsSet("SPADES_TRACE_STARTUP"))
        return;
    QObject::connect(table, &Tchat::loginConfirmed, table, [table, done = false]() mutable {
        if (done)
            return;
        done = true;
        report(table);
    });
}

} // namespace startuptrace
