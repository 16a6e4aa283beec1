// A joined table whose connection fails gets back into its seat by itself,
// over loopback: the loss is what the socket would report, the rest is real.
#include "client/reconnection.h"
#include "client/scoresheet.h"
#include "tests/client/solotable.h"
#include "tests/common/test_support.h"
#include "tests/host/socket_table.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using hosttest::SocketSeat;

// Ann at seat 1 on a plain socket, the table under test at seat 2, the
// computer at 3 and 4, a game under way.
struct JoinedTable
{
    explicit JoinedTable(int gracePercent = 100) : host(20261209, timing(gracePercent))
    {
        host.onAlert = [](const QByteArray &) {};
        host.listen(0);
        ann = std::make_unique<SocketSeat>(host.port(), "Ann");
        testsupport::waitUntil([&] { return ann->number == 1; });
        table.setSoundPlayer(&silence);
        requests.own = &table.ownRequests();
        requests.onBox = [this](const QString &text) { boxes << text; };
        table.setRequests(&requests);
        table.setHostPort(host.port());
        QObject::connect(&table, &Tchat::programEnds, [this] { ended = true; });
        table.show();
        table.processparams({"Bo", "127.0.0.1", "false"});
        testsupport::waitUntil([&] { return table.myseat() == 2; });
        ann->sock.Send(wire::toHost::BotSpeed{1, 20}.encode());
        ann->sock.Send(wire::toHost::StartGame::of("Ann", "500", true, true, false).encode());
    }
    static HostRuntime::Timing timing(int gracePercent)
    {
        HostRuntime::Timing t = SoloTable::quickTiming();
        t.gracePercent = gracePercent;
        return t;
    }
    // Plays until the table holds `cards` cards and it is its turn.
    bool playDownTo(int cards)
    {
        return testsupport::waitUntil(
            [&] {
                if (player.handSize() <= cards && table.turnseat() == table.myseat())
                    return true;
                player.step();
                return false;
            },
            20000);
    }
    // What the socket reports when the network fails under it.
    void loseConnection()
    {
        table.sockError();
        table.sockInfo("Socket Closed");
    }
    QList<int> handOfSeat2() const
    {
        QList<int> cards;
        for (int slot = 1; slot <= 13; ++slot)
            if (const int card = host.server().seats()[2].hand[slot])
                cards << card;
        std::sort(cards.begin(), cards.end());
        return cards;
    }
    QList<int> tableHand() const
    {
        QList<int> cards;
        for (const int position : table.handSlots())
            if (position > 0)
                cards << table.model().cardAt(position);
        std::sort(cards.begin(), cards.end());
        return cards;
    }

    HostRuntime host;
    std::unique_ptr<SocketSeat> ann;
    SilentSounds silence;
    TestRequests requests;
    Tchat table;
    SeatPlayer player{table};
    QStringList boxes;
    bool ended = false;
};

TEST(Reconnect, TheTableGetsBackToItsSeatWithItsCardsAndPlaysOn)
{
    JoinedTable t;
    ASSERT_TRUE(t.playDownTo(11));
    const QStringList chatBefore = t.table.chatLines();
    t.loseConnection();
    EXPECT_TRUE(t.table.reconnecting());
    EXPECT_EQ(t.table.status(), Tchat::reconnectingText());
    EXPECT_TRUE(t.player.visible("button_cancelreconnect"));
    EXPECT_FALSE(t.table.send(wire::toHost::Closed{2}.encode())) << "nothing goes out meanwhile";

    ASSERT_TRUE(testsupport::waitUntil([&] { return !t.table.reconnecting(); }, 15000));
    EXPECT_EQ(t.table.myseat(), 2);
    ASSERT_TRUE(testsupport::waitUntil([&] { return t.tableHand() == t.handOfSeat2(); }));
    EXPECT_FALSE(t.player.visible("button_cancelreconnect"));
    EXPECT_NE(t.table.status(), Tchat::reconnectingText());
    EXPECT_TRUE(t.table.chatLines().startsWith(chatBefore.first())) << "the chat keeps its history";
    EXPECT_GT(t.table.chatLines().size(), chatBefore.size());
    EXPECT_FALSE(t.ended);
    EXPECT_TRUE(t.boxes.isEmpty()) << t.boxes.join('|').toStdString();
    EXPECT_EQ(t.ann->all("CMD_playerdisconnected"),
              QList<QByteArray>{"CMD_playerdisconnected+2+Bo"});

    // And plays on from its seat.
    const int before = t.player.cardsPlayed;
    ASSERT_TRUE(t.playDownTo(t.player.handSize() - 2));
    EXPECT_GT(t.player.cardsPlayed, before);
    EXPECT_TRUE(t.host.server().seats()[2].connected);
}

TEST(Reconnect, CancelStopsTryingAndTheTableStaysReadable)
{
    JoinedTable t;
    ASSERT_TRUE(t.playDownTo(13));
    t.loseConnection();
    QTest::mouseClick(t.table.findChild<QWidget *>("button_cancelreconnect"), Qt::LeftButton);
    EXPECT_FALSE(t.table.reconnecting());
    EXPECT_EQ(t.table.status(), Tchat::connectionLostText());
    EXPECT_FALSE(t.table.send(wire::toHost::Closed{2}.encode()));
    EXPECT_TRUE(t.boxes.isEmpty());
    EXPECT_FALSE(t.ended);
}

TEST(Reconnect, ASeatNoLongerKeptEndsTheAttempts)
{
    JoinedTable t(0); // the grace runs out at once
    ASSERT_TRUE(t.playDownTo(13));
    t.loseConnection();
    ASSERT_TRUE(testsupport::waitUntil([&] { return !t.table.reconnecting(); }, 15000));
    EXPECT_EQ(t.table.status(), Tchat::connectionLostText());
    EXPECT_FALSE(t.host.server().seatKept(2));
}

TEST(Reconnect, AnOrderlyCloseOrALossWithoutATicketEndsTheTableAsBefore)
{
    JoinedTable closed;
    closed.table.sockInfo("Socket Closed");
    EXPECT_TRUE(closed.ended);
    EXPECT_FALSE(closed.table.reconnecting());

    // A watcher holds no seat, and another seat's ticket is not its own.
    Tchat watcher;
    TestRequests requests;
    watcher.setRequests(&requests);
    bool ended = false;
    QObject::connect(&watcher, &Tchat::programEnds, [&] { ended = true; });
    watcher.queueMessage("CMD_sendlogininfo+5");
    watcher.queueMessage("CMD_seatticket+2+0123456789abcdef0123456789abcdef");
    ASSERT_TRUE(testsupport::waitUntil([&] { return watcher.queuedMessages() == 0; }));
    watcher.sockError();
    watcher.sockInfo("Socket Closed");
    EXPECT_TRUE(ended);
    EXPECT_FALSE(watcher.reconnecting());
}

TEST(Reconnect, AttemptsComeFurtherApartUpToALimit)
{
    const std::pair<int, int> rows[] = {{0, 1000}, {1, 2000}, {2, 4000},
                                        {3, 8000}, {9, 8000}, {40, 8000}};
    for (const auto &[attempt, delay] : rows)
        EXPECT_EQ(Reconnection::delayBefore(attempt), delay) << attempt;
    int waited = 0;
    int attempts = 0;
    while (waited + Reconnection::delayBefore(attempts) <= Reconnection::kGiveUpMs)
        waited += Reconnection::delayBefore(attempts++);
    EXPECT_GE(attempts, 15) << "two minutes hold many attempts";
}

TEST(Reconnect, TheScoreSheetNotesTheHandsMissed)
{
    using namespace wire::toClient;
    const PostScores scored{{6, 7, 50, -60, 1, 0, 1, 0, 0, 0, 51, -60, 51, -60, 0, 0}};
    struct Case
    {
        int lostInRound;
        bool scoredBeforeLoss;
        int backInRound;
        std::vector<int> missed;
        std::size_t hands; // on the sheet after the catch-up
    };
    const Case cases[] = {
        {2, false, 2, {}, 1},     // back in the same hand
        {2, false, 4, {2, 3}, 1}, // the hand at the loss and the next were scored
        {2, true, 3, {}, 2},      // lost during the pause after the scores
        {2, true, 5, {3, 4}, 2},
        {5, false, 1, {}, 0}, // a new game meanwhile: a new sheet, as a late joiner
    };
    for (const Case &c : cases) {
        ScoreSheet sheet;
        sheet.apply(wire::StartGame{});
        for (int round = 1; round <= c.lostInRound; ++round) {
            sheet.apply(StartRound{1, round});
            if (round < c.lostInRound || c.scoredBeforeLoss)
                sheet.apply(scored);
        }
        sheet.connectionLost();
        GameStats stats;
        stats.roundnumber = c.backInRound;
        sheet.apply(stats);
        EXPECT_EQ(sheet.missedHands(), c.missed) << c.lostInRound << " " << c.backInRound;
        EXPECT_EQ(sheet.hands().size(), c.hands) << c.lostInRound << " " << c.backInRound;
    }
}

} // namespace
