// Whole programs joined to one hosting program: when the host goes away in
// the middle of a game, every joined window ends.
#include "client/tchat.h"
#include "shell/spadesapp.h"
#include "tests/common/test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using testsupport::waitUntil;

namespace {

class HostGoneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("SPADES_HOME", m_home.path().toLocal8Bit());
    }
    void TearDown() override { qunsetenv("SPADES_HOME"); }

    SpadesApp::Options quiet(int port)
    {
        SpadesApp::Options options;
        options.port = port;
        options.timing = HostRuntime::Timing{1, 5, 1};
        options.seed = 3;
        options.messageSink = [this](const QString &text) { messages << text; };
        return options;
    }

    QTemporaryDir m_home;
    QStringList messages;
};

TEST_F(HostGoneTest, EveryJoinedWindowEndsWhenTheHostingProgramCloses)
{
    auto hosting = std::make_unique<SpadesApp>(QStringList{"Ann", "127.0.0.1", "true"}, quiet(0));
    hosting->start();
    ASSERT_TRUE(waitUntil([&] { return hosting->table()->myseat() == 1; }))
        << messages.join('\n').toStdString();
    const int port = hosting->host()->port();

    std::vector<std::unique_ptr<SpadesApp>> joined;
    std::vector<int> ended;
    for (const char *name : {"Bob", "Cy"}) {
        joined.push_back(
            std::make_unique<SpadesApp>(QStringList{name, "127.0.0.1", "false"}, quiet(port)));
        const std::size_t index = ended.size();
        ended.push_back(0);
        QObject::connect(joined.back()->table(), &Tchat::programEnds,
                         [&ended, index] { ++ended[index]; });
        joined.back()->start();
    }
    ASSERT_TRUE(waitUntil(
        [&] { return joined[0]->table()->myseat() == 2 && joined[1]->table()->myseat() == 3; }));

    // A hand in progress: seats 1-3 are people, the computer holds seat 4.
    hosting->table()->send("CMD_startgame+Ann+500+y+y+n+" + QByteArray(1, char(0xFF)));
    ASSERT_TRUE(waitUntil([&] { return hosting->host()->server().game().roundnumber == 1; }));

    hosting.reset();
    EXPECT_TRUE(waitUntil([&] { return ended[0] == 1 && ended[1] == 1; }));
    for (const auto &app : joined)
        EXPECT_FALSE(app->table()->isVisible());
}

} // namespace
