#include "client/tchatwiring.h"

#include "client/sidewindows.h"
#include "client/tchat.h"

SideWindows *attachSideWindows(Tchat &table)
{
    SideWindows::Table access;
    access.send = [&table](const QByteArray &message) { table.send(message); };
    access.myseat = [&table] { return table.myseat(); };
    access.playername = [&table] { return table.playername(); };
    access.seatName = [&table](int seat) { return table.model().seatName(seat); };
    access.playedCard = [&table](int seat) { return table.model().seat(seat).played; };
    access.kick = [&table](int seat) { table.kicking(seat); };
    access.writeSettings = [&table] { emit table.settingsChanged(); };
    access.muteItemText = [&table](int n, const QString &name) {
        return table.muteItemText(n, name);
    };
    access.toggleMute = [&table](const QString &name) { table.toggleMute(name); };
    auto *windows = new SideWindows(&table, table.phraseButtons(), access);

    QObject::connect(&table, &Tchat::gameStartWanted, windows, &SideWindows::showGameStart);
    QObject::connect(&table, &Tchat::spyJoined, windows, &SideWindows::addSpy);
    QObject::connect(&table, &Tchat::spyLeft, windows, &SideWindows::removeSpy);
    QObject::connect(&table, &Tchat::hosting, windows, &SideWindows::hosting);
    QObject::connect(&table, &Tchat::gameStarted, windows, &SideWindows::resetLastTrick);
    QObject::connect(&table, &Tchat::cardLaid, windows, &SideWindows::cardLaid);
    QObject::connect(&table, &Tchat::trickTaken, windows, &SideWindows::recordLastTrick);
    QObject::connect(&table, &Tchat::lastTrickWanted, windows, &SideWindows::showLastTrick);
    QObject::connect(&table, &Tchat::placeReset, windows, &SideWindows::resetLastTrickPlace);
    QObject::connect(&table, &Tchat::scoreSheetChanged, windows, &SideWindows::drawScoreSheet);
    // The side windows answer their own View items; the program the others.
    QObject::connect(&table, &Tchat::windowWanted, windows, &SideWindows::showWindow);
    return windows;
}
