#include "client/arrowupdown.h"
#include "client/picturebutton.h"
#include "client/picturecheckbox.h"
#include "client/tgamestart.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct GameStartFixture : ::testing::Test
{
    Tgamestart dialog;
    QList<QByteArray> sent;

    GameStartFixture()
    {
        dialog.setSender([this](const QByteArray &m) { sent << m; });
        dialog.setPlayername("Ann");
    }
    PictureCheckBox *box(const char *name) { return dialog.findChild<PictureCheckBox *>(name); }
    QString scoreText() { return dialog.findChild<QLineEdit *>("edit_playtoscore")->text(); }
    void clickArrow(const char *name)
    {
        auto *updown = dialog.findChild<ArrowUpDown *>("UpDown1");
        QTest::mouseClick(updown->findChild<QToolButton *>(name), Qt::LeftButton);
    }
};

TEST_F(GameStartFixture, StartsWithDesignedOptionsAndCaption)
{
    EXPECT_EQ(dialog.windowTitle(), "Spades - Game Start");
    EXPECT_EQ(scoreText(), "500");
    EXPECT_TRUE(dialog.findChild<QLineEdit *>("edit_playtoscore")->isReadOnly());
    for (const char *name : {"image_sands", "image_blind", "image_club"}) {
        ASSERT_NE(box(name), nullptr) << name;
        EXPECT_EQ(box(name)->tag(), 1) << name;
    }
    EXPECT_NE(dialog.findChild<PictureButton *>("button_start"), nullptr);
}

TEST_F(GameStartFixture, ArrowsStepByQuarterThousandAndStopAtTheEnds)
{
    const char *up = "arrow_up";
    const char *down = "arrow_down";
    const struct
    {
        const char *arrow;
        QString expected;
    } steps[] = {{up, "750"},   {up, "1000"},  {up, "1000"},  {down, "750"},
                 {down, "500"}, {down, "250"}, {down, "250"}, {up, "500"}};
    for (const auto &step : steps) {
        clickArrow(step.arrow);
        EXPECT_EQ(scoreText(), step.expected);
        EXPECT_EQ(QString::number(dialog.playtoscore()), step.expected);
    }
}

TEST_F(GameStartFixture, ClickTogglesAndTurnsStrayTagsOff)
{
    PictureCheckBox *sands = box("image_sands");
    QTest::mouseClick(sands, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(sands->tag(), 0);
    QTest::mouseClick(sands, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(sands->tag(), 1);
    sands->setTag(7);
    EXPECT_FALSE(dialog.sandbag());
    QTest::mouseClick(sands, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(sands->tag(), 0);
}

TEST_F(GameStartFixture, CheckboxSetsOnOnlyForOne)
{
    const struct
    {
        const char *name;
        int value;
        int tag;
    } cases[] = {{"image_club", 0, 0},   {"image_club", 1, 1},  {"image_blind", 2, 0},
                 {"image_blind", -1, 0}, {"image_sands", 0, 0}, {"image_sands", 1, 1}};
    for (const auto &c : cases) {
        dialog.checkbox(c.name, c.value);
        EXPECT_EQ(box(c.name)->tag(), c.tag) << c.name << " " << c.value;
    }
    dialog.checkbox("image_nothing", 1);
    EXPECT_EQ(box("image_club")->tag(), 1);
}

TEST_F(GameStartFixture, StartSendsTheOptionsAndHides)
{
    dialog.show();
    dialog.checkbox("image_sands", 0);
    dialog.checkbox("image_blind", 1);
    dialog.checkbox("image_club", 0);
    int started = 0;
    QObject::connect(&dialog, &Tgamestart::gameStarted, [&] { ++started; });
    QTest::mouseClick(dialog.findChild<PictureButton *>("button_start"), Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0], QByteArray("CMD_startgame+Ann+500+n+y+n+\xff"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(started, 1);
}

TEST_F(GameStartFixture, ScoreFromSettingsIsKeptInRange)
{
    dialog.setPlaytoscore(750);
    EXPECT_EQ(scoreText(), "750");
    dialog.setPlaytoscore(5000);
    EXPECT_EQ(scoreText(), "1000");
    dialog.setPlaytoscore(-3);
    EXPECT_EQ(scoreText(), "250");
    dialog.setPlaytoscore(1000);
    dialog.checkbox("image_sands", 1);
    dialog.checkbox("image_blind", 0);
    dialog.checkbox("image_club", 1);
    EXPECT_EQ(dialog.startMessage(), QByteArray("CMD_startgame+Ann+1000+y+n+y+\xff"));
    // A name cannot shift the option fields.
    dialog.setPlayername("A+B\xff");
    EXPECT_EQ(dialog.startMessage(), QByteArray("CMD_startgame+A B +1000+y+n+y+\xff"));
}

} // namespace
