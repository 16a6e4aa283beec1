#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QWidget;

// Keeps the program to one running copy per user. The first copy holds the
// lock file "ronlev.lock" in the user's runtime folder and listens on the
// local socket "ronlev" beside it; a later copy finds the lock held, asks the
// first copy over that socket to raise its window, and is told to end.
//
// Create the QApplication first (no window), then call tryAcquire() before
// any window exists; keep the object alive for the life of the program.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &name = QStringLiteral("ronlev"),
                            const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy may run: it is the first, or the lock could not be
    // used at all (an unusable runtime folder must not stop the game).
    // False when another copy runs; that copy has been asked to raise its
    // window (as far as it could be reached) and this one should end.
    bool tryAcquire();

    QString lockPath() const;
    QString serverPath() const;

    // Restores a minimised window, else brings it to the front.
    static void raiseWindow(QWidget *window);

    // The user's runtime folder, where the lock files and socket live.
    static QString runtimeFolder();

signals:
    // A later copy of the program was started.
    void raiseRequested();

private:
    void listen();
    bool askFirstToRaise() const;

    QString m_folder;
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
};

// The presence mark "spades": a lock file held while a game window is open,
// so that other programs can tell that the game runs.
class PresenceMark
{
public:
    explicit PresenceMark(const QString &name = QStringLiteral("spades"),
                          const QString &folder = QString());
    bool isHeld() const { return m_held; }
    QString path() const { return m_lock.fileName(); }

    // Whether some process holds the mark.
    static bool isPresent(const QString &name = QStringLiteral("spades"),
                          const QString &folder = QString());

private:
    QLockFile m_lock;
    bool m_held = false;
};
