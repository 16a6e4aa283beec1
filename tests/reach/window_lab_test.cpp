// The window hosting behind the lab's router: the chat says where friends
// join (and under which code), Copy Invitation carries it, and closing the
// program takes the mapping.
#include "client/tchat.h"
#include "reach/portmapper.h"
#include "routerlab.h"
#include "shell/spadesapp.h"
#include "tests/common/test_support.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// With a coordinator outside, the table is listed too: the chat says its code
// and that the coordinator reached it directly, and the invitation carries it.
TEST(RouterLab, TheWindowSaysWhereFriendsJoinCopiesItAndRemovesTheMappingOnQuit)
{
    const std::string why = reachtest::labUnavailable();
    if (!why.empty())
        GTEST_SKIP() << why;
    for (const bool listed : {false, true}) {
        SCOPED_TRACE(listed);
        reachtest::RouterLab lab(reachtest::RouterLab::Upstream::Internet);
        ASSERT_TRUE(lab.isUp()) << lab.log().toStdString();
        ASSERT_TRUE(lab.startRouter(true, true));
        QStringList arguments{"Ann", "127.0.0.1", "true"};
        if (listed) {
            reachtest::LabProcess &coordinator =
                lab.run("outside", QStringLiteral(SPADES_COORDINATOR), {"--port", "7773"});
            ASSERT_TRUE(coordinator.waitForText("listening on port", 5000));
            arguments << "--coordinator"
                      << "11.22.33.2";
        }
        QTemporaryDir home;
        qputenv("SPADES_HOME", home.path().toLocal8Bit());
        {
            reachtest::InNamespace inHome(lab.ns("home"));
            ASSERT_TRUE(inHome.entered);
            SpadesApp::Options options;
            options.portMapping = true;
            options.messageSink = [](const QString &) {};
            auto app = std::make_unique<SpadesApp>(arguments, options);
            app->start();
            Tchat *table = app->table();
            // The latest line that starts so.
            const auto said = [table](const QString &start) {
                const QStringList lines = table->chatLines();
                for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
                    if (line->startsWith(start))
                        return *line;
                }
                return QString();
            };
            const QString direct = "0+Invite code ";
            ASSERT_TRUE(testsupport::waitUntil(
                [&] {
                    return !table->invitation().isEmpty() &&
                           (!listed || said(direct).contains("directly at"));
                },
                10000))
                << table->chatLines().join('\n').toStdString();
            EXPECT_TRUE(table->chatLines().contains(
                "0+Friends can join at 11.22.33.1 (the router opened port 7772). At home, "
                "friends can join at 192.168.77.10."))
                << table->chatLines().join('\n').toStdString();
            QString invitation = "spades://join/11.22.33.1\nspades://join/192.168.77.10";
            if (listed) {
                const QString code = said(direct).mid(direct.size(), 9);
                EXPECT_EQ(said(direct).toStdString(), (direct + code +
                                                       ": friends join with the code, directly at "
                                                       "11.22.33.1:7772.")
                                                          .toStdString());
                invitation = "spades://code/" + code + "\n" + code + "\n" + invitation;
            }
            EXPECT_EQ(table->invitation(), invitation);
            QAction *copy = table->findChild<QAction *>("CopyInvitation1");
            ASSERT_NE(copy, nullptr);
            EXPECT_TRUE(copy->isVisible());
            copy->trigger();
            EXPECT_EQ(QGuiApplication::clipboard()->text(), table->invitation());
            EXPECT_TRUE(lab.forwards().contains("dnat ip to 192.168.77.10:7772"));
            app.reset(); // the program ends
        }
        qunsetenv("SPADES_HOME");
        EXPECT_EQ(lab.forwards(), "");
    }
}

// A short lease is renewed before it ends, by the same way it was granted:
// the router's lease file shows a later end while the forward stays.
TEST(RouterLab, ALeaseIsRenewedBeforeItEnds)
{
    const std::string why = reachtest::labUnavailable();
    if (!why.empty())
        GTEST_SKIP() << why;
    for (const bool upnp : {true, false}) {
        SCOPED_TRACE(upnp ? "UPnP" : "NAT-PMP");
        reachtest::RouterLab lab(reachtest::RouterLab::Upstream::Internet);
        ASSERT_TRUE(lab.isUp()) << lab.log().toStdString();
        ASSERT_TRUE(lab.startRouter(upnp, !upnp));
        std::unique_ptr<PortMapper> mapper;
        {
            reachtest::InNamespace inHome(lab.ns("home"));
            ASSERT_TRUE(inHome.entered);
            PortMapper::Options options;
            options.request.leaseSeconds = 8;
            mapper = std::make_unique<PortMapper>(options);
        }
        mapper->start();
        ASSERT_TRUE(testsupport::waitUntil([&] { return !lab.leases().isEmpty(); }, 6000));
        const QByteArray first = lab.leases();
        // Renewed halfway: within about 5 s, well before the 8 s are up.
        EXPECT_TRUE(testsupport::waitUntil(
            [&] { return !lab.leases().isEmpty() && lab.leases() != first; }, 7000))
            << first.toStdString();
        EXPECT_TRUE(lab.forwards().contains("dnat ip to 192.168.77.10:7772"));
        mapper.reset();
        EXPECT_EQ(lab.forwards(), "");
    }
}

// Ended by SIGTERM (a logout, `kill`), the program still removes its mapping.
TEST(RouterLab, TheWindowProgramEndedBySigtermRemovesItsMapping)
{
    reachtest::RouterLab lab(reachtest::RouterLab::Upstream::Internet);
    const std::string why = reachtest::labUnavailable();
    if (!why.empty())
        GTEST_SKIP() << why;
    ASSERT_TRUE(lab.isUp()) << lab.log().toStdString();
    ASSERT_TRUE(lab.startRouter(true, true));
    QTemporaryDir home;
    qputenv("SPADES_HOME", home.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    reachtest::LabProcess &window =
        lab.run("home", QStringLiteral(SPADES_PROGRAM), {"Ann", "127.0.0.1", "true"});
    qunsetenv("SPADES_HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return lab.forwards().contains("dnat ip to 192.168.77.10:7772"); }, 8000))
        << window.out.toStdString();
    EXPECT_TRUE(window.terminate()) << window.out.toStdString();
    EXPECT_EQ(lab.forwards(), "");
}

} // namespace
