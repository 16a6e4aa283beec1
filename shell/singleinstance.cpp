// One running copy per user.
#include "shell/singleinstance.h"

#include "platform/localsocket.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace {

QString folderOrRuntime(const QString &folder)
{
    return folder.isEmpty() ? SingleInstance::runtimeFolder() : folder;
}

QString lockFileIn(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

// Nothing else is said on the socket; the word only tells a stray
// connection from a real request.
const QByteArray kRaise("raise\n");

} // namespace

SingleInstance::SingleInstance(const QString &name, const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folderOrRuntime(folder)), m_name(name)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::runtimeFolder()
{
    return localsocket::runtimeFolder();
}

QString SingleInstance::lockPath() const
{
    return lockFileIn(m_folder, m_name);
}

QString SingleInstance::serverPath() const
{
    return m_folder + QLatin1Char('/') + m_name;
}

bool SingleInstance::tryAcquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    m_lock = std::make_unique<QLockFile>(lockPath());
    // A lock is stale only when its process is gone, never by age: a game
    // may run for days.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0)) {
        listen();
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError)
        return true;
    askFirstToRaise();
    return false;
}

void SingleInstance::listen()
{
    // The lock proves no other copy runs, so a socket left by a crash can go.
    QLocalServer::removeServer(serverPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(serverPath()))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                // Read at most what a request needs; anything else is noise.
                if (socket->bytesAvailable() < kRaise.size())
                    return;
                const QByteArray word = socket->read(kRaise.size());
                socket->disconnectFromServer();
                if (word == kRaise)
                    emit raiseRequested();
            });
        }
    });
}

bool SingleInstance::askFirstToRaise() const
{
    return localsocket::tell(serverPath(), kRaise);
}

void SingleInstance::raiseWindow(QWidget *window)
{
    if (!window)
        return;
    if (window->isMinimized())
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window->show();
    window->raise();
    window->activateWindow();
}

PresenceMark::PresenceMark(const QString &name, const QString &folder)
    : m_lock(lockFileIn(folderOrRuntime(folder), name))
{
    m_lock.setStaleLockTime(0);
    m_held = m_lock.tryLock(0);
}

bool PresenceMark::isPresent(const QString &name, const QString &folder)
{
    QLockFile probe(lockFileIn(folderOrRuntime(folder), name));
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}
