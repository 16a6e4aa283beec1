#include "tests/lan/lanlab.h"

#include "tests/common/test_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <unistd.h>

namespace {

const char kBusConfig[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
)";

// Only the lab's link, IPv4 only, nothing published but what is asked for.
const char kAvahiConfig[] = R"([server]
host-name=%1
use-ipv4=yes
use-ipv6=no
allow-interfaces=%2
enable-dbus=yes
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
[reflector]
[rlimits]
)";

bool writeFile(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

LanLab::LanLab()
{
    if (::geteuid() != 0) {
        m_problem = QStringLiteral("making network namespaces needs root");
        return;
    }
    for (const char *tool : {"ip", "unshare", "dbus-daemon", "avahi-daemon"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty() &&
            QStandardPaths::findExecutable(QString::fromLatin1(tool), {"/usr/sbin", "/sbin"})
                .isEmpty()) {
            m_problem = QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool));
            return;
        }
    }
    if (!m_dir.isValid()) {
        m_problem = QStringLiteral("no folder for the lab");
        return;
    }
    const QString tag = QString::number(QCoreApplication::applicationPid());
    for (int i = 0; i < 2; ++i) {
        Side &side = m_sides[i];
        const QString letter = i == 0 ? QStringLiteral("a") : QStringLiteral("b");
        side.ns = QStringLiteral("spl%1%2").arg(letter, tag);
        side.link = QStringLiteral("spl%1%2").arg(letter, tag.right(8));
        side.address = QStringLiteral("10.213.7.%1").arg(i + 1);
        side.bus = QStringLiteral("unix:path=%1/bus%2").arg(m_dir.path(), letter);
        if (!run({"ip", "netns", "add", side.ns})) {
            m_problem = QStringLiteral("network namespaces cannot be made here (ip netns add)");
            return;
        }
        m_made[i] = true;
    }
    const Side &a = m_sides[0];
    const Side &b = m_sides[1];
    const bool linked = run({"ip", "link", "add", a.link, "netns", a.ns, "type", "veth", "peer",
                             "name", b.link, "netns", b.ns}) &&
                        run({"ip", "-n", a.ns, "addr", "add", a.address + "/24", "dev", a.link}) &&
                        run({"ip", "-n", b.ns, "addr", "add", b.address + "/24", "dev", b.link}) &&
                        run({"ip", "-n", a.ns, "link", "set", a.link, "up"}) &&
                        run({"ip", "-n", b.ns, "link", "set", b.link, "up"}) &&
                        run({"ip", "-n", a.ns, "link", "set", "lo", "up"}) &&
                        run({"ip", "-n", b.ns, "link", "set", "lo", "up"});
    if (!linked)
        m_problem = QStringLiteral("the lab's veth pair cannot be made here");
}

LanLab::~LanLab()
{
    // Last started, first stopped: programs before the daemons they talk to.
    while (!m_processes.empty()) {
        QProcess *process = m_processes.back().get();
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
        m_processes.pop_back();
    }
    for (int i = 0; i < 2; ++i) {
        if (m_made[i])
            run({"ip", "netns", "del", m_sides[i].ns});
    }
}

bool LanLab::run(const QStringList &command)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

QProcess *LanLab::spawn(const QString &program, const QStringList &arguments,
                        const QProcessEnvironment &environment)
{
    auto process = std::make_unique<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setProcessEnvironment(environment);
    process->start(program, arguments);
    if (!process->waitForStarted(5000))
        return nullptr;
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

bool LanLab::startBus(int i)
{
    const QString letter = i == 0 ? QStringLiteral("a") : QStringLiteral("b");
    const QString socket = m_dir.filePath("bus" + letter);
    const QString config = m_dir.filePath("bus" + letter + ".conf");
    if (!writeFile(config, QString::fromLatin1(kBusConfig).arg(socket)))
        return false;
    if (!spawn("dbus-daemon", {"--config-file=" + config, "--nofork", "--nopidfile"},
               QProcessEnvironment::systemEnvironment()))
        return false;
    return testsupport::waitUntil([&] { return QFileInfo::exists(socket); });
}

QProcess *LanLab::startAvahi(int i)
{
    const Side &side = m_sides[i];
    const QString config = m_dir.filePath(QStringLiteral("avahi%1.conf").arg(i));
    if (!writeFile(config, QString::fromLatin1(kAvahiConfig)
                               .arg(QStringLiteral("spadeslab-%1").arg(i), side.link)))
        return nullptr;
    // A /run of its own, for the daemon's pid file and socket; each exec keeps
    // the pid, so the daemon is the process started here.
    return start(i, "unshare",
                 {"-m", "sh", "-c",
                  "mount -t tmpfs tmpfs /run && mkdir -p /run/avahi-daemon && exec avahi-daemon "
                  "-f " +
                      config + " --no-drop-root --no-chroot --no-rlimits"});
}

QProcess *LanLab::start(int i, const QString &program, const QStringList &arguments,
                        const QProcessEnvironment &extra)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", m_sides[i].bus);
    for (const QString &key : extra.keys())
        environment.insert(key, extra.value(key));
    return spawn("ip", QStringList{"netns", "exec", m_sides[i].ns, program} + arguments,
                 environment);
}
