#include "resources/pictures.h"

#include <QImage>
#include <QSet>
#include <QTransform>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

namespace {

QImage imageOf(const QPixmap &pm)
{
    return pm.toImage().convertToFormat(QImage::Format_ARGB32);
}

QByteArray bytesOf(const QImage &img)
{
    return QByteArray(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes());
}

QByteArray bytesOf(const QPixmap &pm)
{
    return bytesOf(imageOf(pm));
}

// What a picture's pixels hold: red and dark suit ink among the near-opaque
// ones, the mean grey of the opaque ones, and whether anything shows at all.
struct Ink
{
    int red = 0;
    int dark = 0;
    double luminance = 0;
    bool visible = false;
};

Ink inkOf(const QImage &img)
{
    Ink ink;
    double sum = 0;
    int opaque = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const QRgb p = img.pixel(x, y);
            ink.visible = ink.visible || qAlpha(p) > 0;
            if (qAlpha(p) == 255) {
                sum += qGray(p);
                ++opaque;
            }
            if (qAlpha(p) < 200)
                continue;
            ink.red += qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 100;
            ink.dark += qRed(p) < 70 && qGreen(p) < 70 && qBlue(p) < 70;
        }
    }
    ink.luminance = opaque ? sum / opaque : 0;
    return ink;
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

// Mean grey difference per pixel between two images of the same size.
long long meanDifference(const QImage &a, const QImage &b)
{
    long long difference = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            difference += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y)));
    return difference / (a.width() * a.height());
}

} // namespace

// Card 0 is the back, 1-52 the faces (clubs, diamonds, spades, hearts; ace last)
// and 53 the blank.
TEST(CardPictures, EveryCardHasItsSizeColoursAndRoundedCorners)
{
    QSet<QByteArray> seen;
    for (int card = 0; card <= 53; ++card) {
        SCOPED_TRACE(testing::Message() << "card " << card);
        for (const qreal dpr : {1.0, 1.25, 1.5, 2.0, 3.0}) {
            SCOPED_TRACE(testing::Message() << "at " << dpr);
            expectSizeAndRatio(pictures::card(card, dpr), pictures::kCardSize, dpr);
        }
        const QImage img = imageOf(pictures::card(card));
        seen.insert(bytesOf(img));
        EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(img.pixel(70, 95)), 0);
        EXPECT_EQ(qAlpha(img.pixel(35, 48)), 255);
        EXPECT_EQ(qAlpha(img.pixel(35, 1)), 255);

        const Ink ink = inkOf(img);
        const int suit = (card - 1) / 13;
        if (card == 0) {
            EXPECT_GT(ink.luminance, 40);
            EXPECT_LT(ink.luminance, 140);
        } else if (card == 53) {
            EXPECT_LT(ink.luminance, 60);
        } else if (suit == 1 || suit == 3) {
            EXPECT_GT(ink.luminance, 170);
            EXPECT_GT(ink.red, 60);
            EXPECT_EQ(ink.dark, 0);
        } else {
            EXPECT_GT(ink.luminance, 170);
            EXPECT_GT(ink.dark, 60);
            EXPECT_GT(ink.dark, 8 * ink.red);
        }

        // The layout is in logical pixels: drawn at twice the ratio and scaled
        // back down, the card matches the plain one closely.
        const QImage fine =
            imageOf(pictures::card(card, 2.0))
                .scaled(img.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        EXPECT_LT(meanDifference(img, fine), 12);
        // A repeated request reuses the drawn picture.
        EXPECT_EQ(pictures::card(card, 2.0).cacheKey(), pictures::card(card, 2.0).cacheKey());
        EXPECT_NE(pictures::card(card, 2.0).cacheKey(), pictures::card(card, 1.0).cacheKey());
    }
    EXPECT_EQ(seen.size(), 54);
}

// Requests nobody should make give a usable picture: out of range indices the
// blank card or first smiley, unusable ratios one, and unusable sizes the nearest
// size that can be drawn.
TEST(Pictures, UnusableRequestsFallBackToAUsablePicture)
{
    const qreal nan = std::numeric_limits<qreal>::quiet_NaN();
    const qreal inf = std::numeric_limits<qreal>::infinity();
    const struct
    {
        const char *name;
        QPixmap got;
        QSize size;
        QPixmap same; // none: only the size is known
    } cases[] = {
        {"card -1", pictures::card(-1), pictures::kCardSize, pictures::card(53)},
        {"card 54", pictures::card(54), pictures::kCardSize, pictures::card(53)},
        {"card 100", pictures::card(100), pictures::kCardSize, pictures::card(53)},
        {"card INT_MIN", pictures::card(INT_MIN), pictures::kCardSize, pictures::card(53)},
        {"card INT_MAX", pictures::card(INT_MAX), pictures::kCardSize, pictures::card(53)},
        {"ratio 0", pictures::card(7, 0.0), pictures::kCardSize, pictures::card(7)},
        {"ratio -2", pictures::card(7, -2.0), pictures::kCardSize, pictures::card(7)},
        {"ratio 0.5", pictures::card(7, 0.5), pictures::kCardSize, pictures::card(7)},
        {"ratio NaN", pictures::card(7, nan), pictures::kCardSize, pictures::card(7)},
        {"ratio infinite", pictures::card(7, inf), pictures::kCardSize, pictures::card(7)},
        {"smiley -1", pictures::smiley(-1), {17, 16}, pictures::smiley(0)},
        {"smiley 18", pictures::smiley(18), {17, 16}, pictures::smiley(0)},
        {"smiley 99", pictures::smiley(99), {17, 16}, pictures::smiley(0)},
        {"board 0 x -5", pictures::boardBackground(QSize(0, -5)), {1, 1}, {}},
        {"check box -1 x 0", pictures::checkBoxFace(true, QSize(-1, 0)), {1, 1}, {}},
        {"button 0 x 0", pictures::pictureButton("Bid", QSize(0, 0), false), {1, 1}, {}},
        {"icon 0", pictures::spadeIcon(0), {1, 1}, {}},
        {"icon 100000", pictures::spadeIcon(100000), {1024, 1024}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        expectSizeAndRatio(c.got, c.size, 1.0);
        if (!c.same.isNull()) {
            EXPECT_EQ(bytesOf(c.got), bytesOf(c.same));
        }
    }
}

// Both corners carry the same index, ranks differ within a suit, number cards
// show as many pips as their rank and aces one.
TEST(CardPictures, FacesCarryTheirIndexInBothCornersAndTheirPips)
{
    const QRect corner(1, 2, 15, 26);
    const QRect middle(16, 9, 40, 78); // clear of the corner indices
    const QRect aceCentre(22, 28, 27, 40);
    for (int suit = 0; suit < 4; ++suit) {
        QSet<QByteArray> ranks;
        for (int rank = 0; rank < 13; ++rank) {
            const int card = suit * 13 + rank + 1;
            SCOPED_TRACE(testing::Message() << "card " << card);
            const QImage img = imageOf(pictures::card(card));
            const QImage top = img.copy(corner);
            const QImage bottom = img.copy(QRect(71 - corner.right() - 1, 96 - corner.bottom() - 1,
                                                 corner.width(), corner.height()))
                                      .transformed(QTransform().rotate(180));
            // Anti-aliasing may differ by a shade; the shapes must match.
            int differing = 0;
            for (int y = 0; y < top.height(); ++y)
                for (int x = 0; x < top.width(); ++x)
                    differing += std::abs(qGray(top.pixel(x, y)) - qGray(bottom.pixel(x, y))) > 60;
            EXPECT_LT(differing, 6);
            ranks.insert(bytesOf(img.copy(QRect(1, 2, 15, 14))));
            if (rank > 8 && rank < 12)
                continue;
            for (const qreal dpr : {1.0, 2.0}) {
                const QRect area = rank == 12 ? aceCentre : middle;
                EXPECT_EQ(inkPatches(imageOf(pictures::card(card, dpr)),
                                     QRect(area.topLeft() * dpr, area.size() * dpr)),
                          rank == 12 ? 1 : rank + 2)
                    << "at " << dpr;
            }
        }
        EXPECT_EQ(ranks.size(), 13) << "suit " << suit;
    }
}

// Every picture of a fixed size has it at each ratio, shows something, and
// differs from every other: states of a control included.
TEST(TablePictures, FixedSizePicturesHaveTheirSizesAndAreDrawnDistinct)
{
    using namespace pictures;
    const QSize box(44, 28), button(90, 24);
    struct Case
    {
        QString name;
        std::function<QPixmap(qreal)> make;
        QSize size;
    };
    std::vector<Case> cases = {
        {"turn arrow", turnArrow, {26, 34}},
        {"watching eyes", watchingEyes, {17, 12}},
        {"nil", nilMark, {25, 57}},
        {"blind nil", blindNilMark, {16, 57}},
        {"trophy", trophy, {92, 90}},
        {"trick winner", trickWinner, {32, 41}},
        {"face-down hand", flippedHand, {155, 96}},
        {"logo", boardLogo, kBoardLogoSize},
        {"last winner", lastWinnerMark, kLastWinnerMarkSize},
        {"last lead", lastLeadMark, kLastLeadMarkSize},
        {"set", teamSet, kTeamSetSize},
        {"bagged", teamBagged, kTeamBaggedSize},
        {"nil good", nilGood, kNilResultSize},
        {"nil bad", nilBad, kNilResultSize},
        {"box off", [=](qreal dpr) { return checkBoxFace(false, box, dpr); }, box},
        {"box on", [=](qreal dpr) { return checkBoxFace(true, box, dpr); }, box},
        {"button", [=](qreal dpr) { return pictureButton("Start Game", button, false, dpr); },
         button},
        {"pressed", [=](qreal dpr) { return pictureButton("Start Game", button, true, dpr); },
         button},
        {"other caption", [=](qreal dpr) { return pictureButton("Bid", button, false, dpr); },
         button},
        {"no caption", [=](qreal dpr) { return pictureButton({}, button, false, dpr); }, button},
    };
    for (int i = 0; i < kSmileyCount; ++i)
        cases.push_back({QString("smiley %1").arg(i), [i](qreal dpr) { return smiley(i, dpr); },
                         QSize(17, 16)});
    for (const qreal dpr : {1.0, 2.0}) {
        QSet<QByteArray> seen;
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message() << c.name.toStdString() << " at " << dpr);
            const QPixmap pm = c.make(dpr);
            expectSizeAndRatio(pm, c.size, dpr);
            EXPECT_TRUE(inkOf(imageOf(pm)).visible);
            seen.insert(bytesOf(pm));
        }
        EXPECT_EQ(seen.size(), static_cast<qsizetype>(cases.size()));
    }
}

TEST(TablePictures, NilResultsAreGreenWhenGoodAndRedWhenBad)
{
    const QRgb g = imageOf(pictures::nilGood()).pixel(4, 12);
    const QRgb b = imageOf(pictures::nilBad()).pixel(4, 12);
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

// A long caption is shrunk to fit rather than cut: the edges stay free of text.
TEST(ControlPictures, ALongButtonCaptionLeavesTheEdgesFree)
{
    const QSize size(90, 24);
    const QImage crowded =
        imageOf(pictures::pictureButton("A rather long caption for a button", size, false));
    const QImage plain = imageOf(pictures::pictureButton(QString(), size, false));
    EXPECT_EQ(bytesOf(crowded.copy(0, 0, 3, 24)), bytesOf(plain.copy(0, 0, 3, 24)));
    EXPECT_EQ(bytesOf(crowded.copy(87, 0, 3, 24)), bytesOf(plain.copy(87, 0, 3, 24)));
}

// Round faces with clear corners, and a square icon with a dark spade in the middle.
TEST(ChatPictures, SmiliesAreRoundAndTheIconShowsASpade)
{
    for (int i = 0; i < pictures::kSmileyCount; ++i) {
        const QImage img = imageOf(pictures::smiley(i));
        EXPECT_EQ(qAlpha(img.pixel(0, 15)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(16, 15)), 0) << i;
        EXPECT_EQ(qAlpha(img.pixel(8, 12)), 255) << i;
    }
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
