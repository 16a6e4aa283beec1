#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

// A port on 127.0.0.1 that nothing listens on at this moment.
inline quint16 freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A redis-server of the test's own, on a free loopback port, keeping nothing
// on disk; it is stopped by its pid when the test ends. `why` says what kept
// it from starting.
struct RedisProcess
{
    QProcess process;
    quint16 port = 0;
    QString why;

    RedisProcess()
    {
        const QString program = QStandardPaths::findExecutable("redis-server");
        if (program.isEmpty()) {
            why = "redis-server is not installed (tools/setup.sh test installs it)";
            return;
        }
        for (int attempt = 0; attempt < 3 && port == 0; ++attempt) {
            const quint16 candidate = freeLoopbackPort();
            process.start(program,
                          {"--port", QString::number(candidate), "--bind", "127.0.0.1", "--save",
                           "", "--appendonly", "no", "--daemonize", "no", "--loglevel", "warning"});
            if (!process.waitForStarted(5000))
                continue;
            for (int i = 0; i < 200 && process.state() == QProcess::Running; ++i) {
                if (answers(candidate)) {
                    port = candidate;
                    break;
                }
                QThread::msleep(10);
            }
            if (port == 0)
                stop();
        }
        if (port == 0 && why.isEmpty())
            why = "redis-server did not start: " + QString::fromLocal8Bit(process.readAll());
    }
    ~RedisProcess() { stop(); }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(5000);
    }

    static bool answers(quint16 port)
    {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        if (ok) {
            const char ping[] = "PING\r\n";
            char answer[8] = {};
            ok = ::write(fd, ping, 6) == 6 && ::read(fd, answer, 7) >= 5 &&
                 QByteArray(answer).startsWith("+PONG");
        }
        ::close(fd);
        return ok;
    }
};

} // namespace testsupport
