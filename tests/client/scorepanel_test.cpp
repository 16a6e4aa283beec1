#include "client/scorepanel.h"
#include "protocol/clientmessages.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct ScorePanelFixture : ::testing::Test
{
    QWidget board;
    ScorePanel *panel = new ScorePanel(&board);

    ScorePanelFixture()
    {
        board.resize(768, 483);
        board.show();
    }
    QLabel *label(const QString &name) { return panel->findChild<QLabel *>(name); }
    QString text(const QString &name) { return label(name)->text(); }
    bool shown(const QString &name) { return label(name)->isVisibleTo(panel); }
    // A posted score as it arrives: what does not decode never reaches the panel.
    bool post(QByteArrayView payload)
    {
        const auto message = wire::toClient::PostScores::decode(payload);
        if (message)
            panel->postscores(*message);
        return message.has_value();
    }
};

TEST_F(ScorePanelFixture, SitsOnTheBoardHiddenWithEveryControl)
{
    EXPECT_EQ(panel->objectName(), "panel_scores");
    EXPECT_EQ(panel->geometry(), QRect(140, 111, 216, 227));
    EXPECT_FALSE(panel->isVisible());
    for (const char *family :
         {"label_teambids", "label_teamtrickscore", "label_teamtricks", "label_teamsands",
          "label_minus", "image_teambagged", "label_teamtotal", "image_teamset", "image_nilgood",
          "image_nilbad", "label_nilscore", "label_teamscore"}) {
        for (int team = 1; team <= 2; ++team)
            EXPECT_NE(label(family + QString::number(team)), nullptr) << family << team;
    }
    EXPECT_EQ(panel->findChild<QPushButton *>("button_close")->text(), "X");
}

TEST_F(ScorePanelFixture, PostsBothTeamsWithSignedContractTexts)
{
    // tricks, contract, team bags, bagged, penalty, hand total, score, nil.
    ASSERT_TRUE(post("4+9+-40+0+3+10+0+3+0+-100+-40+-100+210+360+0+0+"));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(text("label_teamtricks1"), "4");
    EXPECT_EQ(text("label_teamtricks2"), "9");
    EXPECT_EQ(text("label_teamtrickscore1"), "=-40");
    EXPECT_EQ(text("label_teamtrickscore2"), "=+0");
    EXPECT_EQ(text("label_teamsands1"), "0");
    EXPECT_EQ(text("label_teamsands2"), "3");
    EXPECT_EQ(text("label_minus1"), "");
    EXPECT_FALSE(shown("image_teambagged1"));
    EXPECT_EQ(text("label_minus2"), "-100");
    EXPECT_TRUE(shown("image_teambagged2"));
    EXPECT_EQ(text("label_teamtotal1"), "-40");
    EXPECT_EQ(text("label_teamtotal2"), "-100");
    EXPECT_TRUE(shown("image_teamset1"));
    EXPECT_TRUE(shown("image_teamset2"));
    EXPECT_EQ(text("label_teamscore1"), "Total Score: 210");
    EXPECT_EQ(text("label_teamscore2"), "Total Score: 360");
}

TEST_F(ScorePanelFixture, NilResultsPickTheirPicture)
{
    const struct
    {
        const char *nils;
        bool good1, bad1, good2, bad2;
        const char *score1, *score2;
    } cases[] = {{"100+-200+", true, false, false, true, "100", "-200"},
                 {"0+0+", false, false, false, false, "", ""},
                 {"-100+200+", false, true, true, false, "-100", "200"}};
    for (const auto &c : cases) {
        ASSERT_TRUE(post(QByteArray("3+10+30+100+0+0+0+0+0+0+130+300+130+300+") + c.nils));
        EXPECT_EQ(shown("image_nilgood1"), c.good1) << c.nils;
        EXPECT_EQ(shown("image_nilbad1"), c.bad1) << c.nils;
        EXPECT_EQ(shown("image_nilgood2"), c.good2) << c.nils;
        EXPECT_EQ(shown("image_nilbad2"), c.bad2) << c.nils;
        EXPECT_EQ(text("label_nilscore1"), c.score1);
        EXPECT_EQ(text("label_nilscore2"), c.score2);
        EXPECT_FALSE(shown("image_teamset1"));
        EXPECT_FALSE(shown("image_teambagged1"));
    }
}

TEST_F(ScorePanelFixture, BrokenMessageChangesNothing)
{
    ASSERT_TRUE(post("1+2+3+4+5+6+7+8+0+0+11+12+13+14+0+0+"));
    panel->hide();
    for (const QByteArray &bad : {QByteArray("1+2+3+4+5+6+7+8+0+0+11+12+13+14+0+0"),
                                  QByteArray("1+2+x+4+5+6+7+8+0+0+11+12+13+14+0+0+"),
                                  QByteArray(""), QByteArray("99999999999+2+")}) {
        EXPECT_FALSE(post(bad)) << bad.constData();
        EXPECT_FALSE(panel->isVisible());
        EXPECT_EQ(text("label_teamtricks1"), "1");
        EXPECT_EQ(text("label_teamtrickscore1"), "=+3");
    }
}

TEST_F(ScorePanelFixture, ResetBlanksTheHandButKeepsContractText)
{
    panel->setTeamBids(1, "7");
    panel->setTeamBids(3, "9"); // no such team: ignored
    EXPECT_EQ(text("label_teambids1"), "7");
    ASSERT_TRUE(post("4+9+-40+90+3+10+0+3+0+-100+-40+-110+210+360+100+-100+"));
    panel->reset();
    for (const char *zero : {"label_teamtricks", "label_teamsands", "label_teamtotal",
                             "label_teambids", "label_teamscore"}) {
        EXPECT_EQ(text(zero + QStringLiteral("1")), "0") << zero;
        EXPECT_EQ(text(zero + QStringLiteral("2")), "0") << zero;
    }
    for (const char *mark :
         {"image_teamset", "image_teambagged", "image_nilgood", "image_nilbad"}) {
        EXPECT_FALSE(shown(mark + QStringLiteral("1"))) << mark;
        EXPECT_FALSE(shown(mark + QStringLiteral("2"))) << mark;
    }
    EXPECT_EQ(text("label_minus2"), "");
    EXPECT_EQ(text("label_nilscore1"), "");
    EXPECT_EQ(text("label_teamtrickscore1"), "=-40");
}

} // namespace
