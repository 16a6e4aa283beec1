#pragma once

// A solo table and its host in one process, on real loopback sockets, with
// the host's pauses and computer moves shortened and every dialog recorded.
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "host/hostruntime.h"
#include "platform/soundplayer.h"

#include "client/tchatwidgets.h"

#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

class SilentSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

struct SoloTable
{
    static HostRuntime::Timing quickTiming()
    {
        HostRuntime::Timing timing;
        timing.socktimer = 1;
        timing.timer1 = 1;
        timing.computerPercent = 1;
        return timing;
    }

    SoloTable() : host(20261208, quickTiming())
    {
        host.onAlert = [](const QByteArray &) {};
        table.setSoundPlayer(&silence);
        table.services().messageBox = [this](const QString &text) { boxes.append(text); };
        table.services().showDownload = [] {};
        table.services().startHost = [this] {
            host.listen(0);
            table.setHostPort(host.port());
        };
        windows = attachSideWindows(table);
        host.botSpeedHook = [this]() -> std::optional<int> { return table.botSpeed(); };
    }

    // Shows the window and hosts as a solo start does.
    void start()
    {
        table.show();
        table.processparams({});
    }

    HostRuntime host;
    SilentSounds silence;
    Tchat table;
    QStringList boxes; // message boxes the table would have shown
    SideWindows *windows = nullptr;
};

// Plays the own seat as a patient person would: closes the score panel, looks
// at the cards, bids 3, and tries the cards in turn until the host takes one.
struct SeatPlayer
{
    explicit SeatPlayer(Tchat &playing) : table(playing) {}

    bool visible(const char *name) const
    {
        auto *widget = table.findChild<QWidget *>(name);
        return widget && !widget->isHidden();
    }
    void click(const char *name)
    {
        QTest::mouseClick(table.findChild<QWidget *>(name), Qt::LeftButton);
    }
    int handSize() const { return int(table.findChildren<CardPicture *>().size()); }
    bool won() const { return table.status().contains(QLatin1String("Won the Game!")); }

    // One look at the table; true once a team has won.
    bool step()
    {
        if (won())
            return true;
        if (visible("panel_scores")) {
            ++hands;
            // Every hand plays all thirteen cards before the scores.
            EXPECT_EQ(handSize(), 0);
            click("button_close");
        } else if (visible("button_dobid")) {
            click("button_dobid");
        } else if (visible("button_bid")) {
            table.findChild<QLineEdit *>("edit_bid")->setText("3");
            click("button_bid");
        } else if (table.turnseat() == table.myseat()) {
            if (handSize() != handSizeAtClick)
                attempt = 0; // the last card went out: a new turn
            QList<int> positions;
            for (int position : table.handSlots())
                if (position > 0)
                    positions.append(position);
            if (positions.isEmpty())
                return false;
            CardPicture *card = table.cardAt(positions.at(attempt % positions.size()));
            ++attempt;
            handSizeAtClick = handSize();
            QTest::mouseClick(card, Qt::LeftButton);
            ++cardsPlayed;
        }
        return false;
    }

    Tchat &table;
    int hands = 0;
    int cardsPlayed = 0;
    int attempt = 0;
    int handSizeAtClick = -1;
};
