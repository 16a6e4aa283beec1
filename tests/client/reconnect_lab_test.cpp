// A player's network drops out mid-hand, for real: the host and the others
// live in one network namespace, the player's table in another, and the link
// between them is taken down and up again. Nothing tells either end.
#include "client/reconnection.h"
#include "protocol/tsock.h"
#include "tests/client/solotable.h"
#include "tests/common/netns_lab.h"
#include "tests/common/test_support.h"
#include "tests/host/socket_table.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using hosttest::SocketSeat;

// Keepalive shortened so the test takes seconds: a peer is given up after
// 1 s of quiet and three probes a second apart. SPADES_LAB_PRODUCTION_KEEPALIVE
// keeps the program's own times (about a minute) to measure them.
struct ShortKeepalive
{
    posixsocket::Keepalive saved = TSock::keepalive();
    ShortKeepalive()
    {
        if (!qEnvironmentVariableIsSet("SPADES_LAB_PRODUCTION_KEEPALIVE"))
            TSock::setKeepalive({1, 1, 3});
    }
    ~ShortKeepalive() { TSock::setKeepalive(saved); }
};

bool disconnectedTwo(const SocketSeat &seat)
{
    return seat.all("CMD_playerdisconnected").contains("CMD_playerdisconnected+2+Bo");
}

TEST(ReconnectLab, ALostPlayerGetsItsSeatBackAndANewcomerDoesNot)
{
    testsupport::NetnsLab lab;
    if (!lab.ready())
        GTEST_SKIP() << lab.why();
    const ShortKeepalive keepalive;

    // The host and Ann, its hosting player, in the host's namespace.
    ASSERT_TRUE(lab.enterHost());
    HostRuntime::Timing timing = SoloTable::quickTiming();
    timing.gracePercent = 25; // 30 s
    HostRuntime host(20261209, timing);
    host.onAlert = [](const QByteArray &) {};
    host.listen(0);
    SocketSeat ann(host.port(), "Ann");
    ASSERT_TRUE(testsupport::waitUntil([&] { return ann.number == 1; }));

    // Bo's table joins from the player's namespace.
    ASSERT_TRUE(lab.enterPlayer());
    SilentSounds silence;
    TestRequests requests;
    QStringList boxes;
    Tchat table;
    table.setSoundPlayer(&silence);
    requests.own = &table.ownRequests();
    requests.onBox = [&](const QString &text) { boxes << text; };
    table.setRequests(&requests);
    table.setHostPort(host.port());
    table.show();
    table.processparams({"Bo", testsupport::NetnsLab::kHostAddress, "false"});
    ASSERT_TRUE(testsupport::waitUntil([&] { return table.myseat() == 2; }));
    ann.sock.Send(wire::toHost::BotSpeed{1, 50}.encode());
    ann.sock.Send(wire::toHost::StartGame::of("Ann", "500", true, true, false).encode());
    SeatPlayer bo(table);
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            if (bo.handSize() <= 10 && table.turnseat() == 2)
                return true;
            bo.step();
            return false;
        },
        30000));

    // The link goes while the host waits for Bo's card: nothing is in flight
    // either way, so only keepalive can tell.
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(lab.setPlayerLink(false));
    const int cardsSeenByAnn = int(ann.all("CMD_heplayed").size());
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            return disconnectedTwo(ann) && !host.server().seats()[2].connected &&
                   ann.all("CMD_heplayed").size() > cardsSeenByAnn;
        },
        90000));
    std::printf("seat 2 given to the computer %lld ms after its link went down\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_TRUE(host.server().seatKept(2));

    // A newcomer meanwhile is not given the kept seat.
    ASSERT_TRUE(lab.enterHost());
    SocketSeat cy(host.port(), "Cy");
    ASSERT_TRUE(lab.enterPlayer());
    ASSERT_TRUE(testsupport::waitUntil([&] { return cy.number != 0; }));
    EXPECT_NE(cy.number, 2);

    // The table has noticed too and is trying; the link comes back.
    ASSERT_TRUE(testsupport::waitUntil([&] { return table.reconnecting(); }, 30000));
    EXPECT_EQ(table.status(), Tchat::reconnectingText());
    ASSERT_TRUE(lab.setPlayerLink(true));
    clock.restart();
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return !table.reconnecting() && host.server().seats()[2].connected; }, 30000));
    std::printf("back in the seat %lld ms after the link came up\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_EQ(table.myseat(), 2);
    int held = 0;
    ASSERT_TRUE(testsupport::waitUntil([&] {
        held = 0;
        for (const int card : host.server().seats()[2].hand)
            held += card != 0;
        // Back in a hand dealt meanwhile, before its bid, with Blind Nil on:
        // the cards lie face down until Bo chooses.
        const bool faceDown = bo.visible("image_flippedcards") && bo.handSize() == 0;
        return held > 0 && (held == bo.handSize() || (faceDown && held == 13));
    })) << "host holds "
        << held << ", table shows " << bo.handSize() << ", phase " << int(host.server().phase())
        << ", round " << host.server().game().roundnumber << ", table's round "
        << table.model().round() << ", face down " << bo.visible("image_flippedcards")
        << ", bid shown " << bo.visible("button_dobid");
    const auto &hand = host.server().seats()[2].hand;
    for (const int position : table.handSlots()) {
        if (position > 0) {
            EXPECT_NE(std::find(hand.begin(), hand.end(), table.model().cardAt(position)),
                      hand.end());
        }
    }

    // Bo plays on from the seat.
    const int played = bo.cardsPlayed;
    ASSERT_TRUE(testsupport::waitUntil(
        [&] {
            bo.step();
            return bo.cardsPlayed > played + 1;
        },
        30000))
        << "turn " << table.turnseat() << ", host's turn " << host.server().game().turn
        << ", phase " << int(host.server().phase()) << ", hand " << bo.handSize() << ", status "
        << table.status().toStdString() << ", kept " << host.server().seatKept(2);
    EXPECT_TRUE(host.server().seats()[2].connected);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();

    // Gone again, and for longer than the grace: the seat is free as before,
    // and the table, back too late, says its connection is lost.
    ASSERT_TRUE(lab.setPlayerLink(false));
    ASSERT_TRUE(testsupport::waitUntil([&] { return host.server().seatKept(2); }, 90000));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !host.server().seatKept(2); }, 60000));
    ASSERT_TRUE(lab.enterHost());
    SocketSeat di(host.port(), "Di");
    ASSERT_TRUE(lab.enterPlayer());
    ASSERT_TRUE(testsupport::waitUntil([&] { return di.number != 0; }));
    EXPECT_EQ(di.number, 2);
    ASSERT_TRUE(lab.setPlayerLink(true));
    ASSERT_TRUE(testsupport::waitUntil([&] { return !table.reconnecting(); }, 30000));
    EXPECT_EQ(table.status(), Tchat::connectionLostText());
    EXPECT_EQ(host.server().seats()[2].name, "Di");
}

} // namespace
