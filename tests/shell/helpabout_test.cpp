#include "shell/tabout.h"
#include "shell/thelp.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace {

TEST(Tabout, ShowsTheVersionPlayersCompareAndTheMaker)
{
    Tabout about;
    EXPECT_EQ(about.findChild<QLabel *>(QStringLiteral("label_version"))->text(),
              QStringLiteral("Version 1.0.6"));
    EXPECT_EQ(about.findChild<QLabel *>(QStringLiteral("label_maker"))->text(),
              QStringLiteral("Velnor Software"));
    about.show();
    about.findChild<QPushButton *>(QStringLiteral("button_ok"))->click();
    EXPECT_FALSE(about.isVisible());
}

TEST(Thelp, EveryTopicShowsItsOwnPage)
{
    Thelp help;
    auto *topics = help.findChild<QListWidget *>(QStringLiteral("list_topics"));
    auto *browser = help.findChild<QTextBrowser *>(QStringLiteral("browser_help"));
    ASSERT_EQ(topics->count(), 5);
    EXPECT_EQ(help.currentPage(), QStringLiteral("overview"));
    QStringList seen;
    for (int row = 0; row < topics->count(); ++row) {
        topics->setCurrentRow(row);
        EXPECT_EQ(help.currentPage(), Thelp::pageNames().at(row));
        const QString text = browser->toPlainText();
        EXPECT_GT(text.size(), 200) << row;
        EXPECT_FALSE(seen.contains(text)) << "page shown twice at row " << row;
        seen.append(text);
    }
}

TEST(Thelp, EscapeClosesTheWindow)
{
    Thelp help;
    help.show();
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(help.findChild<QListWidget *>(QStringLiteral("list_topics")), Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

TEST(Thelp, LinksBetweenPagesMoveTheTopic)
{
    Thelp help;
    auto *topics = help.findChild<QListWidget *>(QStringLiteral("list_topics"));
    auto *browser = help.findChild<QTextBrowser *>(QStringLiteral("browser_help"));
    browser->setSource(QUrl(QStringLiteral("scoring.html")));
    EXPECT_EQ(help.currentPage(), QStringLiteral("scoring"));
    EXPECT_EQ(topics->currentItem()->text(), QStringLiteral("Scoring"));
    help.showPage(QStringLiteral("history"));
    EXPECT_EQ(topics->currentItem()->text(), QStringLiteral("Version History"));
    help.showPage(QStringLiteral("nonsense"));
    EXPECT_EQ(help.currentPage(), QStringLiteral("history"));
}

} // namespace
