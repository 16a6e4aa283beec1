// Joining a table by IPv6 address or by name, from the command line.
#include "client/tchat.h"
#include "host/hostruntime.h"
#include "protocol/tsock.h"
#include "shell/spadesapp.h"
#include "shell/tabout.h"
#include "tests/common/fake_resolver.h"
#include "tests/common/test_support.h"
#include "tests/shell/quiet_apps.h"

#include <QAction>
#include <QTimer>
#include <gtest/gtest.h>

using testsupport::FakeResolver;
using testsupport::waitUntil;

namespace {

using Joining = QuietApps;

TEST_F(Joining, AGuestJoinsAHostOverIpv6)
{
    if (!testsupport::ipv6LoopbackWorks())
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    SpadesApp host({"Ann", "127.0.0.1", "true"}, quiet(0));
    host.start();
    const int port = host.host()->port();
    ASSERT_NE(port, 0);
    ASSERT_TRUE(waitUntil([&] { return host.table()->myseat() == 1; }));
    const auto &seats = host.host()->server().seats();
    for (const char *address : {"::1", "[::1]", "game.example.org"}) {
        SCOPED_TRACE(address);
        FakeResolver resolver;
        {
            SpadesApp guest({"Bob", address, "join"}, quiet(port));
            guest.sock()->setResolver(&resolver);
            guest.start();
            if (!resolver.asked.isEmpty())
                resolver.reply(0, {QHostAddress::LocalHostIPv6, QHostAddress::LocalHost});
            ASSERT_TRUE(waitUntil([&] { return guest.table()->myseat() == 2; }));
            ASSERT_TRUE(waitUntil([&] { return seats[2].name == "Bob"; }));
        }
        ASSERT_TRUE(waitUntil([&] { return !seats[2].connected; }));
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(Joining, AnAddressWithAPortJoinsAHostOnThatPort)
{
    SpadesApp host({"Ann", "127.0.0.1", "true"}, quiet(0));
    host.start();
    const int port = host.host()->port();
    ASSERT_TRUE(waitUntil([&] { return host.table()->myseat() == 1; }));
    const auto &seats = host.host()->server().seats();
    QStringList addresses{"127.0.0.1:%1", "game.example.org:%1"};
    if (testsupport::ipv6LoopbackWorks())
        addresses << "[::1]:%1";
    for (const QString &address : addresses) {
        SCOPED_TRACE(address.toStdString());
        FakeResolver resolver;
        {
            // The default port leads nowhere; only the one written can work.
            SpadesApp guest({"Bob", address.arg(port), "join"}, quiet(1));
            guest.sock()->setResolver(&resolver);
            guest.start();
            if (!resolver.asked.isEmpty()) {
                EXPECT_EQ(resolver.asked[0].name, "game.example.org");
                resolver.reply(0, {QHostAddress::LocalHost});
            }
            ASSERT_TRUE(waitUntil([&] { return guest.table()->myseat() == 2; }));
        }
        ASSERT_TRUE(waitUntil([&] { return !seats[2].connected; }));
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    SpadesApp badPort({"Bob", "127.0.0.1:70000", "join"}, quiet(port));
    badPort.start();
    EXPECT_EQ(messages, QStringList{"Port Lookup - Not A Port Number From 0 To 65535"});
}

TEST_F(Joining, ANameNeverAnsweredLeavesTheWindowWorking)
{
    auto resolver = std::make_unique<FakeResolver>();
    {
        SpadesApp app({"Bob", "slow.example.org", "join"}, quiet(7772));
        app.sock()->setResolver(resolver.get());
        app.start();
        ASSERT_EQ(resolver->asked.size(), 1);
        EXPECT_TRUE(app.sock()->lookingUp());
        // The loop runs: timers fire and menu items open their windows.
        bool ticked = false;
        QTimer::singleShot(10, [&] { ticked = true; });
        EXPECT_TRUE(waitUntil([&] { return ticked; }, 1000));
        app.table()->findChild<QAction *>("About1")->trigger();
        EXPECT_TRUE(app.about()->isVisible());
        EXPECT_TRUE(
            app.table()->chatLines().contains("0+Loading Multi-player Game.. Please Wait."));
    }
    // The window went away with the question still open: it is withdrawn.
    EXPECT_TRUE(resolver->asked[0].cancelled);

    SpadesApp unknown({"Bob", "nowhere.example.org", "join"}, quiet(7772));
    unknown.sock()->setResolver(resolver.get());
    unknown.start();
    resolver->reply(1, {});
    EXPECT_EQ(messages, QStringList{"Host Lookup - Could Not Find Host Entry"});
    EXPECT_TRUE(unknown.table()->isVisible());
}

} // namespace
