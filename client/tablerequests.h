#pragma once

#include "host/hostreach.h"

#include <QByteArray>
#include <QPoint>
#include <QString>

class QMenu;

// What the table window asks of the program around it, when the answer or the
// effect lies outside the window. The window's own default talks to its own
// sockets and opens its own boxes; the program and tests put theirs in place.
class TableRequests
{
public:
    virtual ~TableRequests() = default;

    // One terminated message to the host. Throws ESockException when it cannot
    // go out, so that the table shows the socket's complaint.
    virtual void send(const QByteArray &message) = 0;
    // Starts connecting to the game host; may throw ESockException, which the
    // table shows.
    virtual void connectTo(const QString &host) = 0;
    // Starts this process's game host, before the table connects to it.
    virtual void startHost(HostReach reach) = 0;
    // Opens the lobby link (127.0.0.1:9001) in the multi-player modes; may
    // throw ESockException, which nothing depends on.
    virtual void openLobbyLink() = 0;
    // Shows one text and returns when the player has read it; the table
    // never asks for a second box while one is open.
    virtual void messageBox(const QString &text) = 0;
    // Asks the player yes or no before the own choice would end a game that
    // other people are playing at this host; true for yes.
    virtual bool confirm(const QString &question) = 0;
    // Opens a context menu of the table at a screen position.
    virtual void popup(QMenu *menu, const QPoint &at) = 0;
};
