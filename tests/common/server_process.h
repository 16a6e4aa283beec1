#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace testsupport {

// The console server as a program of its own, on a free port; it dies with
// the test. SPADES_SERVER names the program.
struct ServerProcess
{
    QProcess process;
    int port = 0;
    QByteArray out; // what it printed while starting

    explicit ServerProcess(const QStringList &arguments)
    {
        process.start(SPADES_SERVER, QStringList{"--port", "0", "--no-port-mapping"} + arguments);
        if (!process.waitForStarted(10000))
            return;
        while (!out.contains('\n') && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        if (out.startsWith("listening on port "))
            port = out.mid(18, out.indexOf('\n') - 18).toInt();
    }
    ~ServerProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
};

} // namespace testsupport
