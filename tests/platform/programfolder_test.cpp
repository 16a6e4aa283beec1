#include "platform/programfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

TEST(ProgramFolder, HomeVariableWinsAndIsCreated)
{
    QTemporaryDir dir;
    const QString home = dir.path() + QStringLiteral("/nested/home/");
    ScopedEnv env("SPADES_HOME", home.toLocal8Bit());
    EXPECT_EQ(platform::programFolder(), dir.path() + QStringLiteral("/nested/home"));
    EXPECT_TRUE(QDir(home).exists());
    EXPECT_EQ(platform::programFile(QStringLiteral("velnorlobby.ini")),
              dir.path() + QStringLiteral("/nested/home/velnorlobby.ini"));
}

TEST(ProgramFolder, WithoutHomeUsesAWritableFolder)
{
    ScopedEnv env("SPADES_HOME", QByteArray());
    const QString folder = platform::programFolder();
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_FALSE(folder.endsWith(QLatin1Char('/')));
    // No probe file may be left behind in the folder it chose.
    EXPECT_TRUE(QDir(folder)
                    .entryList({QStringLiteral(".spades-probe-*")}, QDir::Files | QDir::Hidden)
                    .isEmpty());
}

} // namespace
