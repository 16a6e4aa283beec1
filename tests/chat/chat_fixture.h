#pragma once

#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "protocol/clientmessages.h"

#include <QByteArrayList>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

// A chat pane on a board of its own, with every outside effect captured.
class ChatFixture : public ::testing::Test
{
protected:
    ChatFixture()
    {
        board = std::make_unique<QWidget>();
        board->resize(768, 483);
        chat = new ChatPanel(board.get());
        chat->setSendFunction([this](const QByteArray &m) { sent << m; });
        chat->setUrlOpener([this](const QUrl &url) {
            opened << url;
            return openSucceeds;
        });
        chat->setAlert([this](const QString &text) { alerts << text; });
        chat->setSettingsChanged([this] { ++settingsWritten; });
    }

    ChatView *view() const { return chat->mainchat(); }

    // A relayed chat payload as it arrives: what does not decode never reaches the pane.
    void chatrecieved(QByteArrayView payload)
    {
        if (const auto message = wire::toClient::Chat::decode(payload))
            chat->chatrecieved(message->n, message->line);
    }

    // The items of the view as "text@style" or "<pic N>", "|" before a new paragraph.
    QStringList items() const
    {
        QStringList out;
        for (int i = 0; i < view()->itemCount(); ++i) {
            const ChatView::ItemInfo it = view()->item(i);
            QString s = it.picture ? QStringLiteral("<pic %1>").arg(it.image)
                                   : QStringLiteral("%1@%2").arg(it.text).arg(it.style);
            out << (it.startsParagraph ? "|" + s : s);
        }
        return out;
    }

    std::unique_ptr<QWidget> board;
    ChatPanel *chat = nullptr;
    QByteArrayList sent;
    QList<QUrl> opened;
    QStringList alerts;
    bool openSucceeds = true;
    int settingsWritten = 0;
};
