#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

// Where invitation links reach the lobby that is already open. The first
// lobby holds the lock file "spades-lobby.lock" in the user's runtime folder
// and listens on the local socket "spades-lobby" beside it; a lobby started
// with a link while another is open hands the link over and ends.
//
// What arrives is bounded: one line of at most kMaxLine bytes per
// connection, a few connections at once, each given a short time to say it.
class LobbyDoor : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxLine = 512;
    static constexpr int kMaxVisitors = 4;
    static constexpr int kVisitMs = 2000;

    explicit LobbyDoor(const QString &folder = QString(), QObject *parent = nullptr);
    ~LobbyDoor() override;

    // False when another lobby holds the door: hand the link over to it.
    // True when this lobby opens its own window: it is the first (and takes
    // links, unless its socket cannot listen), or the runtime folder cannot be
    // used at all; a later lobby then opens its own window with its link.
    bool open();
    // Gives a link to the lobby that holds the door; false when it cannot be
    // reached.
    bool handOver(const QString &link) const;

    QString socketPath() const;

signals:
    void linkArrived(const QString &link);

private:
    void welcome();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    int m_visitors = 0;
};
