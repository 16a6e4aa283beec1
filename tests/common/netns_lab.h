#pragma once

// Two network namespaces made for one test, "host" and "player", joined by a
// veth pair and nothing else: no route leads out of them, so every packet
// stays on their two addresses. The test's own thread moves between them,
// and every socket it makes belongs to the namespace it is in at that moment.
// Root only; a test without it skips with the reason.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <sched.h>
#include <string>
#include <unistd.h>

namespace testsupport {

class NetnsLab
{
public:
    static constexpr const char *kHostAddress = "10.77.0.1";

    NetnsLab()
    {
        const QString id = QString::number(::getpid());
        m_host = QStringLiteral("spades-h") + id;
        m_player = QStringLiteral("spades-p") + id;
        m_hostLink = QStringLiteral("sph") + id;
        m_playerLink = QStringLiteral("spp") + id;
        if (::geteuid() != 0) {
            m_why = "making network namespaces needs root";
            return;
        }
        m_home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        const QList<QStringList> steps = {
            {"netns", "add", m_host},
            {"netns", "add", m_player},
            {"-n", m_host, "link", "add", m_hostLink, "type", "veth", "peer", "name", m_playerLink,
             "netns", m_player},
            {"-n", m_host, "addr", "add", QStringLiteral("10.77.0.1/24"), "dev", m_hostLink},
            {"-n", m_player, "addr", "add", QStringLiteral("10.77.0.2/24"), "dev", m_playerLink},
            {"-n", m_host, "link", "set", "lo", "up"},
            {"-n", m_player, "link", "set", "lo", "up"},
            {"-n", m_host, "link", "set", m_hostLink, "up"},
            {"-n", m_player, "link", "set", m_playerLink, "up"},
        };
        for (const QStringList &step : steps) {
            if (!ip(step)) {
                m_why = "ip " + step.join(' ').toStdString() + " failed: " + m_lastError;
                return;
            }
        }
        m_ready = m_home >= 0;
    }
    ~NetnsLab()
    {
        if (m_home >= 0) {
            ::setns(m_home, CLONE_NEWNET);
            ::close(m_home);
        }
        ip({"netns", "del", m_player});
        ip({"netns", "del", m_host});
    }
    NetnsLab(const NetnsLab &) = delete;
    NetnsLab &operator=(const NetnsLab &) = delete;

    bool ready() const { return m_ready; }
    const std::string &why() const { return m_why; }

    bool enterHost() { return enter(m_host); }
    bool enterPlayer() { return enter(m_player); }
    // The player's side of the link goes down or up, as a network that drops
    // out does: nothing is said to either end.
    bool setPlayerLink(bool up)
    {
        return ip({"-n", m_player, "link", "set", m_playerLink, up ? "up" : "down"});
    }

private:
    bool ip(const QStringList &arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("ip"), arguments);
        const bool ok = process.waitForFinished(10000) &&
                        process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        m_lastError = process.readAll().trimmed().toStdString();
        return ok;
    }
    bool enter(const QString &name)
    {
        const int fd =
            ::open(("/run/netns/" + name).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool entered = ::setns(fd, CLONE_NEWNET) == 0;
        ::close(fd);
        return entered;
    }

    QString m_host, m_player, m_hostLink, m_playerLink;
    int m_home = -1;
    bool m_ready = false;
    std::string m_why;
    std::string m_lastError;
};

} // namespace testsupport
