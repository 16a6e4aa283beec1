// One whole hand played from the keyboard alone against the computer seats,
// the host in the same process; the screen-reader names follow the table.
#include "client/accessiblenames.h"
#include "client/keyboardplay.h"
#include "client/scorepanel.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "client/tchatwiring.h"
#include "client/tgamestart.h"
#include "host/hostruntime.h"
#include "platform/soundplayer.h"
#include "tests/client/solotable.h"
#include "tests/common/test_support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool shown(const Tchat &table, const char *name)
{
    auto *widget = table.findChild<QWidget *>(name);
    return widget && !widget->isHidden();
}

QString labelText(const Tchat &table, const QString &name)
{
    auto *label = table.findChild<QLabel *>(name);
    return label ? label->text() : QString();
}

TEST(AccessibleNames, CardNames)
{
    const std::pair<int, const char *> cases[] = {
        {1, "Two of Clubs"},
        {9, "Ten of Clubs"},
        {13, "Ace of Clubs"},
        {14, "Two of Diamonds"},
        {37, "Queen of Spades"},
        {39, "Ace of Spades"},
        {50, "Queen of Hearts"},
        {52, "Ace of Hearts"},
        {0, ""},
        {53, ""},
        {-4, ""},
    };
    for (const auto &[card, name] : cases)
        EXPECT_EQ(accessiblenames::cardName(card), QString::fromLatin1(name)) << card;
}

TEST(AccessibleNames, SeatNames)
{
    using accessiblenames::SeatView;
    const std::pair<SeatView, const char *> cases[] = {
        {{"Ann", "4", "2"}, "Ann, bid 4, 2 tricks"},
        {{"Ann", "0", "0"}, "Ann, no bid yet, 0 tricks"},
        {{"Klot", "0", "1", true}, "Klot, bid Nil, 1 trick"},
        {{"Klot", "0", "0", true, true}, "Klot, bid Blind Nil, 0 tricks"},
        {{"Kling", "13", "13", false, false, true}, "Kling, bid 13, 13 tricks, to play"},
        {{"You", "3", "", false, false, false, true}, "You, bid 3, 0 tricks, won the game"},
    };
    for (const auto &[view, name] : cases)
        EXPECT_EQ(accessiblenames::seatName(view), QString::fromLatin1(name));
}

TEST(KeyboardHand, AWholeHandFromTheKeyboardWithNamesThatFollowIt)
{
    SoloTable solo;
    Tchat &table = solo.table;
    QStringList &boxes = solo.boxes;
    SideWindows *windows = solo.windows;
    solo.start();
    ASSERT_TRUE(testsupport::waitUntil([&] { return table.loggedin() && table.myseat() == 1; }));

    // The game starts from the options dialog's button, pressed with Space.
    table.findChild<QAction *>("StartGame1")->trigger();
    Tgamestart *dialog = windows->gamestart();
    ASSERT_TRUE(dialog->isVisible());
    QTest::keyClick(dialog->findChild<QWidget *>("button_start"), Qt::Key_Space);
    ASSERT_FALSE(dialog->isVisible());

    auto press = [&](int key) {
        QWidget *target = table.focusWidget();
        ASSERT_NE(target, nullptr);
        ASSERT_TRUE(target == table.boardPanel() || qobject_cast<CardPicture *>(target) ||
                    target->objectName() == "edit_bid")
            << "the keyboard focus left the table: " << target->objectName().toStdString();
        QTest::keyClick(target, Qt::Key(key));
    };
    auto *keys = table.findChild<KeyboardPlay *>("keyboardPlay");
    ASSERT_NE(keys, nullptr);
    const QRegularExpression cardName(
        "^(Two|Three|Four|Five|Six|Seven|Eight|Nine|Ten|Jack|Queen|King|Ace) of "
        "(Clubs|Diamonds|Spades|Hearts)$");

    bool bid = false;
    int cardsPlayed = 0;
    int lastTried = 0;
    int namesChecked = 0;
    const bool handDone = testsupport::waitUntil(
        [&] {
            // Every card in the hand reads as its face.
            for (CardPicture *card : table.findChildren<CardPicture *>()) {
                EXPECT_EQ(card->accessibleName(), accessiblenames::cardName(card->card()));
                EXPECT_TRUE(cardName.match(card->accessibleName()).hasMatch());
            }
            // Every seat reads its name, bid and tricks as the board shows them.
            for (int seat = 1; seat <= 4; ++seat) {
                const QString name = table.playernameLabel(seat)->accessibleName();
                const QString tricks = table.tricksLabel(seat)->text();
                EXPECT_TRUE(name.startsWith(table.playernameLabel(seat)->text() + ", "))
                    << name.toStdString();
                EXPECT_TRUE(name.contains(", " + tricks + (tricks == "1" ? " trick" : " tricks")))
                    << name.toStdString();
                const QString bidText = table.bidLabel(seat)->text();
                if (bidText != "0") {
                    EXPECT_TRUE(name.contains(", bid " + bidText + ",")) << name.toStdString();
                }
                ++namesChecked;
            }
            EXPECT_EQ(table.findChild<QLabel *>("label_status")->accessibleName(), table.status());

            if (shown(table, "panel_scores"))
                return true;
            if (shown(table, "button_dobid")) {
                press(Qt::Key_L);
                return false;
            }
            if (shown(table, "button_bid")) {
                press(Qt::Key_Up);
                press(Qt::Key_Up);
                EXPECT_EQ(table.findChild<QLineEdit *>("edit_bid")->text(), "3");
                press(Qt::Key_Return);
                bid = true;
                return false;
            }
            if (table.turnseat() == table.myseat() && keys->focusedPosition() != 0) {
                // A card the host refused comes back: try the next one.
                if (keys->focusedPosition() == lastTried)
                    press(Qt::Key_Right);
                if (keys->focusedPosition() == lastTried)
                    press(Qt::Key_Home);
                lastTried = keys->focusedPosition();
                const int before = int(table.findChildren<CardPicture *>().size());
                press(Qt::Key_Return);
                if (table.turnseat() == 0 && before > 0)
                    ++cardsPlayed;
            }
            return false;
        },
        120000);
    ASSERT_TRUE(handDone) << "status " << table.status().toStdString();

    EXPECT_TRUE(bid);
    EXPECT_GE(cardsPlayed, 13);
    EXPECT_TRUE(table.findChildren<CardPicture *>().isEmpty());
    EXPECT_GT(namesChecked, 100);
    // The own seat reads the bid made with the arrows.
    EXPECT_TRUE(table.playernameLabel(1)->accessibleName().startsWith("You, bid 3, "))
        << table.playernameLabel(1)->accessibleName().toStdString();
    int tricks = 0;
    for (int seat = 1; seat <= 4; ++seat)
        tricks += table.tricksLabel(seat)->text().toInt();
    EXPECT_EQ(tricks, 13);

    // The score panel reads its values with their meaning.
    ScorePanel *panel = table.scorePanel();
    for (int team = 1; team <= 2; ++team) {
        const QString n = QString::number(team);
        const QString teamName = team == 1 ? "Team Blue" : "Team Red";
        auto *score = panel->findChild<QLabel *>("label_teamscore" + n);
        EXPECT_EQ(score->accessibleName(), teamName + " " + score->text());
        auto *handTricks = panel->findChild<QLabel *>("label_teamtricks" + n);
        EXPECT_EQ(handTricks->accessibleName(), teamName + " tricks " + handTricks->text());
        EXPECT_EQ(table.findChild<QLabel *>("label_team" + n)->accessibleName(),
                  teamName + " score " + labelText(table, "label_team" + n));
    }
    // Closing the panel from the keyboard tells the host, which deals again.
    QTest::keyClick(table.focusWidget() ? table.focusWidget() : &table, Qt::Key_Escape);
    if (shown(table, "panel_scores")) // no active window: the shortcut cannot fire
        panel->findChild<QAbstractButton *>("button_close")->click();
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return labelText(table, "label_round") != QLatin1String("Round: 1"); }, 30000))
        << labelText(table, "label_round").toStdString() << " / " << table.status().toStdString();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('|').toStdString();
}

} // namespace
