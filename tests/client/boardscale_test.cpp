#include "tablefixture.h"

#include "client/boardscaler.h"
#include "client/scorepanel.h"
#include "resources/pictures.h"

#include <QFontMetrics>
#include <QMap>
#include <QTest>

namespace {

TEST(BoardScaler, ScaleFitsTheRoomKeepsProportionsAndNeverShrinks)
{
    const QSize base(768, 483);
    const std::pair<QSize, qreal> cases[] = {
        {{768, 483}, 1.0},          {{700, 400}, 1.0},   {{1536, 966}, 2.0},
        {{1536, 600}, 600.0 / 483}, {{1152, 2000}, 1.5}, {{0, 0}, 1.0},
    };
    for (const auto &[room, scale] : cases)
        EXPECT_DOUBLE_EQ(BoardScaler::scaleFor(room, base), scale) << room.width();
}

TEST(BoardScaler, RoundingKeepsTouchingControlsTouchingAndApartOnesApart)
{
    const QRect left(170, 333, 71, 96), next(188, 333, 71, 96), apart(97, 334, 42, 16),
        beside(139, 334, 26, 16);
    for (const qreal scale : {1.0, 1.25, 1.5, 1.37, 2.0, 2.71}) {
        SCOPED_TRACE(scale);
        EXPECT_EQ(BoardScaler::scaled(left, 1.0), left);
        EXPECT_EQ(BoardScaler::scaled(left, scale).intersects(BoardScaler::scaled(next, scale)),
                  true);
        EXPECT_EQ(BoardScaler::scaled(apart, scale).right() + 1,
                  BoardScaler::scaled(beside, scale).left());
    }
}

// Every control shown on the board, as it stands relative to the board.
QMap<QWidget *, QRect> boardControls(const Tchat &table)
{
    QWidget *board = table.boardPanel();
    QMap<QWidget *, QRect> found;
    for (QWidget *w : board->findChildren<QWidget *>())
        if (table.boardScaler().knows(w) && w->isVisibleTo(board))
            found.insert(w, QRect(w->mapTo(board, QPoint(0, 0)), w->size()));
    return found;
}

std::string nameOf(const QWidget *w)
{
    return (w->parentWidget()->objectName() + '/' + w->objectName() + '/' +
            w->metaObject()->className())
        .toStdString();
}

class BoardScaleTest : public TableTest
{
protected:
    void SetUp() override
    {
        TableTest::SetUp();
        // A hand dealt, a card on the table, the own bid awaited, a score shown.
        login(2);
        feed({"CMD_startgame+Host+500+y+n+n+", "CMD_startround+1+1+",
              "CMD_mycards+2+1+45+2+3+3+30+4+14+5+52+6+1+7+27+8+26+9+40+10+13+11+39+12+20+13+7",
              "CMD_heplayed+3+5+1+", "CMD_getbid+2+0+",
              "CMD_postscores+2+3+4+5+60+-40+2+1+0+0+0+0+60+-40+0+0+"});
        table->show();
        QVERIFY(QTest::qWaitForWindowExposed(table.get()));
        room = table->boardPanel()->size();
    }

    // Grows the window so that the board has this room.
    void giveRoom(QSize wanted)
    {
        table->resize(table->size() + (wanted - table->boardPanel()->size()));
        QCoreApplication::processEvents();
        ASSERT_EQ(table->boardPanel()->size(), wanted);
    }

    QSize room;
};

TEST_F(BoardScaleTest, AtOneAndAHalfEveryControlKeepsItsPlaceAndNothingNewOverlaps)
{
    ASSERT_EQ(room, QSize(768, 483));
    const auto atOne = boardControls(*table);
    ASSERT_GT(atOne.size(), 80);

    giveRoom({1164, 761});
    EXPECT_DOUBLE_EQ(table->boardScaler().scale(), 1.5);
    const auto atOneAndAHalf = boardControls(*table);
    EXPECT_EQ(atOneAndAHalf.keys(), atOne.keys());
    // The chat takes the room beyond the board (its own test below).
    const QStringList chat{"panel_chat", "mainchat", "mychat", "button_smilies"};
    for (auto it = atOne.cbegin(); it != atOne.cend(); ++it) {
        if (chat.contains(it.key()->objectName()))
            continue;
        // Within a pixel of the place times the scale (panels round inside too).
        const QRect expected = BoardScaler::scaled(*it, 1.5);
        const QRect now = atOneAndAHalf.value(it.key());
        EXPECT_LE((now.topLeft() - expected.topLeft()).manhattanLength(), 2) << nameOf(it.key());
        EXPECT_LE((QPoint(now.width(), now.height()) - QPoint(expected.width(), expected.height()))
                      .manhattanLength(),
                  2)
            << nameOf(it.key());
    }
    for (auto a = atOne.cbegin(); a != atOne.cend(); ++a)
        for (auto b = std::next(a); b != atOne.cend(); ++b) {
            if (a.key()->parentWidget() != b.key()->parentWidget() || a->intersects(*b))
                continue;
            EXPECT_FALSE(atOneAndAHalf.value(a.key()).intersects(atOneAndAHalf.value(b.key())))
                << nameOf(a.key()) << " / " << nameOf(b.key());
        }

    // Texts grow with their boxes: what fitted still fits.
    for (auto it = atOne.cbegin(); it != atOne.cend(); ++it) {
        auto *label = qobject_cast<QLabel *>(it.key());
        if (!label || label->text().isEmpty())
            continue;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width() + 2)
            << nameOf(label) << ' ' << label->text().toStdString();
    }

    // And back: every control where it stood.
    giveRoom(room);
    EXPECT_EQ(table->boardScaler().scale(), 1.0);
    EXPECT_EQ(boardControls(*table), atOne);

    // The window's first size, frameless, leaves a little more room: the
    // board keeps its first layout there.
    giveRoom({776, 507});
    EXPECT_EQ(table->boardScaler().scale(), 1.0);
    for (const char *name : {"label_status", "button_bid", "image_played3", "panel_scores"}) {
        QWidget *w = control(name);
        EXPECT_EQ(w->geometry(), atOne.value(w)) << name;
    }
}

TEST_F(BoardScaleTest, CardsAreDrawnAtTheSizeShownNotStretched)
{
    giveRoom({1552, 1014});
    CardPicture *card = table->cardAt(table->handSlots()[6]);
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->size(), QSize(142, 192));
    const QImage shown =
        card->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage drawn = pictures::card(card->card(), 2.0)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(drawn.size(), QSize(142, 192));
    // Opaque middle of the card: the very pixels of the picture drawn at twice the size.
    EXPECT_EQ(shown.copy(10, 10, 120, 170), drawn.copy(10, 10, 120, 170));
}

TEST_F(BoardScaleTest, TheChatTakesTheRoomTheBoardLeaves)
{
    QWidget *chat = control("panel_chat");
    QWidget *entry = control("mychat");
    const QFont entryFont = entry->font();
    const auto at = [](int v, qreal scale) { return int(std::lround(v * scale)); };
    const auto rightOf = [](QWidget *w) { return w->x() + w->width(); };
    const auto bottomOf = [](QWidget *w) { return w->y() + w->height(); };

    // Wider than the board's proportions: the board is as tall as the room;
    // the chat keeps its left edge and its margin on the right.
    giveRoom({1400, 600});
    qreal scale = 600.0 / 507;
    EXPECT_DOUBLE_EQ(table->boardScaler().scale(), scale);
    EXPECT_EQ(chat->x(), at(478, scale));
    EXPECT_EQ(1400 - rightOf(chat), at(768, scale) - at(743, scale));
    EXPECT_EQ(1400 - rightOf(entry), at(768, scale) - at(713, scale));
    EXPECT_EQ(entry->font(), entryFont);

    // Taller: the chat reaches down, its entry line along the bottom.
    giveRoom({900, 900});
    scale = 900.0 / 776;
    EXPECT_EQ(900 - bottomOf(entry), at(483, scale) - at(459, scale));
    EXPECT_EQ(900 - bottomOf(chat), at(483, scale) - at(436, scale));
    EXPECT_EQ(chat->y(), at(168, scale));
}

} // namespace
