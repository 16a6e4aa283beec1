#pragma once

// The router lab (lab.sh) from a test: namespaces, miniupnpd and tables
// started by the test and stopped by their process ids.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sched.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace reachtest {

inline QString labScript()
{
    return QStringLiteral(SPADES_SOURCE_DIR "/tests/reach/lab.sh");
}

// Why the lab cannot run here, or an empty text when it can.
inline std::string labUnavailable()
{
    if (::geteuid() != 0)
        return "the router lab needs root to make network namespaces and run miniupnpd";
    for (const char *tool : {"/usr/sbin/miniupnpd", "/usr/sbin/nft", "/usr/bin/ip", "/sbin/ip"}) {
        if (QByteArray(tool) == "/usr/bin/ip" && ::access("/sbin/ip", X_OK) == 0)
            continue;
        if (QByteArray(tool) == "/sbin/ip" && ::access("/usr/bin/ip", X_OK) == 0)
            continue;
        if (::access(tool, X_OK) != 0)
            return std::string(tool) + " is missing (tools/setup.sh test installs it)";
    }
    QProcess probe;
    probe.start(QStringLiteral("ip"),
                {"netns", "add", "spades-probe-" + QString::number(::getpid())});
    if (!probe.waitForFinished(10000) || probe.exitCode() != 0)
        return "network namespaces cannot be made here: " +
               probe.readAllStandardError().toStdString();
    QProcess::execute(QStringLiteral("ip"),
                      {"netns", "del", "spades-probe-" + QString::number(::getpid())});
    return {};
}

// A socket connected from inside namespace `ns` (a thread enters it, so the
// rest of the test stays where it is); -1 when it cannot connect.
inline int connectFrom(const QString &ns, const char *address, int port)
{
    int fd = -1;
    std::thread inside([&] {
        const int nsFd = ::open(("/run/netns/" + ns).toLocal8Bit().constData(), O_RDONLY);
        if (nsFd < 0 || ::setns(nsFd, CLONE_NEWNET) != 0)
            return;
        ::close(nsFd);
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(port));
        ::inet_pton(AF_INET, address, &to.sin_addr);
        timeval wait{3, 0};
        ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        if (::connect(s, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0)
            fd = s;
        else
            ::close(s);
    });
    inside.join();
    return fd;
}

// Sockets this thread makes while the object lives belong to namespace `ns`
// (and so do the processes it starts); then the thread goes back.
struct InNamespace
{
    int own = ::open("/proc/self/ns/net", O_RDONLY);
    bool entered = false;

    explicit InNamespace(const QString &ns)
    {
        const int fd = ::open(("/run/netns/" + ns).toLocal8Bit().constData(), O_RDONLY);
        entered = fd >= 0 && ::setns(fd, CLONE_NEWNET) == 0;
        if (fd >= 0)
            ::close(fd);
    }
    ~InNamespace()
    {
        if (entered)
            ::setns(own, CLONE_NEWNET);
        ::close(own);
    }
};

// A program in one of the lab's namespaces; killed by its id when the test ends.
struct LabProcess
{
    QProcess process;
    QByteArray out;

    LabProcess(const QString &ns, const QString &program, const QStringList &arguments)
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("ip"), QStringList{"netns", "exec", ns, program} + arguments);
        process.waitForStarted(10000);
    }
    ~LabProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    // Waits for a line starting with `prefix` that is not `skip`; returns it.
    QByteArray waitForLine(const QByteArray &prefix, const QByteArray &skip, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            for (const QByteArray &line : out.split('\n')) {
                if (line.startsWith(prefix) && (skip.isEmpty() || !line.startsWith(skip)))
                    return line;
            }
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || process.state() == QProcess::NotRunning)
                return {};
            process.waitForReadyRead(int(std::min<qint64>(left, 200)));
            out += process.readAll();
        }
    }
    bool waitForText(const QByteArray &needle, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!out.contains(needle)) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(int(std::min<qint64>(left, 200)));
            out += process.readAll();
        }
        return true;
    }
    // SIGTERM, then waits for the program to end; true when it ended cleanly.
    bool terminate()
    {
        process.terminate();
        const bool ended = process.waitForFinished(10000);
        out += process.readAll();
        return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
};

class RouterLab
{
public:
    enum class Upstream { Internet, AnotherNat };

    explicit RouterLab(Upstream upstream)
        : m_name(QStringLiteral("spl%1x%2").arg(::getpid()).arg(s_count++))
    {
        QProcess up;
        up.setProcessChannelMode(QProcess::MergedChannels);
        up.start(labScript(), {"up", m_name, upstream == Upstream::Internet ? "single" : "double"});
        m_up = up.waitForFinished(30000) && up.exitCode() == 0;
        m_log = up.readAll();
    }
    ~RouterLab()
    {
        m_processes.clear();
        QProcess::execute(labScript(), {"down", m_name});
    }
    bool isUp() const { return m_up; }
    QByteArray log() const { return m_log; }
    QString ns(const char *which) const { return m_name + QLatin1Char('-') + QLatin1String(which); }

    // Starts miniupnpd on the router with UPnP and NAT-PMP on or off; with
    // both off the router runs nothing that answers.
    bool startRouter(bool upnp, bool natPmp)
    {
        if (!upnp && !natPmp)
            return true;
        QProcess config;
        config.start(labScript(), {"config", m_name, upnp ? "yes" : "no", natPmp ? "yes" : "no"});
        if (!config.waitForFinished(10000) || config.exitCode() != 0)
            return false;
        const QString file = QString::fromLocal8Bit(config.readAll()).trimmed();
        // In the foreground miniupnpd also logs to syslog, which falls back to
        // /dev/console; a VM's serial console stalls the whole machine while
        // it writes, so the router gets a console of its own that goes nowhere.
        LabProcess &router = run(
            "router", QStringLiteral("/usr/bin/unshare"),
            {"-m", "sh", "-c", "mount --bind /dev/null /dev/console && exec \"$0\" \"$@\"",
             "/usr/sbin/miniupnpd", "-d", "-f", file, "-P", "/tmp/" + m_name + "/miniupnpd.pid"});
        const char *ready = upnp ? "HTTP listening" : "NAT-PMP";
        return router.waitForText(ready, 5000);
    }

    LabProcess &run(const char *where, const QString &program, const QStringList &arguments)
    {
        m_processes.push_back(std::make_unique<LabProcess>(ns(where), program, arguments));
        return *m_processes.back();
    }

    // A console table in "home" or "home2".
    LabProcess &host(const char *where, const QStringList &more = {})
    {
        return run(where, QStringLiteral(SPADES_SERVER), QStringList{"--tick", "10"} + more);
    }

    // The router's port forwards, as miniupnpd put them in nftables.
    QByteArray forwards() const
    {
        QProcess rules;
        rules.start(labScript(), {"rules", m_name});
        rules.waitForFinished(10000);
        return rules.readAll();
    }

    // miniupnpd's lease file: one line per mapping, its end as a time stamp.
    QByteArray leases() const
    {
        QFile file("/tmp/" + m_name + "/leases");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    static inline std::atomic<int> s_count{0};
    QString m_name;
    bool m_up = false;
    QByteArray m_log;
    std::vector<std::unique_ptr<LabProcess>> m_processes;
};

} // namespace reachtest
