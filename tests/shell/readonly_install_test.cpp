// The program installed where it cannot write keeps its settings and tally in
// the per-user data folder, and finds them there on the next start.
#include "client/tchat.h"
#include "platform/programfolder.h"
#include "shell/spadesapp.h"
#include "tally/tallylist.h"
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <gtest/gtest.h>
#include <unistd.h>

using testsupport::waitUntil;

namespace {

bool canCreateFileIn(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/probe-XXXXXX"));
    return probe.open();
}

class ReadOnlyInstall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_hadHome = qEnvironmentVariableIsSet("SPADES_HOME");
        m_oldHome = qgetenv("SPADES_HOME");
        m_oldData = qgetenv("XDG_DATA_HOME");
        qunsetenv("SPADES_HOME");
        qputenv("XDG_DATA_HOME", m_root.filePath("data").toLocal8Bit());

        m_install = m_root.filePath("install/bin");
        ASSERT_TRUE(QDir().mkpath(m_install));
        QFile::setPermissions(m_install, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
        // Permission bits do not stop the superuser; a folder of the process
        // file system stops everyone.
        if (canCreateFileIn(m_install))
            m_install = QStringLiteral("/proc/self");
        ASSERT_FALSE(canCreateFileIn(m_install)) << m_install.toStdString();
        platform::setExecutableFolder(m_install);
    }
    void TearDown() override
    {
        platform::setExecutableFolder(QString());
        if (m_hadHome)
            qputenv("SPADES_HOME", m_oldHome);
        if (m_oldData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_oldData);
        QFile::setPermissions(m_root.filePath("install/bin"), QFileDevice::ReadOwner |
                                                                  QFileDevice::WriteOwner |
                                                                  QFileDevice::ExeOwner);
    }
    SpadesApp::Options quiet()
    {
        SpadesApp::Options options;
        options.port = 0;
        options.messageSink = [this](const QString &text) { messages << text; };
        return options;
    }

    QTemporaryDir m_root;
    QString m_install;
    bool m_hadHome = false;
    QByteArray m_oldHome;
    QByteArray m_oldData;
    QStringList messages;
};

TEST_F(ReadOnlyInstall, SettingsAndTallyLiveInTheUserDataFolder)
{
    const QString folder = platform::programFolder();
    ASSERT_TRUE(folder.startsWith(m_root.filePath("data"))) << folder.toStdString();
    ASSERT_TRUE(QFileInfo(folder).isDir());

    {
        SpadesApp first({}, quiet());
        first.start();
        ASSERT_TRUE(waitUntil([&] { return first.table()->loggedin(); }));
        first.table()->setBotSpeed(200, true); // a menu choice writes the settings
        // A won game, recorded as the winner handler records it.
        first.table()->services().recordTally(QStringLiteral("addtomine"));
        first.table()->close(); // the tally is written as the window closes
    }
    EXPECT_TRUE(QFile::exists(folder + "/velnorlobby.ini"));
    const QStringList tallies = QDir(folder).entryList({"Spades*"}, QDir::Files);
    ASSERT_EQ(tallies.size(), 1) << QDir(folder).entryList().join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(m_install + "/velnorlobby.ini"));

    SpadesApp second({}, quiet());
    EXPECT_TRUE(second.tally()->tallyFilePath().startsWith(folder));
    EXPECT_FALSE(second.tally()->loadFailed());
    EXPECT_EQ(second.tally()->stringgrid_scores().number(1, 0), 1); // games finished
    EXPECT_EQ(second.tally()->stringgrid_scores().number(2, 0), 1); // games won
    second.start();
    EXPECT_TRUE(waitUntil([&] { return second.table()->botSpeed() == 200; }));
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

} // namespace
