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
