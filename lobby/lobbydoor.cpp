#include "lobby/lobbydoor.h"

#include "platform/localsocket.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

namespace {

const QString kName = QStringLiteral("spades-lobby");

} // namespace

LobbyDoor::LobbyDoor(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder.isEmpty() ? localsocket::runtimeFolder() : folder)
{
}

LobbyDoor::~LobbyDoor() = default;

QString LobbyDoor::socketPath() const
{
    return m_folder + QLatin1Char('/') + kName;
}

bool LobbyDoor::open()
{
    QDir().mkpath(m_folder);
    m_lock = std::make_unique<QLockFile>(socketPath() + QStringLiteral(".lock"));
    // Stale only when its process is gone: a lobby may stay open for days.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        return m_lock->error() != QLockFile::LockFailedError;
    // The lock proves no other lobby listens, so a socket left by a crash can go.
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxVisitors);
    if (m_server->listen(socketPath()))
        connect(m_server, &QLocalServer::newConnection, this, &LobbyDoor::welcome);
    return true;
}

void LobbyDoor::welcome()
{
    while (QLocalSocket *visitor = m_server->nextPendingConnection()) {
        if (m_visitors >= kMaxVisitors) {
            visitor->abort();
            visitor->deleteLater();
            continue;
        }
        ++m_visitors;
        visitor->setReadBufferSize(kMaxLine + 1);
        auto *deadline = new QTimer(visitor);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, visitor, &QLocalSocket::abort);
        deadline->start(kVisitMs);
        connect(visitor, &QLocalSocket::disconnected, this, [this, visitor] {
            --m_visitors;
            visitor->deleteLater();
        });
        connect(visitor, &QLocalSocket::readyRead, this, [this, visitor] {
            if (!visitor->canReadLine()) {
                if (visitor->bytesAvailable() > kMaxLine)
                    visitor->abort();
                return;
            }
            const QByteArray line = visitor->readLine(kMaxLine + 1);
            visitor->disconnectFromServer();
            if (line.endsWith('\n'))
                emit linkArrived(QString::fromUtf8(line.chopped(1)));
        });
    }
}

bool LobbyDoor::handOver(const QString &link) const
{
    const QByteArray line = link.toUtf8() + '\n';
    if (line.size() > kMaxLine || link.contains(QLatin1Char('\n')))
        return false;
    return localsocket::tell(socketPath(), line);
}
