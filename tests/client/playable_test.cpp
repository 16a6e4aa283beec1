// The cards a table veils at the own turn: exactly those the host refuses,
// worked out from what the table was shown, and none it cannot be sure of.
#include "client/keyboardplay.h"
#include "client/playablecards.h"
#include "client/tablemodel.h"
#include "client/tgamestart.h"
#include "host/computerrules.h"
#include "host/playrules.h"
#include "tests/client/solotable.h"
#include "tests/client/tablereader.h"
#include "tests/common/test_support.h"
#include "tests/host/host_harness.h"

#include <QAction>
#include <QImage>
#include <gtest/gtest.h>

namespace {

CardSet setOf(std::initializer_list<int> cardNumbers)
{
    CardSet set = 0;
    for (int card : cardNumbers)
        set |= CardSet(1) << card;
    return set;
}

// Clubs are 1..13, diamonds 14..26, spades 27..39, hearts 40..52.
TEST(PlayRules, LeadAndFollow)
{
    const CardSet mixed = setOf({1, 14, 30, 45});
    const struct
    {
        CardSet hand;
        int ledSuit;
        bool broken;
        CardSet expected;
    } cases[] = {
        {mixed, 0, false, setOf({1, 14, 45})},                     // no spade lead yet
        {mixed, 0, true, mixed},                                   // spades broken
        {setOf({27, 39}), 0, false, setOf({27, 39})},              // nothing but spades
        {mixed, cards::kHearts, false, setOf({45})},               // follow suit
        {mixed, cards::kSpades, false, setOf({30})},               // spades led: follow them
        {setOf({14, 30}), cards::kClubs, false, setOf({14, 30})},  // void: anything
        {setOf({30, 31}), cards::kHearts, false, setOf({30, 31})}, // void, a spade discarded
        {0, 0, false, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(playrules::playable(c.hand, c.ledSuit, c.broken), c.expected)
            << c.ledSuit << ' ' << c.broken;
        for (int card = 0; card <= 53; ++card)
            EXPECT_EQ(playrules::mayPlay(c.hand, card, c.ledSuit, c.broken),
                      (c.expected >> card & 1) != 0 && card >= 1 && card <= 52);
    }
}

// Seat 2 holds clubs 2 4 8 A, diamonds 2 8 A, spades 2 5 A, hearts 2 7 A.
const QByteArray kDeal =
    "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7";
const CardSet kHand = setOf({45, 3, 30, 14, 52, 1, 27, 26, 40, 13, 39, 20, 7});
const CardSet kSpadesHeld = setOf({27, 30, 39});

std::optional<CardSet> allowedAfter(const QList<QByteArray> &messages)
{
    TableModel model;
    for (const QByteArray &m : messages)
        EXPECT_TRUE(tabletest::takeIn(model, m)) << m.constData();
    return playablecards::allowed(model);
}

TEST(PlayableCards, FromWhatTheTableWasShown)
{
    // Seat 2 is dealt `hand` and all four bid before `then`.
    const auto seated = [](const QByteArray &hand, const QList<QByteArray> &then) {
        return QList<QByteArray>{"CMD_sendlogininfo+2", "CMD_startgame+Host+300+y+n+n+",
                                 "CMD_startround+1+1+", hand,
                                 "CMD_hebid+2+3+",      "CMD_hebid+3+4+",
                                 "CMD_hebid+4+2+",      "CMD_hebid+1+3+"} +
               then;
    };
    // Spade five, spade six, heart seven, diamond two.
    const QByteArray small = "CMD_mycards+2+1+30+2+31+3+45+4+14";
    // Seat 4 comes back to a hand of which five tricks were taken; on the
    // sixth, seat 2 led the heart five and seat 3 played the heart nine.
    const QByteArray rejoin = "CMD_sendlogininfo+4";
    const QByteArray header = "CMD_gamestats+4+4+0+300+n+y+3+9+40+20+1+2+";
    const QByteArray stats = header + "1+2+3+0+n+y+2+1+3+43+n+y+3+1+2+47+n+y+4+1+3+0+n+y+";
    const QByteArray fresh = header + "1+0+3+0+n+y+2+0+3+0+n+y+3+0+2+0+n+y+4+0+3+0+n+y+";
    const QByteArray hand4 =
        "CMD_loadcards+4+1+0+2+5+3+30+4+44+5+50+6+12+7+31+8+9+9+0+10+0+11+0+12+0+13+35";
    const CardSet held4 = setOf({5, 30, 44, 50, 12, 31, 9, 35});
    QByteArray deal4 = kDeal;
    deal4.replace("CMD_mycards+2", "CMD_loadcards+4");
    const struct
    {
        const char *what;
        QList<QByteArray> messages;
        std::optional<CardSet> expected;
    } cases[] = {
        {"own lead", seated(kDeal, {"CMD_nextplayer+2+0+"}), kHand & ~kSpadesHeld},
        {"lead, no spade seen", seated(small, {"CMD_nextplayer+2+0+"}), setOf({45, 14})},
        {"lead after a spade discard",
         seated(small, {"CMD_nextplayer+1+0+", "CMD_heplayed+1+4+12+", "CMD_heplayed+2+30+3+",
                        "CMD_usecard+2+1+", "CMD_heplayed+3+5+12+", "CMD_heplayed+4+6+12+",
                        "CMD_tooktrick+2+1+", "CMD_nextplayer+2+0+"}),
         setOf({31, 45, 14})},
        {"follow hearts",
         seated(kDeal, {"CMD_nextplayer+1+0+", "CMD_heplayed+1+44+12+", "CMD_nextplayer+2+44+"}),
         setOf({45, 52, 40})},
        {"void in the led suit",
         seated(small, {"CMD_nextplayer+1+0+", "CMD_heplayed+1+4+12+", "CMD_nextplayer+2+4+"}),
         setOf({30, 31, 45, 14})},
        {"someone else's turn", seated(kDeal, {"CMD_nextplayer+3+0+"}), {}},
        {"watching", seated(kDeal, {"CMD_justwatching+2+1+", "CMD_nextplayer+2+0+"}), {}},
        {"own card on the table",
         seated(kDeal, {"CMD_nextplayer+2+0+", "CMD_heplayed+2+45+12+", "CMD_usecard+2+1+"}),
         {}},
        {"bidding",
         {"CMD_sendlogininfo+2", "CMD_startgame+Host+300+y+n+n+", "CMD_startround+1+1+", kDeal,
          "CMD_nextplayer+2+0+", "CMD_getbid+3+0+"},
         {}},
        {"rejoined, following", {rejoin, stats, hand4, "CMD_nextplayer+4+43+"}, setOf({44, 50})},
        // Spades may have been broken in the tricks it missed: no card is held back.
        {"rejoined, leading",
         {rejoin, stats, hand4, "CMD_nextplayer+4+43+", "CMD_heplayed+4+50+7+", "CMD_usecard+4+5+",
          "CMD_heplayed+1+46+7+", "CMD_tooktrick+4+2+", "CMD_nextplayer+4+0+"},
         held4 & ~setOf({50})},
        {"joined before the first trick",
         {rejoin, fresh, deal4, "CMD_nextplayer+4+0+"},
         kHand & ~kSpadesHeld},
    };
    for (const auto &c : cases)
        EXPECT_EQ(allowedAfter(c.messages), c.expected) << c.what;
}

// A table in seat 2 or 3 plays whole games at a host; at every own turn the
// cards it holds back are tried one by one and the host refuses each, and the
// host's own rule on its own records allows exactly the rest. Half way, the
// player's connection is lost and a new table takes the seat back with its
// ticket.
TEST(PlayableCards, AgreeWithTheHostAlsoAfterARejoin)
{
    for (const int seat : {2, 3}) {
        SCOPED_TRACE(seat);
        hosttest::Host host(std::uint32_t(40 + seat));
        host.seat(seat);
        host.start(true, false, false, "150");
        for (int n = 1; n < seat; ++n)
            host.deliver(n, wire::toHost::JustWatch{n, wire::toHost::JustWatch::kWatch}.encode());
        auto model = std::make_unique<TableModel>();
        bool won = false;
        QByteArray ticket;
        const auto read = [&] {
            for (QList<QByteArray> in = host.take(seat); !in.isEmpty(); in = host.take(seat))
                for (const QByteArray &m : in) {
                    const auto decoded = tabletest::takeIn(*model, m);
                    if (!decoded)
                        continue;
                    if (std::holds_alternative<wire::toClient::PostScores>(*decoded))
                        host.deliver(seat, *model->closeScores());
                    won = won || std::holds_alternative<wire::toClient::Winner>(*decoded);
                    if (const auto *given = std::get_if<wire::toClient::SeatTicket>(&*decoded))
                        ticket = given->ticket;
                }
        };
        int turns = 0, refused = 0, turnsAfterRejoin = 0;
        bool rejoined = false;
        for (read(); !won; read()) {
            if (turns == 20 && !rejoined) {
                rejoined = true;
                host.server.connectionClosed(seat);
                model = std::make_unique<TableModel>();
                const int n = host.connect();
                host.deliver(n, wire::toHost::Rejoin{n, seat, ticket}.encode());
                ASSERT_EQ(host.port.renumbered.size(), 1);
                host.login(seat, "Back");
                continue;
            }
            if (host.server.bidAwaited(seat)) {
                host.deliver(seat, *model->bid(3));
                continue;
            }
            if (!host.server.cardAwaited(seat)) {
                EXPECT_FALSE(playablecards::allowed(*model)) << "no card awaited";
                ASSERT_TRUE(host.port.step());
                continue;
            }
            const std::optional<CardSet> allowed = playablecards::allowed(*model);
            ASSERT_TRUE(allowed);
            const GameState &game = host.game();
            const int ledSuit = game.ledcard != 0 ? getsuit(game.ledcard) : 0;
            const CardSet rule = playrules::playable(computerhand::held(host.seatRecord(seat)),
                                                     ledSuit, game.spadesbroken);
            if (model->spadesKnown() || ledSuit != 0)
                EXPECT_EQ(*allowed, rule);
            else
                EXPECT_EQ(*allowed & rule, rule) << "a card the host takes is held back";
            QList<int> mayPlay;
            for (int position : model->handInOrder()) {
                if (*allowed >> model->cardAt(position) & 1) {
                    if (rule >> model->cardAt(position) & 1)
                        mayPlay.append(position);
                    continue;
                }
                host.deliver(seat, *model->playCard(position));
                EXPECT_TRUE(host.server.cardAwaited(seat)) << "the host took a held-back card";
                read();
                ++refused;
            }
            ASSERT_FALSE(mayPlay.isEmpty());
            host.deliver(seat, *model->playCard(mayPlay.at(turns % mayPlay.size())));
            ASSERT_FALSE(host.server.cardAwaited(seat)) << "the host refused an allowed card";
            ++turns;
            turnsAfterRejoin += rejoined;
        }
        EXPECT_GT(refused, 10);
        EXPECT_GT(turnsAfterRejoin, 10);
    }
}

bool shown(Tchat &table, const char *name)
{
    auto *widget = table.findChild<QWidget *>(name);
    return widget && !widget->isHidden();
}

// Closes the score panel and bids until the host waits for the own card.
bool toOwnTurn(Tchat &table)
{
    return testsupport::waitUntil(
        [&] {
            if (table.status().contains(QLatin1String("Won the Game!")))
                return false;
            if (shown(table, "panel_scores"))
                QTest::mouseClick(table.findChild<QWidget *>("button_close"), Qt::LeftButton);
            else if (shown(table, "button_dobid"))
                QTest::mouseClick(table.findChild<QWidget *>("button_dobid"), Qt::LeftButton);
            else if (shown(table, "button_bid")) {
                table.findChild<QLineEdit *>("edit_bid")->setText("3");
                QTest::mouseClick(table.findChild<QWidget *>("button_bid"), Qt::LeftButton);
            }
            return table.turnseat() == table.myseat() && table.status() == "Your Turn." &&
                   !table.model().handInOrder().isEmpty();
        },
        60000);
}

TEST(PlayableCards, TheWindowVeilsWhatTheHostRefuses)
{
    SoloTable solo;
    Tchat &table = solo.table;
    solo.start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return table.loggedin(); }));
    QAction *option = table.findChild<QAction *>("ShowPlayableCards1");
    ASSERT_NE(option, nullptr);
    EXPECT_FALSE(option->isChecked());
    option->trigger();
    EXPECT_TRUE(table.showPlayable());
    QTest::mouseClick(table.findChild<QWidget *>("button_start"), Qt::LeftButton);
    QTest::mouseClick(solo.windows->gamestart()->findChild<QWidget *>("button_start"),
                      Qt::LeftButton);

    int veiled = 0;
    for (int turn = 0; turn < 26; ++turn) {
        ASSERT_TRUE(toOwnTurn(table)) << table.status().toStdString();
        const TServer &host = solo.host.server();
        const int ledSuit = host.game().ledcard != 0 ? getsuit(host.game().ledcard) : 0;
        const CardSet rule = playrules::playable(computerhand::held(host.seats()[1]), ledSuit,
                                                 host.game().spadesbroken);
        CardPicture *allowed = nullptr;
        CardPicture *held = nullptr;
        for (CardPicture *card : table.findChildren<CardPicture *>()) {
            const bool mayPlay = (rule >> card->card() & 1) != 0;
            EXPECT_EQ(card->dimmed(), !mayPlay) << card->card();
            EXPECT_EQ(card->accessibleName().endsWith(", cannot be played now"), !mayPlay);
            (mayPlay ? allowed : held) = card;
        }
        ASSERT_NE(allowed, nullptr);
        // The keyboard's turn starts on a card that may be played.
        const int focused = solo.table.findChild<KeyboardPlay *>("keyboardPlay")->focusedPosition();
        ASSERT_NE(table.cardAt(focused), nullptr);
        EXPECT_FALSE(table.cardAt(focused)->dimmed());
        if (held) {
            ++veiled;
            // The veil darkens the face and leaves the rounded corner clear.
            const QImage dark = held->grab().toImage();
            held->setDimmed(false);
            const QImage light = held->grab().toImage();
            held->setDimmed(true);
            const QPoint middle(held->width() / 2, held->height() / 2);
            EXPECT_LT(qGray(dark.pixel(middle)), qGray(light.pixel(middle)));
            EXPECT_EQ(dark.pixel(0, 0), light.pixel(0, 0));
            // A veiled card clicked still goes to the host, which refuses it.
            QTest::mouseClick(held, Qt::LeftButton);
            ASSERT_TRUE(testsupport::waitUntil([&] {
                return table.status() == "Spades are not broken." ||
                       table.status() == "You need to follow suit.";
            }));
            EXPECT_TRUE(held->dimmed());
        }
        QTest::mouseClick(allowed, Qt::LeftButton);
        for (CardPicture *card : table.findChildren<CardPicture *>())
            EXPECT_FALSE(card->dimmed()) << "veils go with the card played";
    }
    EXPECT_GT(veiled, 3);

    option->trigger();
    ASSERT_TRUE(toOwnTurn(table));
    for (CardPicture *card : table.findChildren<CardPicture *>())
        EXPECT_FALSE(card->dimmed());
}

} // namespace
