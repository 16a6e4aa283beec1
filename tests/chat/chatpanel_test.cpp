#include "chat/chatpanel.h"
#include "chat/chatview.h"

#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

TEST(ChatPanel, PlacesItsControlsOnTheBoard)
{
    QWidget board;
    board.resize(768, 483);
    auto *panel = new ChatPanel(&board);
    EXPECT_EQ(board.findChild<ChatView *>("mainchat"), panel->mainchat());
    EXPECT_EQ(board.findChild<QLineEdit *>("mychat"), panel->mychat());
    EXPECT_EQ(panel->mychat()->geometry(), QRect(478, 437, 235, 22));
    EXPECT_EQ(panel->frame()->geometry(), QRect(478, 168, 265, 268));
    EXPECT_EQ(panel->mainchat()->geometry(), QRect(2, 2, 261, 264));
    EXPECT_EQ(panel->mychat()->text(), "<Enter Chat Here>");
}
