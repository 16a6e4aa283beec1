#include "shell/singleinstance.h"
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class Probe
{
public:
    explicit Probe(const QString &folder)
    {
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(QStringLiteral(SPADES_INSTANCE_PROBE), {folder});
    }
    ~Probe()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // The next line the probe prints.
    QString line()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return QStringLiteral("<no output>");
        }
        return QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    int exitCode()
    {
        m_process.waitForFinished(10000);
        return m_process.state() == QProcess::NotRunning ? m_process.exitCode() : -1;
    }
    void killHard()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

TEST(SingleInstance, ASecondStartRaisesTheFirstAndEnds)
{
    QTemporaryDir dir;
    Probe first(dir.path());
    ASSERT_EQ(first.line(), QStringLiteral("primary present"));
    EXPECT_TRUE(PresenceMark::isPresent(QStringLiteral("spades"), dir.path()));

    Probe second(dir.path());
    EXPECT_EQ(second.line(), QStringLiteral("secondary"));
    EXPECT_EQ(second.exitCode(), 3);

    EXPECT_EQ(first.line(), QStringLiteral("raise"));
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_FALSE(PresenceMark::isPresent(QStringLiteral("spades"), dir.path()));

    // With the first gone the next start runs.
    Probe third(dir.path());
    EXPECT_EQ(third.line(), QStringLiteral("primary present"));
}

TEST(SingleInstance, ALockLeftByACrashedCopyDoesNotBlockTheNextStart)
{
    QTemporaryDir dir;
    {
        Probe crashed(dir.path());
        ASSERT_EQ(crashed.line(), QStringLiteral("primary present"));
        crashed.killHard();
    }
    ASSERT_TRUE(QFile::exists(dir.filePath(QStringLiteral("ronlev.lock"))));
    EXPECT_FALSE(PresenceMark::isPresent(QStringLiteral("spades"), dir.path()));

    Probe next(dir.path());
    ASSERT_EQ(next.line(), QStringLiteral("primary present"));
    Probe later(dir.path());
    EXPECT_EQ(later.line(), QStringLiteral("secondary"));
    EXPECT_EQ(next.line(), QStringLiteral("raise"));
}

TEST(SingleInstance, InOneProcessTheSecondObjectIsRefusedAndSignalsTheFirst)
{
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("ronlev"), dir.path());
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_TRUE(first.tryAcquire()) << "asking again keeps the lock";
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(QStringLiteral("ronlev"), dir.path());
    EXPECT_FALSE(second.tryAcquire());
    EXPECT_TRUE(testsupport::waitUntil([&] { return raised.count() == 1; }));
}

TEST(SingleInstance, StrayConnectionsRaiseNothing)
{
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("ronlev"), dir.path());
    ASSERT_TRUE(first.tryAcquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);
    QLocalSocket stray;
    stray.connectToServer(first.serverPath());
    ASSERT_TRUE(stray.waitForConnected(2000));
    stray.write("hello!\n");
    stray.waitForBytesWritten(2000);
    EXPECT_TRUE(
        testsupport::waitUntil([&] { return stray.state() == QLocalSocket::UnconnectedState; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(raised.count(), 0);
}

TEST(SingleInstance, AnUnusableFolderDoesNotStopTheProgram)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("file"))).open(QIODevice::WriteOnly);
    SingleInstance instance(QStringLiteral("ronlev"), dir.filePath(QStringLiteral("file")));
    EXPECT_TRUE(instance.tryAcquire());
}

TEST(SingleInstance, RaiseWindowRestoresAMinimisedWindow)
{
    QWidget window;
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    SingleInstance::raiseWindow(&window);
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

TEST(PresenceMark, IsHeldWhileTheObjectLives)
{
    QTemporaryDir dir;
    {
        PresenceMark mark(QStringLiteral("spades"), dir.path());
        EXPECT_TRUE(mark.isHeld());
        EXPECT_TRUE(PresenceMark::isPresent(QStringLiteral("spades"), dir.path()));
    }
    EXPECT_FALSE(PresenceMark::isPresent(QStringLiteral("spades"), dir.path()));
}

} // namespace
