// A host that means harm: markup in every text it sends, floods, extra cards.
// The table shows text as text, holds no more than its limits and never opens
// one message box inside another.
#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "client/tchatwiring.h"
#include "protocol/message.h"
#include "protocol/wirecodec.h"
#include "tablefixture.h"

#include <QApplication>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <algorithm>

namespace {

// What Qt would render as rich text rather than show as it is.
QString markupInterpreted(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget)) {
        const Qt::TextFormat format = label->textFormat();
        if (format == Qt::RichText ||
            (format == Qt::AutoText && Qt::mightBeRichText(label->text())))
            return QStringLiteral("text: ") + label->text();
    }
    // Tool tips and "what's this" texts are shown as rich text whenever they
    // might be; a text made into markup with its own markup escaped is safe.
    for (const QString &text : {widget->toolTip(), widget->whatsThis()}) {
        const QString plain = QTextDocumentFragment::fromHtml(text).toPlainText();
        if (Qt::mightBeRichText(text) &&
            text != Qt::convertFromPlainText(plain, Qt::WhiteSpaceNormal))
            return QStringLiteral("tip: ") + text;
    }
    return {};
}

TEST_F(TableTest, MarkupFromTheHostIsShownAsItIsEverywhere)
{
    attachSideWindows(*table);
    const QByteArray evil = R"(<img src="missing.png"><b>Eve</b>)";
    login(3, evil);
    QByteArray bytes;
    for (const QByteArray &message :
         {wire::toClient::NewPlayerInfo{1, "<u>Ann</u>"}.encode(),
          wire::toClient::ExistingPlayers{6, "<i>Spy</i>"}.encode(),
          wire::toClient::HaveWrongVersion{"<h1>Old</h1>"}.encode(),
          wire::toClient::StartGame{"<s>Eve</s>", "<b>500</b>", "y", "y", "n"}.encode(),
          wire::toClient::StartRound{1, 1}.encode(), wire::toClient::GetBid{1, 0}.encode(),
          wire::toClient::Chat{1, R"(<u>Ann</u> chats: <a href="x">hi</a> <img src="y">|clBlack)"}
              .encode(),
          wire::toClient::HePlayed{1, 5, 12}.encode(), wire::toClient::HePlayed{2, 6, 12}.encode(),
          wire::toClient::HePlayed{3, 7, 12}.encode(), wire::toClient::HePlayed{4, 8, 12}.encode(),
          wire::toClient::TookTrick{1, 1}.encode()})
        bytes += message;
    table->sockRead(bytes);
    drain();
    QTest::mouseClick(control("button_last"), Qt::LeftButton);

    int withMarkup = 0;
    for (const QWidget *widget : QApplication::allWidgets()) {
        EXPECT_EQ(markupInterpreted(widget), QString())
            << widget->objectName().toStdString() << " in "
            << widget->window()->objectName().toStdString();
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            withMarkup += label->text().contains(QLatin1Char('<'));
    }
    // Seat names, status line, target score and the last trick's names.
    EXPECT_GE(withMarkup, 6);
    EXPECT_EQ(table->playernameLabel(3)->wholeText(), QString::fromLatin1(evil));
    EXPECT_EQ(text("label_playername1"), "<u>Ann</u>");
    EXPECT_EQ(table->status(), "<u>Ann</u> took the trick.");
    const QString chat = table->chatPanel()->mainchat()->plainText().simplified();
    EXPECT_TRUE(chat.contains(R"(<u>Ann</u> chats: <a href="x">hi</a> <img src="y">)"))
        << chat.toStdString();
    EXPECT_TRUE(chat.contains("<h1>Old</h1> has a different version")) << chat.toStdString();
}

TEST_F(TableTest, AFloodOfExtraCardsOpensOneBoxAndNoneInsideAnother)
{
    login(1);
    int depth = 0;
    int deepest = 0;
    requests.onBox = [&](const QString &text) {
        boxes << text;
        deepest = std::max(deepest, ++depth);
        // A modal box runs an event loop of its own, in which the table's timer ticks.
        QTest::qWait(20);
        --depth;
    };
    wire::toClient::MyCards hand{1, {}};
    wire::toClient::MyCards more{1, {}};
    for (int slot = 1; slot <= 13; ++slot) {
        hand.cards.append({slot, slot});
        more.cards.append({slot, 13 + slot});
    }
    QByteArray bytes = wire::toClient::StartGame{"Host", "500", "y", "n", "n"}.encode() +
                       wire::toClient::StartRound{1, 1}.encode() + hand.encode();
    for (int i = 0; i < 50; ++i)
        bytes += more.encode();
    bytes += wire::toClient::Chat{2, "Bob chats: after the cards|clBlack"}.encode();
    table->sockRead(bytes);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !table->timerRunning(); }));

    EXPECT_EQ(boxes, QStringList{"no no"});
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(table->queuedMessages(), 0);
    const std::array<int, 14> shown = table->handSlots();
    EXPECT_EQ(std::count(shown.begin() + 1, shown.end(), -1), 0) << "thirteen cards shown";
    EXPECT_TRUE(table->chatPanel()->mainchat()->plainText().simplified().endsWith(
        "Bob chats: after the cards"));
}

TEST(HostileHost, WhatATableHoldsIsBounded)
{
    struct Case
    {
        const char *what;
        QByteArray bytes;
        bool ends;
        int queued; // what is left to handle when it does not end
    };
    // The longest message a host that keeps to its own limits can relay.
    const QByteArray longest =
        wire::toClient::Chat{
            2, QByteArray(limits::kHostConnection.unfinishedBytes - 30, 'n') +
                   " chats: " + QByteArray(limits::kHostConnection.unfinishedBytes - 30, 't')}
            .encode();
    const Case cases[] = {
        {"bare terminators", QByteArray(1 << 20, wire::kTerminator), false, 0},
        {"messages without a command", QByteArray("x\xFF+y\xFF").repeated(100000), false, 0},
        {"the longest relayed chat line", longest, false, 1},
        {"more messages than a table reads", wire::toClient::HeBid{2, 3}.encode().repeated(10000),
         true, 0},
        {"a message that never ends", QByteArray(limits::kClient.unfinishedBytes + 1, 'x'), true,
         0},
    };
    for (const Case &c : cases) {
        TestRequests quiet;
        Tchat table;
        table.setRequests(&quiet);
        bool ended = false;
        QObject::connect(&table, &Tchat::programEnds, [&] { ended = true; });
        qsizetype mostHeld = 0;
        // As the socket delivers it: 32 KiB at a time, none handled in between.
        for (qsizetype at = 0; at < c.bytes.size() && !ended; at += 32768) {
            table.sockRead(c.bytes.mid(at, 32768));
            const ReceiveQueue &queue = table.receiveQueue();
            mostHeld = std::max(mostHeld, queue.queuedBytes() + queue.unfinishedBytes());
            EXPECT_LE(queue.size(), limits::kClient.queuedMessages) << c.what;
        }
        EXPECT_EQ(ended, c.ends) << c.what;
        EXPECT_LE(mostHeld, limits::kClient.queuedBytes + limits::kClient.unfinishedBytes)
            << c.what;
        if (!c.ends) {
            EXPECT_EQ(table.queuedMessages(), c.queued) << c.what;
        }
    }
}

} // namespace
