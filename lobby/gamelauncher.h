#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <memory>

// Starts the game as a program of its own, which goes on when the lobby
// closes.
class GameLauncher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // False when the program could not be started.
    virtual bool start(const QString &program, const QStringList &arguments) = 0;
    // Whether the program started last is known to be running: from its start
    // until `ended`. Always false where the platform cannot tell.
    virtual bool running() const = 0;

signals:
    // The program started last has ended. Not every platform can tell; where
    // it cannot, this never comes.
    void ended();
};

// Starts programs detached from the lobby and watches the last one through a
// process descriptor, which wakes the loop only when the program ends.
class SystemGameLauncher : public GameLauncher
{
    Q_OBJECT

public:
    using GameLauncher::GameLauncher;
    ~SystemGameLauncher() override;

    bool start(const QString &program, const QStringList &arguments) override;
    bool running() const override { return m_notifier != nullptr; }
    // The program started last, 0 before any.
    qint64 processId() const { return m_pid; }

private:
    void stopWatching();

    qint64 m_pid = 0;
    int m_processFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
