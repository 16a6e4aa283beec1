#include "chat/chatview.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ChatViewTest : public ::testing::Test
{
protected:
    ChatViewTest()
    {
        view.resize(261, 264);
        view.show();
    }

    void line(const QStringList &words, int style = 6)
    {
        bool first = true;
        for (const QString &w : words) {
            view.addText(w, style, first);
            first = false;
        }
        view.format();
    }

    ChatView view;
};

} // namespace

TEST_F(ChatViewTest, CopiesTheSelectionAsPlainTextWithBothKeys)
{
    line({"first ", "line "});
    view.addPicture(3);
    view.format();
    line({"second ", "line "}, 4);
    view.selectAll();
    EXPECT_EQ(view.selectedText(), "first line \nsecond line ");
    for (auto key : {Qt::Key_C, Qt::Key_Insert}) {
        QApplication::clipboard()->clear();
        QTest::keyClick(&view, key, Qt::ControlModifier);
        EXPECT_EQ(QApplication::clipboard()->text(), "first line \nsecond line ");
    }
}

TEST_F(ChatViewTest, DraggingSelectsAndDoubleClickTakesAWord)
{
    line({"alpha,beta ", "gamma "});
    line({"delta "});
    const QRect start = view.linkRect(-1); // no link: empty
    EXPECT_TRUE(start.isEmpty());

    QWidget *vp = view.viewport();
    QTest::mousePress(vp, Qt::LeftButton, {}, QPoint(1, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(250, 40), vp->mapToGlobal(QPointF(250, 40)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, QPoint(250, 40));
    EXPECT_EQ(view.selectedText(), "alpha,beta gamma \ndelta ");

    // A word ends at the comma.
    QTest::mouseDClick(vp, Qt::LeftButton, {}, QPoint(5 + 3, 5));
    EXPECT_EQ(view.selectedText(), "alpha");
}

TEST_F(ChatViewTest, LinksAreNumberedInOrderAndReportedOnClick)
{
    line({"a "});
    view.addText("www.one.com ", ChatView::kLinkStyle, false);
    view.addText("www.two.com ", ChatView::kLinkStyle, false);
    view.format();
    view.addText("www.three.com ", ChatView::kLinkStyle, true);
    view.format();
    EXPECT_EQ(view.linkCount(), 3);
    QSignalSpy jumps(&view, &ChatView::jump);
    for (int n : {2, 0}) {
        const QRect r = view.linkRect(n);
        ASSERT_FALSE(r.isEmpty()) << n;
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, r.center());
    }
    ASSERT_EQ(jumps.size(), 2);
    EXPECT_EQ(jumps[0][0].toInt(), 2);
    EXPECT_EQ(jumps[1][0].toInt(), 0);
}

TEST_F(ChatViewTest, LongWordsWrapInsideTheView)
{
    const QString longWord(400, QLatin1Char('w'));
    line({"short "});
    view.addText(longWord + " ", ChatView::kLinkStyle, false);
    view.addText("tail ", 6, false);
    view.format();
    view.selectAll();
    EXPECT_EQ(view.selectedText(), "short " + longWord + " tail ");
    // The word starts on a line of its own and is broken at the right edge.
    const QRect first = view.linkRect(0);
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(first.left(), 5);
    EXPECT_GT(first.top(), 0);
    EXPECT_LE(first.right(), view.viewport()->width() - 5);
    const int content = view.verticalScrollBar()->maximum() + view.viewport()->height();
    EXPECT_GT(content, 5 * first.height());
}

TEST_F(ChatViewTest, ScrollPositionBeyondTheEndShowsTheLastLine)
{
    for (int i = 0; i < 100; ++i)
        line({QStringLiteral("line %1 ").arg(i)});
    QScrollBar *bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    view.setVerticalScrollPosition(1 << 30);
    EXPECT_EQ(bar->value(), bar->maximum());
    view.setVerticalScrollPosition(0);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->isVisible(), true);
}

TEST_F(ChatViewTest, AFontChangeShowsFromTheNextLayout)
{
    for (int i = 0; i < 100; ++i)
        line({QStringLiteral("line %1 ").arg(i)});
    const int small = view.verticalScrollBar()->maximum();
    view.setStylePointSize(6, 20);
    EXPECT_EQ(view.verticalScrollBar()->maximum(), small); // not yet laid out
    view.format();
    EXPECT_GT(view.verticalScrollBar()->maximum(), small);
}

// A peer relaying lines as fast as it may: the view keeps the newest lines
// within its bounds, by items or by characters, and what was in view or
// selected stays so, with its author.
TEST_F(ChatViewTest, OldLinesGoWhenTheHistoryOutgrowsItsBounds)
{
    const struct
    {
        const char *what;
        int wordsPerLine;
        int padding; // letters after the line number in each word
    } cases[] = {
        {"many short words", 400, 0},
        {"long words", 2, 6000},
    };
    const auto wordInView = [&] {
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.viewport()->rect().center());
        return view.selectedText();
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        view.clear();
        view.addText("www.first.com ", ChatView::kLinkStyle, true);
        qsizetype characters = 0;
        int shown = 0;
        QString shownWord;
        for (int k = 1; view.item(0).link == 0; ++k) {
            ASSERT_LT(k, 5000) << "nothing was dropped";
            const QString word = QString::number(k) + QString(c.padding, 'x');
            line(QStringList(c.wordsPerLine, word + ' '));
            view.setLastAuthor(QString::number(k));
            characters += c.wordsPerLine * (word.size() + 1);
            if (shown == 0 && (view.itemCount() > ChatView::kKeptItems * 9 / 10 ||
                               characters > ChatView::kKeptCharacters * 9 / 10)) {
                // Scrolled back to this line, with everything selected.
                view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
                shown = k;
                shownWord = wordInView();
                ASSERT_EQ(shownWord, word);
                view.selectAll();
            }
        }
        ASSERT_GT(shown, 0);
        EXPECT_TRUE(view.linkText(0).isEmpty()) << "the first link went with its line";
        EXPECT_EQ(view.linkCount(), 1);
        characters = 0;
        for (int i = 0; i < view.itemCount(); ++i)
            characters += view.item(i).text.size();
        EXPECT_LE(view.itemCount(), ChatView::kKeptItems);
        EXPECT_LE(characters, ChatView::kKeptCharacters);
        EXPECT_TRUE(view.item(0).startsParagraph);
        EXPECT_TRUE(view.selectedText().startsWith(view.item(0).text));
        EXPECT_TRUE(view.selectedText().endsWith(shownWord + ' '));
        EXPECT_EQ(wordInView(), shownWord);
        EXPECT_EQ(view.authorAt(view.viewport()->rect().center()), QString::number(shown));
    }
}
