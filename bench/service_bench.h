#pragma once

// What the coordinator and relay benchmarks share: their programs as
// processes, memory read from /proc, percentiles. A Redis of their own and
// waiting on the event loop come from the tests' helpers.
#include "tests/common/redis_process.h"
#include "tests/common/test_support.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace bench {

inline qint64 residentKb(qint64 pid)
{
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p / 100.0 * double(values.size())));
    return values[at];
}

// Sleeps in the event loop until something arrives, so an answer is seen the
// moment it comes and its time is not rounded up to a polling step.
inline bool awaitAnswer(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // checks the deadline when nothing else comes
    wake.start(50);
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// A program that prints "listening on port N" (and perhaps more lines).
struct Service
{
    QProcess process;
    quint16 port = 0;
    QByteArray out;

    Service(const QString &program, const QStringList &arguments, int lines = 1)
    {
        process.start(program, arguments);
        process.waitForStarted(10000);
        while (out.count('\n') < lines && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        if (out.startsWith("listening on port "))
            port = quint16(out.mid(18, out.indexOf('\n') - 18).toUInt());
    }
    ~Service()
    {
        process.kill();
        process.waitForFinished(5000);
    }
    // The number printed after `prefix`, on any line.
    quint16 portAfter(const QByteArray &prefix) const
    {
        const qsizetype at = out.indexOf(prefix);
        return at < 0 ? 0 : quint16(out.mid(at + prefix.size()).split('\n').value(0).toUInt());
    }
};

} // namespace bench
