#include "resources/pictures.h"

#include <QImage>
#include <QSet>
#include <QTransform>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>

namespace {

QImage imageOf(const QPixmap &pm)
{
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

QByteArray bytesOf(const QImage &img)
{
    return QByteArray(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes());
}

struct InkCount
{
    int red = 0;
    int dark = 0;
};

InkCount countInk(const QImage &img)
{
    InkCount c;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) < 200)
                continue;
            if (qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 100)
                ++c.red;
            if (qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70)
                ++c.dark;
        }
    }
    return c;
}

double meanLuminance(const QImage &img)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            if (qAlpha(p) < 255)
                continue;
            sum += qGray(p);
            ++n;
        }
    }
    return n ? sum / n : 0;
}

bool hasVisiblePixels(const QImage &img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0)
                return true;
    return false;
}

void expectSizeAndRatio(const QPixmap &pm, QSize logical, qreal dpr)
{
    EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), dpr);
    EXPECT_EQ(pm.width(), qRound(logical.width() * dpr));
    EXPECT_EQ(pm.height(), qRound(logical.height() * dpr));
    EXPECT_EQ(pm.deviceIndependentSize().toSize(), logical);
}

// Counts the separate patches of suit ink inside `area`, joining pixels that touch.
int inkPatches(const QImage &img, const QRect &area)
{
    auto isInk = [&](int x, int y) {
        const QRgb p = img.pixel(x, y);
        const bool red = qRed(p) > 150 && qGreen(p) < 110 && qBlue(p) < 120;
        const bool dark = qGray(p) < 110;
        return qAlpha(p) == 255 && (red || dark);
    };
    QVector<bool> seen(area.width() * area.height(), false);
    int patches = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const int at = (y - area.top()) * area.width() + (x - area.left());
            if (seen[at] || !isInk(x, y))
                continue;
            ++patches;
            QVector<QPoint> todo{QPoint(x, y)};
            seen[at] = true;
            while (!todo.isEmpty()) {
                const QPoint q = todo.takeLast();
                for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint n = q + d;
                    if (!area.contains(n))
                        continue;
                    const int i = (n.y() - area.top()) * area.width() + (n.x() - area.left());
                    if (!seen[i] && isInk(n.x(), n.y())) {
                        seen[i] = true;
                        todo.append(n);
                    }
                }
            }
        }
    }
    return patches;
}

} // namespace

TEST(CardPictures, EveryImageIsACardSizedPictureAtTheRatioAskedFor)
{
    for (const qreal dpr : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        for (int i = 0; i <= 53; ++i) {
            SCOPED_TRACE(testing::Message() << "card " << i << " at " << dpr);
            expectSizeAndRatio(pictures::card(i, dpr), pictures::kCardSize, dpr);
        }
    }
}

TEST(CardPictures, AllFiftyFourImagesAreDifferent)
{
    QSet<QByteArray> seen;
    for (int i = 0; i <= 53; ++i)
        seen.insert(bytesOf(imageOf(pictures::card(i))));
    EXPECT_EQ(seen.size(), 54);
}

TEST(CardPictures, HeartsAndDiamondsAreRedClubsAndSpadesBlack)
{
    for (int card = 1; card <= 52; ++card) {
        SCOPED_TRACE(testing::Message() << "card " << card);
        const int suit = (card - 1) / 13; // clubs, diamonds, spades, hearts
        const InkCount ink = countInk(imageOf(pictures::card(card)));
        if (suit == 1 || suit == 3) {
            EXPECT_GT(ink.red, 60);
            EXPECT_EQ(ink.dark, 0);
        } else {
            EXPECT_GT(ink.dark, 60);
            EXPECT_GT(ink.dark, 8 * ink.red);
        }
    }
}

TEST(CardPictures, FacesAreLightTheBlankIsDarkTheBackIsNeither)
{
    for (int card = 1; card <= 52; ++card)
        EXPECT_GT(meanLuminance(imageOf(pictures::card(card))), 170) << "card " << card;
    EXPECT_LT(meanLuminance(imageOf(pictures::card(53))), 60);
    const double back = meanLuminance(imageOf(pictures::card(0)));
    EXPECT_GT(back, 40);
    EXPECT_LT(back, 140);
}

TEST(CardPictures, IndicesOutsideTheListGiveTheBlank)
{
    const QByteArray blank = bytesOf(imageOf(pictures::card(53)));
    for (const int i : {-1, 54, 100, INT_MIN, INT_MAX})
        EXPECT_EQ(bytesOf(imageOf(pictures::card(i))), blank) << "index " << i;
}

TEST(CardPictures, UnusableRatiosFallBackToOne)
{
    for (const qreal dpr : {0.0, -2.0, 0.5, std::numeric_limits<qreal>::quiet_NaN(),
                            std::numeric_limits<qreal>::infinity()})
        expectSizeAndRatio(pictures::card(7, dpr), pictures::kCardSize, 1.0);
}

TEST(CardPictures, CornersAreRoundedAndTheBodyOpaque)
{
    for (const int i : {0, 1, 26, 39, 52, 53}) {
        const QImage img = imageOf(pictures::card(i));
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(70, 95)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(35, 48)), 255) << i;
        EXPECT_EQ(qAlpha(img.pixel(35, 1)), 255) << i;
    }
}

TEST(CardPictures, BothCornersCarryTheSameIndexAndRanksDifferWithinASuit)
{
    const QRect corner(1, 2, 15, 26);
    for (int suit = 0; suit < 4; ++suit) {
        QSet<QByteArray> ranks;
        for (int rank = 0; rank < 13; ++rank) {
            const int card = suit * 13 + rank + 1;
            const QImage img = imageOf(pictures::card(card));
            const QImage top = img.copy(corner);
            const QImage bottom = img.copy(QRect(71 - corner.right() - 1, 96 - corner.bottom() - 1,
                                                 corner.width(), corner.height()))
                                      .transformed(QTransform().rotate(180));
            // Anti-aliasing may differ by a shade; the shapes must match.
            int differing = 0;
            for (int y = 0; y < top.height(); ++y)
                for (int x = 0; x < top.width(); ++x)
                    if (std::abs(qGray(top.pixel(x, y)) - qGray(bottom.pixel(x, y))) > 60)
                        ++differing;
            EXPECT_LT(differing, 6) << "card " << card;
            ranks.insert(bytesOf(img.copy(QRect(1, 2, 15, 14))));
        }
        EXPECT_EQ(ranks.size(), 13) << "suit " << suit;
    }
}

TEST(CardPictures, RepeatedRequestsReuseTheDrawnPicture)
{
    EXPECT_EQ(pictures::card(12, 2.0).cacheKey(), pictures::card(12, 2.0).cacheKey());
    EXPECT_NE(pictures::card(12, 2.0).cacheKey(), pictures::card(12, 1.0).cacheKey());
}

TEST(TablePictures, FixedSizePicturesHaveTheirSizesAndAreDrawn)
{
    struct Case
    {
        const char *name;
        std::function<QPixmap(qreal)> make;
        QSize size;
    };
    const Case cases[] = {
        {"turn arrow", pictures::turnArrow, {26, 34}},
        {"watching eyes", pictures::watchingEyes, {17, 12}},
        {"nil", pictures::nilMark, {25, 57}},
        {"blind nil", pictures::blindNilMark, {16, 57}},
        {"trophy", pictures::trophy, {92, 90}},
        {"trick winner", pictures::trickWinner, {32, 41}},
        {"face-down hand", pictures::flippedHand, {155, 96}},
        {"logo", pictures::boardLogo, pictures::kBoardLogoSize},
        {"last winner", pictures::lastWinnerMark, pictures::kLastWinnerMarkSize},
        {"last lead", pictures::lastLeadMark, pictures::kLastLeadMarkSize},
        {"set", pictures::teamSet, pictures::kTeamSetSize},
        {"bagged", pictures::teamBagged, pictures::kTeamBaggedSize},
        {"nil good", pictures::nilGood, pictures::kNilResultSize},
        {"nil bad", pictures::nilBad, pictures::kNilResultSize},
    };
    QSet<QByteArray> seen;
    for (const Case &c : cases) {
        for (const qreal dpr : {1.0, 2.0}) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << dpr);
            const QPixmap pm = c.make(dpr);
            expectSizeAndRatio(pm, c.size, dpr);
            EXPECT_TRUE(hasVisiblePixels(imageOf(pm)));
        }
        seen.insert(bytesOf(imageOf(c.make(1.0))));
    }
    EXPECT_EQ(seen.size(), static_cast<qsizetype>(std::size(cases)));
}

TEST(TablePictures, NilResultsAreGreenWhenGoodAndRedWhenBad)
{
    const QImage good = imageOf(pictures::nilGood());
    const QImage bad = imageOf(pictures::nilBad());
    const QRgb g = good.pixel(4, 12);
    const QRgb b = bad.pixel(4, 12);
    EXPECT_GT(qGreen(g), qRed(g));
    EXPECT_GT(qRed(b), qGreen(b));
}

TEST(TablePictures, BoardIsOpaqueGreenFeltOfTheAskedSize)
{
    const QPixmap pm = pictures::boardBackground(QSize(768, 483), 1.5);
    expectSizeAndRatio(pm, QSize(768, 483), 1.5);
    const QImage img = imageOf(pm);
    for (const QPoint at : {QPoint(0, 0), QPoint(100, 300), QPoint(360, 220), QPoint(1151, 723)}) {
        const QRgb p = img.pixel(at);
        EXPECT_EQ(qAlpha(p), 255);
        EXPECT_GT(qGreen(p), qRed(p) + 15);
        EXPECT_GT(qGreen(p), qBlue(p) + 10);
    }
}

TEST(TablePictures, SizesThatCannotBeDrawnAreClampedNotCrashed)
{
    EXPECT_EQ(pictures::boardBackground(QSize(0, -5)).size(), QSize(1, 1));
    EXPECT_EQ(pictures::checkBoxFace(true, QSize(-1, 0)).size(), QSize(1, 1));
    EXPECT_EQ(pictures::pictureButton("Bid", QSize(0, 0), false).size(), QSize(1, 1));
    EXPECT_EQ(pictures::spadeIcon(0).size(), QSize(1, 1));
    EXPECT_EQ(pictures::spadeIcon(100000).size(), QSize(1024, 1024));
}

TEST(ControlPictures, CheckBoxFacesDifferOnAndOffAtTheirSize)
{
    const QSize box(44, 28);
    for (const qreal dpr : {1.0, 2.0}) {
        const QPixmap off = pictures::checkBoxFace(false, box, dpr);
        const QPixmap on = pictures::checkBoxFace(true, box, dpr);
        expectSizeAndRatio(off, box, dpr);
        expectSizeAndRatio(on, box, dpr);
        EXPECT_NE(bytesOf(imageOf(off)), bytesOf(imageOf(on)));
    }
}

TEST(ControlPictures, ButtonsShowTheirCaptionAndAPressedState)
{
    const QSize size(90, 24);
    const QImage normal = imageOf(pictures::pictureButton("Start Game", size, false, 2.0));
    const QImage pressed = imageOf(pictures::pictureButton("Start Game", size, true, 2.0));
    const QImage other = imageOf(pictures::pictureButton("Bid", size, false, 2.0));
    const QImage empty = imageOf(pictures::pictureButton(QString(), size, false, 2.0));
    EXPECT_EQ(normal.size(), QSize(180, 48));
    EXPECT_NE(bytesOf(normal), bytesOf(pressed));
    EXPECT_NE(bytesOf(normal), bytesOf(other));
    EXPECT_NE(bytesOf(normal), bytesOf(empty));
    // A long caption is shrunk to fit rather than cut: the edges stay free of text.
    const QImage crowded =
        imageOf(pictures::pictureButton("A rather long caption for a button", size, false));
    const QImage plain = imageOf(pictures::pictureButton(QString(), size, false));
    EXPECT_EQ(bytesOf(crowded.copy(0, 0, 3, 24)), bytesOf(plain.copy(0, 0, 3, 24)));
    EXPECT_EQ(bytesOf(crowded.copy(87, 0, 3, 24)), bytesOf(plain.copy(87, 0, 3, 24)));
}

// Eighteen different round faces with clear corners; out of range gives the first.
TEST(ChatPictures, EighteenDistinctSmiliesOutOfRangeGivesTheFirst)
{
    QSet<QByteArray> seen;
    for (int i = 0; i < pictures::kSmileyCount; ++i) {
        const QPixmap pm = pictures::smiley(i, 2.0);
        expectSizeAndRatio(pm, QSize(17, 16), 2.0);
        seen.insert(bytesOf(imageOf(pm)));
        const QImage img = imageOf(pictures::smiley(i));
        EXPECT_EQ(qAlpha(img.pixel(0, 15)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(16, 15)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(8, 12)), 255) << i;
    }
    EXPECT_EQ(seen.size(), pictures::kSmileyCount);
    const QByteArray first = bytesOf(imageOf(pictures::smiley(0)));
    for (const int i : {-1, 18, 99})
        EXPECT_EQ(bytesOf(imageOf(pictures::smiley(i))), first) << i;
}

TEST(IconPictures, SpadeIconIsSquareWithADarkSpadeInTheMiddle)
{
    for (const int size : {16, 48, 256}) {
        const QImage img = imageOf(pictures::spadeIcon(size));
        ASSERT_EQ(img.size(), QSize(size, size));
        const QRgb middle = img.pixel(size / 2, size * 2 / 5);
        EXPECT_LT(qGray(middle), 80) << size;
        EXPECT_EQ(qAlpha(middle), 255) << size;
    }
}

TEST(EmbeddedPictures, LobbyPictureIsEmbeddedAtItsWindowSize)
{
    const QImage lobby(QStringLiteral(":/images/lobby.jpg"));
    ASSERT_FALSE(lobby.isNull());
    EXPECT_EQ(lobby.size(), QSize(436, 360));
}

TEST(CardPictures, NumberCardsShowAsManyPipsAsTheirRankAndAcesOne)
{
    // The middle of the card, clear of the corner indices.
    const QRect middle(16, 9, 40, 78);
    for (const qreal dpr : {1.0, 2.0}) {
        for (int suit = 0; suit < 4; ++suit) {
            for (int rank = 0; rank <= 8; ++rank) {
                const int card = suit * 13 + rank + 1;
                const QImage img = imageOf(pictures::card(card, dpr));
                const QRect area(middle.topLeft() * dpr, middle.size() * dpr);
                EXPECT_EQ(inkPatches(img, area), rank + 2) << "card " << card << " at " << dpr;
            }
            const QImage ace = imageOf(pictures::card(suit * 13 + 13, dpr));
            const QRect centre(QPoint(22, 28) * dpr, QSize(27, 40) * dpr);
            EXPECT_EQ(inkPatches(ace, centre), 1) << "ace of suit " << suit;
        }
    }
}

TEST(CardPictures, AHighRatioDrawsTheSameCardWithMorePixels)
{
    // Scaled back down, a card drawn at twice the ratio must match the plain one closely:
    // the layout is in logical pixels whatever the screen.
    for (const int card : {0, 5, 23, 36, 50, 53}) {
        const QImage plain = imageOf(pictures::card(card, 1.0));
        const QImage fine =
            imageOf(pictures::card(card, 2.0))
                .scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long long difference = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                difference += std::abs(qGray(plain.pixel(x, y)) - qGray(fine.pixel(x, y)));
        EXPECT_LT(difference / (plain.width() * plain.height()), 12) << "card " << card;
    }
}

TEST(TablePictures, FaceDownHandIsAFanOfCardBacks)
{
    const QImage hand = imageOf(pictures::flippedHand());
    const QImage back = imageOf(pictures::card(0));
    // The top card lies at the right edge; only its rounded corners let the others show.
    EXPECT_EQ(bytesOf(hand.copy(84 + 6, 6, 59, 84)), bytesOf(back.copy(6, 6, 59, 84)));
    // Every card of the fan shows its white edge along the left.
    for (int i = 0; i < 13; ++i)
        EXPECT_GT(qGray(hand.pixel(i * 7 + 2, 48)), 200) << "card " << i;
}
