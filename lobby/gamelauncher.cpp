#include "lobby/gamelauncher.h"

#include <QProcess>
#include <QSocketNotifier>
#include <sys/syscall.h>
#include <unistd.h>

SystemGameLauncher::~SystemGameLauncher()
{
    stopWatching();
}

bool SystemGameLauncher::start(const QString &program, const QStringList &arguments)
{
    qint64 pid = 0;
    if (!QProcess::startDetached(program, arguments, QString(), &pid))
        return false;
    stopWatching();
    m_pid = pid;
#ifdef SYS_pidfd_open
    m_processFd = int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
#endif
    if (m_processFd >= 0) {
        m_notifier = std::make_unique<QSocketNotifier>(m_processFd, QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            stopWatching();
            emit ended();
        });
    }
    return true;
}

void SystemGameLauncher::stopWatching()
{
    m_notifier.reset();
    if (m_processFd >= 0)
        ::close(m_processFd);
    m_processFd = -1;
}
