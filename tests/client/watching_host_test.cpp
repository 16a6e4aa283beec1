// Watching, removal and phrase lines between several table windows and a real
// host in one process, on real sockets with the host's pauses shortened.
#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "client/phrasebuttons.h"
#include "client/seatmenu.h"
#include "client/tgamestart.h"
#include "client/tspylist.h"
#include "tests/client/solotable.h"
#include "tests/common/test_support.h"

#include <QAction>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// One person's program: the table window, its side windows and what it sent.
struct Person
{
    TestRequests requests;
    std::unique_ptr<Tchat> table = std::make_unique<Tchat>();
    SideWindows *windows = nullptr;
    QList<QByteArray> sent;
    QStringList boxes;
    bool ended = false;
    SeatPlayer player{*table};

    int handSize() const { return player.handSize(); }
    bool shown(const char *name) const { return player.visible(name); }
    bool sentCommand(const QByteArray &command) const
    {
        for (const QByteArray &message : sent)
            if (message.startsWith(command + '+'))
                return true;
        return false;
    }
    bool chatHas(const QString &line) const { return table->chatLines().contains(line); }
    QAction *justWatch() const { return table->findChild<QAction *>("JustWatch1"); }
};

class HostedTable : public ::testing::Test
{
protected:
    // Starts a program for `name`: the first one hosts, the others join.
    Person &join(const QString &name)
    {
        const bool hosting = people.empty();
        people.push_back(std::make_unique<Person>());
        Person &p = *people.back();
        Tchat &t = *p.table;
        t.setSoundPlayer(&silence);
        TestRequests &r = p.requests;
        r.own = &t.ownRequests();
        r.onBox = [&p](const QString &text) { p.boxes << text; };
        r.onLobby = [] {};
        r.onStartHost = [this, &t] {
            host.listen(0);
            t.setHostPort(host.port());
        };
        r.onSend = [&p, &t](const QByteArray &message) {
            t.ownRequests().send(message);
            p.sent << message;
        };
        t.setRequests(&r);
        QObject::connect(&t, &Tchat::programEnds, [&p] { p.ended = true; });
        p.windows = attachSideWindows(t);
        if (hosting)
            host.botSpeedHook = [&t]() -> std::optional<int> { return t.botSpeed(); };
        else
            t.setHostPort(host.port());
        t.show();
        t.processparams({name, "127.0.0.1", hosting ? "true" : "false"});
        EXPECT_TRUE(testsupport::waitUntil([&p] { return p.chatHas("0+You are Connected."); }))
            << name.toStdString();
        p.sent.clear();
        return p;
    }

    // Everybody has seen everybody else arrive.
    bool allKnow(const QString &name)
    {
        for (const auto &p : people) {
            if (p->table->playername() != name && !p->chatHas("0+" + name + " is Connected.") &&
                !p->chatHas("0+" + name + " is spying."))
                return false;
        }
        return true;
    }

    void startGame(bool blindNil = false)
    {
        Person &hosting = *people.front();
        QTest::mouseClick(hosting.table->findChild<QWidget *>("button_start"), Qt::LeftButton);
        Tgamestart *dialog = hosting.windows->gamestart();
        ASSERT_TRUE(dialog->isVisible());
        // Without blind nil the cards are shown face up as they are dealt.
        dialog->checkbox("image_blind", blindNil ? 1 : 0);
        QTest::mouseClick(dialog->findChild<QWidget *>("button_start"), Qt::LeftButton);
        ASSERT_TRUE(testsupport::waitUntil([this] { return host.server().game().gamestarted; }));
    }

    // Plays for every person except `idle` until the condition holds.
    bool playUntil(const std::function<bool()> &done, const Person *idle = nullptr)
    {
        return testsupport::waitUntil(
            [&] {
                if (done())
                    return true;
                for (const auto &p : people)
                    if (p.get() != idle && !p->ended)
                        p->player.step();
                return false;
            },
            60000);
    }

    bool everyone(const std::function<bool(Person &)> &check)
    {
        for (const auto &p : people)
            if (!p->ended && !check(*p))
                return false;
        return true;
    }

    HostRuntime host{20261208, SoloTable::quickTiming()};
    SilentSounds silence;
    std::vector<std::unique_ptr<Person>> people;
};

bool eyesShown(Person &p, int seat)
{
    return p.shown(("image_eyes" + QByteArray::number(seat)).constData());
}

TEST_F(HostedTable, APlayerSaysPhrasesWatchesWhileTheComputerPlaysAndComesBack)
{
    join("Hal");
    Person &ann = join("Ann");
    join("Bob");
    ASSERT_TRUE(testsupport::waitUntil([this] { return allKnow("Bob"); }));
    ASSERT_EQ(ann.table->myseat(), 2);

    // Watching before a game is refused by the host: nothing changes anywhere.
    ann.justWatch()->trigger();
    EXPECT_EQ(ann.sent, QList<QByteArray>{"CMD_justwatch+2+1\xff"});
    EXPECT_FALSE(ann.justWatch()->isChecked()) << "only the host's word checks the item";
    // A chat line behind the request comes back once the host has handled it.
    const auto allShow = [&](const QString &text) {
        return testsupport::waitUntil([&] {
            return everyone([&](Person &p) {
                return p.table->chatPanel()->mainchat()->plainText().simplified().contains(text);
            });
        });
    };
    ann.table->chatPanel()->mychat()->setText("ready");
    ann.table->chatPanel()->sendit();
    ASSERT_TRUE(allShow("ready"));

    // Phrase lines reach every table.
    ann.sent.clear();
    PhraseButtons *buttons = ann.table->phraseButtons();
    buttons->setPhrase(1, "/me waves");
    buttons->setPhrase(2, "/mewaves");
    QTest::mouseClick(buttons->button(1), Qt::LeftButton);
    QTest::mouseClick(buttons->button(2), Qt::LeftButton);
    ASSERT_EQ(ann.sent.size(), 1);
    EXPECT_TRUE(ann.sent[0].startsWith("CMD_action+2+waves|")) << ann.sent[0].constData();
    EXPECT_FALSE(buttons->isReady());

    // Every table shows the name, a blank and the action.
    ASSERT_TRUE(allShow("Ann waves"));

    ASSERT_TRUE(testsupport::waitUntil([&] { return buttons->isReady(); }, 10000));
    QTest::mouseClick(buttons->button(2), Qt::LeftButton);
    ASSERT_EQ(ann.sent.size(), 2);
    EXPECT_TRUE(ann.sent[1].startsWith("CMD_action+2+says: /mewaves|")) << ann.sent[1].constData();
    ASSERT_TRUE(allShow("Ann says: /mewaves"))
        << people[0]->table->chatPanel()->mainchat()->plainText().toStdString();

    startGame();
    ASSERT_TRUE(testsupport::waitUntil([&] { return ann.handSize() == 13; }));
    EXPECT_FALSE(ann.chatHas("0+Ann is just watching"));
    ann.sent.clear();

    ann.justWatch()->trigger();
    EXPECT_EQ(ann.sent, QList<QByteArray>{"CMD_justwatch+2+1\xff"});
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return everyone([](Person &p) { return p.chatHas("0+Ann is just watching"); }); }));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return everyone([](Person &p) { return eyesShown(p, 2); }); }));
    EXPECT_TRUE(ann.justWatch()->isChecked());
    EXPECT_TRUE(host.server().seats()[2].justwatching);
    // The eyes sit at the watcher's own place: the bottom on Ann's turned table.
    EXPECT_EQ(ann.table->findChild<QWidget *>("image_eyes2")->pos(), QPoint(94, 352));
    EXPECT_FALSE(eyesShown(*people[0], 1) || eyesShown(*people[0], 3));

    // The others play on; Ann's cards leave her hand without her touching them,
    // and her own clicks on them do nothing.
    ASSERT_TRUE(playUntil([&] { return ann.handSize() <= 10; }, &ann)) << ann.handSize();
    if (CardPicture *card = ann.table->cardAt(ann.table->handSlots()[0]))
        QTest::mouseClick(card, Qt::LeftButton);
    EXPECT_FALSE(ann.sentCommand("CMD_playcard"));
    EXPECT_FALSE(ann.sentCommand("CMD_mybid"));

    ann.justWatch()->trigger();
    EXPECT_EQ(ann.sent.last(), QByteArray("CMD_justwatch+2+2\xff"));
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return everyone(
            [](Person &p) { return p.chatHas("0+Ann is now playing again") && !eyesShown(p, 2); });
    }));
    EXPECT_FALSE(ann.justWatch()->isChecked());
    EXPECT_FALSE(host.server().seats()[2].justwatching);

    // From now on the host waits for Ann, and her cards go out by her clicks.
    const int before = ann.handSize();
    ASSERT_TRUE(
        playUntil([&] { return ann.sentCommand("CMD_playcard") && ann.handSize() < before; }));
    for (const auto &p : people)
        EXPECT_TRUE(p->boxes.isEmpty()) << p->boxes.join('|').toStdString();
}

// What the board shows of the game, seat by seat as numbered by the host.
QStringList boardOf(const Tchat &t)
{
    QStringList shown;
    for (int seat = 1; seat <= 4; ++seat)
        shown << t.bidLabel(seat)->text() + '/' + t.tricksLabel(seat)->text();
    for (const char *name : {"label_team1", "label_team2", "label_bags1", "label_bags2",
                             "label_bids1", "label_bids2", "label_round", "label_totalbids"})
        shown << t.findChild<QLabel *>(name)->text();
    return shown;
}

TEST_F(HostedTable, ALateJoinerSeesTheBoardTheSeatedPlayersSee)
{
    join("Hal");
    Person &ann = join("Ann");
    startGame();
    // Into the second hand, every bid made and a card of Ann's played.
    const TableModel &model = ann.table->model();
    ASSERT_TRUE(playUntil([&] {
        bool allBid = true;
        for (int seat = 1; seat <= 4; ++seat)
            allBid = allBid && model.seat(seat).hasbid;
        return model.round() >= 2 && allBid && ann.handSize() < 13;
    }));

    // Bob arrives in the middle of the hand; while the game waits for Hal or
    // Ann, his board settles on theirs.
    Person &bob = join("Bob");
    EXPECT_TRUE(testsupport::waitUntil([&] { return boardOf(*bob.table) == boardOf(*ann.table); }))
        << boardOf(*bob.table).join(' ').toStdString() << " | "
        << boardOf(*ann.table).join(' ').toStdString();
    EXPECT_NE(boardOf(*ann.table).at(8), "0") << "Team Blue has a score by now";
}

TEST_F(HostedTable, TheHostSetsWatchingForASeatWhoseBidIsAwaited)
{
    Person &hal = join("Hal");
    Person &ann = join("Ann");
    ASSERT_TRUE(testsupport::waitUntil([this] { return allKnow("Ann"); }));

    // With blind nil allowed, Ann's cards lie face down while she decides.
    startGame(true);
    ASSERT_TRUE(playUntil([&] { return ann.shown("button_dobid"); }, &ann));
    EXPECT_EQ(ann.handSize(), 0);

    SeatMenu *menu = hal.table->seatMenu();
    QTest::mouseClick(hal.table->playernameLabel(2), Qt::RightButton);
    EXPECT_EQ(menu->tag(), 2);
    menu->setWatchItem()->trigger();
    EXPECT_EQ(hal.sent.last(), QByteArray("CMD_justwatch+2+1\xff"));

    // The computer bids for her; her cards turn up and her bid controls go.
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return host.server().seats()[2].hasbid && ann.handSize() == 13; }));
    EXPECT_TRUE(ann.justWatch()->isChecked());
    EXPECT_FALSE(ann.shown("button_dobid") || ann.shown("button_blind"));
    EXPECT_FALSE(ann.sentCommand("CMD_mybid"));
    EXPECT_TRUE(testsupport::waitUntil(
        [&] { return everyone([](Person &p) { return p.chatHas("0+Ann is just watching"); }); }));

    QTest::mouseClick(hal.table->playernameLabel(2), Qt::RightButton);
    menu->unsetWatchItem()->trigger();
    EXPECT_EQ(hal.sent.last(), QByteArray("CMD_justwatch+2+2\xff"));
    ASSERT_TRUE(testsupport::waitUntil([&] {
        return everyone(
            [](Person &p) { return p.chatHas("0+Ann is now playing again") && !eyesShown(p, 2); });
    }));
    EXPECT_FALSE(ann.justWatch()->isChecked());
}

TEST_F(HostedTable, TheHostRemovesAPlayerAndAWatcher)
{
    Person &hal = join("Hal");
    Person &ann = join("Ann");
    Person &bob = join("Bob");
    Person &cy = join("Cy");
    Person &spy = join("Spy");
    ASSERT_TRUE(testsupport::waitUntil([this] { return allKnow("Spy"); }));
    ASSERT_EQ(spy.table->myseat(), 5);
    EXPECT_EQ(hal.windows->spylist()->lines(), QStringList{"5: Spy"});

    // A player who does not host gets a menu with nothing to choose.
    SeatMenu *annMenu = ann.table->seatMenu();
    QTest::mouseClick(ann.table->playernameLabel(3), Qt::RightButton);
    for (QAction *item : annMenu->actions())
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    annMenu->removeItem()->trigger();
    ann.table->kicking(3);
    EXPECT_FALSE(ann.sentCommand("CMD_kickhim"));

    // The host removes Bob through his name on the board.
    SeatMenu *menu = hal.table->seatMenu();
    QTest::mouseClick(hal.table->playernameLabel(3), Qt::RightButton);
    EXPECT_EQ(menu->tag(), 3);
    ASSERT_TRUE(menu->removeItem()->isEnabled());
    menu->removeItem()->trigger();
    EXPECT_EQ(hal.sent, QList<QByteArray>{"CMD_kickhim+1+3+\xff"});
    ASSERT_TRUE(testsupport::waitUntil([&] { return bob.ended; }));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return everyone([](Person &p) { return p.chatHas("0+Bob disconnected."); }); }));
    EXPECT_FALSE(host.server().seats()[3].connected);
    for (Person *p : {&hal, &ann, &cy, &spy})
        EXPECT_EQ(p->table->playernameLabel(3)->text(), "Klick");

    // And the watcher through the spy list, where the pointer rests.
    auto *list = hal.windows->spylist()->findChild<QListWidget *>("listbox_spys");
    hal.windows->spylist()->show();
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &move);
    hal.windows->spylist()->findChild<QAction *>("popup_kickhim")->trigger();
    EXPECT_EQ(hal.sent.last(), QByteArray("CMD_kickhim+1+5+\xff"));
    ASSERT_TRUE(testsupport::waitUntil([&] { return spy.ended; }));
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return everyone([](Person &p) { return p.chatHas("0+Spy has left."); }); }));
    EXPECT_TRUE(hal.windows->spylist()->lines().isEmpty());
    EXPECT_TRUE(ann.windows->spylist()->lines().isEmpty());
    EXPECT_FALSE(host.server().seats()[5].connected);

    // The freed seat is played by the computer when the game starts.
    startGame();
    ASSERT_TRUE(playUntil([&] { return host.server().seats()[3].cardsLeft() < 13; }));
}

} // namespace
