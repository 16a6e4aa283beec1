#include "client/tchatwiring.h"

#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"

#include <QLabel>

SideWindows *attachSideWindows(Tchat &table)
{
    SideWindows::Table access;
    access.send = [&table](const QByteArray &message) { table.send(message); };
    access.myseat = [&table] { return table.myseat(); };
    access.playername = [&table] { return table.playername(); };
    access.seatName = [&table](int seat) { return table.model().seatName(seat); };
    access.playedCard = [&table](int seat) { return table.model().seat(seat).played; };
    access.kick = [&table](int seat) { table.kicking(seat); };
    access.writeSettings = [&table] {
        if (table.services().writeSettings)
            table.services().writeSettings();
    };
    auto *windows = new SideWindows(&table, table.phraseButtons(), access);

    TableServices &s = table.services();
    s.showGameStart = [windows] { windows->showGameStart(); };
    s.addSpy = [windows](const QString &line) { windows->addSpy(line); };
    s.removeSpy = [windows](const QString &line) { return windows->removeSpy(line); };
    s.hosting = [windows] { windows->hosting(); };
    s.resetLastTrick = [windows] { windows->resetLastTrick(); };
    s.cardLaid = [windows](int seat) { windows->cardLaid(seat); };
    s.recordLastTrick = [windows](int winner) { windows->recordLastTrick(winner); };
    s.showLastTrick = [windows] { windows->showLastTrick(); };
    s.resetLastTrickPlace = [windows] { windows->resetLastTrickPlace(); };
    auto otherWindows = s.showWindow;
    s.showWindow = [windows, otherWindows](const QString &item) {
        if (!windows->showWindow(item) && otherWindows)
            otherWindows(item);
    };
    return windows;
}
