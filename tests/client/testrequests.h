#pragma once

#include "client/tablerequests.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

class QMenu;

// What a table under test asks for: sends and boxes are recorded, menus stay
// closed, nothing connects and no host starts, unless a test says otherwise
// or names the table's own requests to pass sends and connects on to.
// Give it to the table with setRequests; it must outlive the table.
struct TestRequests : TableRequests
{
    TableRequests *own = nullptr;
    QList<QByteArray> sent;
    QStringList boxes;
    std::function<void(const QByteArray &)> onSend;
    std::function<void(const QString &)> onBox;
    std::function<void(const QString &)> onConnect;
    std::function<void()> onStartHost;
    std::optional<HostReach> reach; // of the host started last
    std::function<void()> onLobby;
    std::function<void(QMenu *)> onPopup;

    void send(const QByteArray &message) override
    {
        if (onSend)
            onSend(message);
        else if (own)
            own->send(message);
        else
            sent << message;
    }
    void connectTo(const QString &host) override
    {
        if (onConnect)
            onConnect(host);
        else if (own)
            own->connectTo(host);
    }
    void startHost(HostReach hostReach) override
    {
        reach = hostReach;
        if (onStartHost)
            onStartHost();
    }
    void openLobbyLink() override
    {
        if (onLobby)
            onLobby();
        else if (own)
            own->openLobbyLink();
    }
    void messageBox(const QString &text) override
    {
        if (onBox)
            onBox(text);
        else
            boxes << text;
    }
    QStringList questions;
    bool answer = true;
    bool confirm(const QString &question) override
    {
        questions << question;
        return answer;
    }
    void popup(QMenu *menu, const QPoint &) override
    {
        if (onPopup)
            onPopup(menu);
    }
};
