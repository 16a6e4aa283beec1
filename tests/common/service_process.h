#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

namespace testsupport {

// A program of the project that prints "listening on port N" once it serves,
// started on a free port; it is stopped by its pid when the test ends or when
// the test kills it.
struct ServiceProcess
{
    QProcess process;
    quint16 port = 0;
    QByteArray out;

    ServiceProcess(const QString &program, const QStringList &arguments)
    {
        process.start(program, arguments);
        if (!process.waitForStarted(10000))
            return;
        while (!out.contains('\n') && process.waitForReadyRead(10000))
            out += process.readAllStandardOutput();
        if (out.startsWith("listening on port "))
            port = quint16(out.mid(18, out.indexOf('\n') - 18).toUInt());
    }
    ~ServiceProcess() { kill(); }

    // SIGKILL: the process gets no chance to unregister anything.
    void kill()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(5000);
    }
};

} // namespace testsupport
