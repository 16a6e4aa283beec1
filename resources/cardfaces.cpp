// The card image list: a back, fifty-two faces and a dark blank, all 71 x 96.
#include "resources/paintkit.h"
#include "resources/pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <array>

namespace pictures::paintkit {

namespace {

constexpr qreal kW = 71.0;
constexpr qreal kH = 96.0;
const QRectF kOutline(0.5, 0.5, kW - 1.0, kH - 1.0);
constexpr qreal kCorner = 5.0;

// Pip centres in a unit box: x 0 left column, 0.5 middle, 1 right; y 0 top row, 1 bottom.
struct Pip
{
    qreal x;
    qreal y;
};

const std::array<std::vector<Pip>, 9> &pipLayouts()
{
    static const std::array<std::vector<Pip>, 9> layouts = {{
        {{0.5, 0}, {0.5, 1}},                                                           // 2
        {{0.5, 0}, {0.5, 0.5}, {0.5, 1}},                                               // 3
        {{0, 0}, {1, 0}, {0, 1}, {1, 1}},                                               // 4
        {{0, 0}, {1, 0}, {0.5, 0.5}, {0, 1}, {1, 1}},                                   // 5
        {{0, 0}, {1, 0}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}},                           // 6
        {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0, 1}, {1, 1}},              // 7
        {{0, 0}, {1, 0}, {0.5, 0.25}, {0, 0.5}, {1, 0.5}, {0.5, 0.75}, {0, 1}, {1, 1}}, // 8
        {{0, 0},
         {1, 0},
         {0, 1.0 / 3},
         {1, 1.0 / 3},
         {0.5, 0.5},
         {0, 2.0 / 3},
         {1, 2.0 / 3},
         {0, 1},
         {1, 1}}, // 9
        {{0, 0},
         {1, 0},
         {0.5, 1.0 / 6},
         {0, 1.0 / 3},
         {1, 1.0 / 3},
         {0, 2.0 / 3},
         {1, 2.0 / 3},
         {0.5, 5.0 / 6},
         {0, 1},
         {1, 1}}, // 10
    }};
    return layouts;
}

QString rankText(int rank) // 0 = two .. 12 = ace
{
    static const char *const names[] = {"2", "3",  "4", "5", "6", "7", "8",
                                        "9", "10", "J", "Q", "K", "A"};
    return QString::fromLatin1(names[rank]);
}

void paintFaceGround(QPainter &p)
{
    QLinearGradient g(0, 0, 0, kH);
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(244, 242, 236));
    p.setPen(QPen(QColor(110, 110, 118), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(kOutline, kCorner, kCorner);
}

// Rank over a small suit in the top-left corner; the caller turns the card for the other.
void paintIndex(QPainter &p, int rank, Suit suit)
{
    const QColor ink = suitInk(suit);
    const QString text = rankText(rank);
    const qreal width = text.size() > 1 ? 13.0 : 10.5;
    const QRectF textBox(8.0 - width / 2, 3.0, width, 12.0);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(fittedText(text, sansFont(14), textBox));
    drawSuit(p, suit, QRectF(3.5, 17.0, 9.0, 9.5), ink);
}

void paintIndices(QPainter &p, int rank, Suit suit)
{
    paintIndex(p, rank, suit);
    p.save();
    p.translate(kW, kH);
    p.rotate(180);
    paintIndex(p, rank, suit);
    p.restore();
}

void paintPips(QPainter &p, int rank, Suit suit)
{
    const QColor ink = suitInk(suit);
    const qreal left = 23.5;
    const qreal right = 47.5;
    const qreal top = 18.0;
    const qreal bottom = 78.0;
    // The crowded nine and ten take slightly smaller pips so the middle ones stay clear.
    const qreal pw = rank >= 7 ? 13.0 : 14.0;
    const qreal ph = rank >= 7 ? 14.0 : 15.0;
    for (const Pip &pip : pipLayouts()[rank]) {
        const qreal cx = left + pip.x * (right - left);
        const qreal cy = top + pip.y * (bottom - top);
        drawSuit(p, suit, QRectF(cx - pw / 2, cy - ph / 2, pw, ph), ink, pip.y > 0.5);
    }
}

void paintAce(QPainter &p, Suit suit)
{
    const QColor ink = suitInk(suit);
    if (suit != Suit::Spades) {
        drawSuit(p, suit, QRectF(kW / 2 - 15, kH / 2 - 16, 30, 32), ink);
        return;
    }
    // The ace of spades carries the game's name: a larger spade in a ring.
    p.setPen(QPen(kGoldDark, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(kW / 2, kH / 2), 24.5, 24.5);
    p.setPen(QPen(kGold, 1.2));
    p.drawEllipse(QPointF(kW / 2, kH / 2), 22.5, 22.5);
    drawSuit(p, suit, QRectF(kW / 2 - 17, kH / 2 - 18, 34, 36), ink);
    // A thin white vein down the blade gives the big spade some relief.
    p.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    p.drawLine(QPointF(kW / 2, kH / 2 - 12), QPointF(kW / 2, kH / 2 + 6));
}

QLinearGradient crownGold(qreal top, qreal bottom)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, QColor(255, 232, 140));
    g.setColorAt(1, QColor(204, 146, 34));
    return g;
}

void paintJewel(QPainter &p, QPointF at, qreal r, const QColor &colour)
{
    p.setPen(QPen(colour.darker(160), 0.5));
    p.setBrush(colour);
    p.drawEllipse(at, r, r);
}

// The king's crown: five points on a band, pearls on the tips, jewels on the band.
void paintKingCrown(QPainter &p, const QRectF &b)
{
    const qreal x = b.x(), y = b.y(), w = b.width(), h = b.height();
    const qreal band = y + h * 0.64;
    QPainterPath crown;
    crown.moveTo(x + w * 0.04, y + h);
    crown.lineTo(x + w * 0.04, y + h * 0.2);
    crown.lineTo(x + w * 0.27, y + h * 0.5);
    crown.lineTo(x + w * 0.5, y + h * 0.05);
    crown.lineTo(x + w * 0.73, y + h * 0.5);
    crown.lineTo(x + w * 0.96, y + h * 0.2);
    crown.lineTo(x + w * 0.96, y + h);
    crown.closeSubpath();
    p.setPen(QPen(kGoldDark, 0.8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(crownGold(y, y + h));
    p.drawPath(crown);
    p.drawLine(QPointF(x + w * 0.04, band), QPointF(x + w * 0.96, band));
    for (const QPointF tip :
         {QPointF(x + w * 0.04, y + h * 0.2), QPointF(x + w * 0.5, y + h * 0.05),
          QPointF(x + w * 0.96, y + h * 0.2)})
        paintJewel(p, tip, 1.2, QColor(255, 246, 214));
    paintJewel(p, QPointF(x + w * 0.5, (band + y + h) / 2), 1.3, QColor(200, 24, 40));
    paintJewel(p, QPointF(x + w * 0.24, (band + y + h) / 2), 0.9, QColor(40, 90, 200));
    paintJewel(p, QPointF(x + w * 0.76, (band + y + h) / 2), 0.9, QColor(40, 90, 200));
}

// The queen's coronet: rounded arches topped with pearls.
void paintQueenCrown(QPainter &p, const QRectF &b)
{
    const qreal x = b.x(), y = b.y(), w = b.width(), h = b.height();
    const qreal band = y + h * 0.68;
    QPainterPath crown;
    crown.moveTo(x + w * 0.08, y + h);
    crown.lineTo(x + w * 0.08, y + h * 0.45);
    crown.quadTo(x + w * 0.2, y + h * 0.1, x + w * 0.33, y + h * 0.5);
    crown.quadTo(x + w * 0.5, y - h * 0.15, x + w * 0.67, y + h * 0.5);
    crown.quadTo(x + w * 0.8, y + h * 0.1, x + w * 0.92, y + h * 0.45);
    crown.lineTo(x + w * 0.92, y + h);
    crown.closeSubpath();
    p.setPen(QPen(kGoldDark, 0.8));
    p.setBrush(crownGold(y, y + h));
    p.drawPath(crown);
    p.drawLine(QPointF(x + w * 0.08, band), QPointF(x + w * 0.92, band));
    for (const QPointF tip : {QPointF(x + w * 0.2, y + h * 0.24), QPointF(x + w * 0.5, y + h * 0.1),
                              QPointF(x + w * 0.8, y + h * 0.24)})
        paintJewel(p, tip, 1.15, QColor(252, 252, 246));
    paintJewel(p, QPointF(x + w * 0.5, (band + y + h) / 2), 1.2, QColor(30, 130, 90));
}

// The jack's cap: a soft hat in the suit's colour with a gold band and a feather.
void paintJackCap(QPainter &p, const QRectF &b, const QColor &ink)
{
    const qreal x = b.x(), y = b.y(), w = b.width(), h = b.height();
    QPainterPath feather;
    feather.moveTo(x + w * 0.55, y + h * 0.55);
    feather.cubicTo(x + w * 0.7, y + h * 0.1, x + w * 0.9, y - h * 0.05, x + w * 1.02,
                    y + h * 0.02);
    feather.cubicTo(x + w * 0.92, y + h * 0.25, x + w * 0.78, y + h * 0.45, x + w * 0.62,
                    y + h * 0.62);
    feather.closeSubpath();
    p.setPen(QPen(kGoldDark, 0.6));
    p.setBrush(QColor(255, 244, 200));
    p.drawPath(feather);
    QPainterPath cap;
    cap.moveTo(x + w * 0.12, y + h * 0.8);
    cap.cubicTo(x + w * 0.12, y + h * 0.2, x + w * 0.88, y + h * 0.2, x + w * 0.88, y + h * 0.8);
    cap.closeSubpath();
    p.setPen(QPen(ink.darker(150), 0.7));
    p.setBrush(ink);
    p.drawPath(cap);
    p.setPen(QPen(kGoldDark, 0.7));
    p.setBrush(crownGold(y + h * 0.68, y + h));
    p.drawRoundedRect(QRectF(x + w * 0.04, y + h * 0.7, w * 0.92, h * 0.28), 1.2, 1.2);
}

// One half of a court card's picture: headwear, the big letter and the suit.
void paintCourtHalf(QPainter &p, int rank, Suit suit, const QRectF &half)
{
    const QColor ink = suitInk(suit);
    const qreal cx = half.center().x();
    const QRectF hat(cx - 10.0, half.top() + 2.5, 20.0, 12.0);
    if (rank == 11)
        paintKingCrown(p, hat);
    else if (rank == 10)
        paintQueenCrown(p, hat);
    else
        paintJackCap(p, hat, ink);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(fittedText(rankText(rank), serifFont(22),
                          QRectF(cx - 16.0, half.top() + 16.5, 17.0, 17.5)));
    drawSuit(p, suit, QRectF(cx + 3.5, half.top() + 20.0, 11.5, 12.5), ink);
}

void paintCourt(QPainter &p, int rank, Suit suit)
{
    const QColor ink = suitInk(suit);
    const QRectF frame(14.5, 10.5, kW - 29.0, kH - 21.0);
    QLinearGradient g(frame.topLeft(), frame.bottomRight());
    const bool red = suit == Suit::Diamonds || suit == Suit::Hearts;
    g.setColorAt(0, red ? QColor(253, 238, 232) : QColor(236, 241, 250));
    g.setColorAt(0.5, QColor(252, 246, 226));
    g.setColorAt(1, red ? QColor(253, 238, 232) : QColor(236, 241, 250));
    p.setPen(QPen(ink, 1.0));
    p.setBrush(g);
    p.drawRect(frame);
    p.setPen(QPen(QColor(200, 156, 60), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(2, 2, -2, -2));
    // The picture is double-headed, as court cards are, with a rule between the halves.
    p.setPen(QPen(QColor(200, 156, 60), 0.8));
    p.drawLine(QPointF(frame.left() + 4, kH / 2), QPointF(frame.right() - 4, kH / 2));
    const QRectF half(frame.left(), frame.top(), frame.width(), frame.height() / 2);
    paintCourtHalf(p, rank, suit, half);
    p.save();
    p.translate(kW, kH);
    p.rotate(180);
    paintCourtHalf(p, rank, suit, half);
    p.restore();
}

QImage drawFace(int card, qreal dpr)
{
    const Suit suit = static_cast<Suit>((card - 1) / 13);
    const int rank = (card - 1) % 13;
    QImage img = canvas(pictures::kCardSize, dpr);
    QPainter p(&img);
    prepare(p);
    paintFaceGround(p);
    paintIndices(p, rank, suit);
    if (rank <= 8)
        paintPips(p, rank, suit);
    else if (rank == 12)
        paintAce(p, suit);
    else
        paintCourt(p, rank, suit);
    return img;
}

QImage drawBack(qreal dpr)
{
    QImage img = canvas(pictures::kCardSize, dpr);
    QPainter p(&img);
    prepare(p);
    p.setPen(QPen(QColor(90, 90, 100), 1.0));
    p.setBrush(QColor(250, 250, 247));
    p.drawRoundedRect(kOutline, kCorner, kCorner);

    const QRectF field(4.5, 4.5, kW - 9.0, kH - 9.0);
    QLinearGradient g(field.topLeft(), field.bottomRight());
    g.setColorAt(0, QColor(30, 58, 112));
    g.setColorAt(1, QColor(16, 34, 74));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(field, 2.5, 2.5);

    // A fine diagonal lattice, clipped to the field.
    p.save();
    p.setClipRect(field);
    p.setPen(QPen(QColor(88, 124, 196, 150), 0.7));
    for (qreal d = -kH; d < kW + kH; d += 6.0) {
        p.drawLine(QPointF(d, 0), QPointF(d + kH, kH));
        p.drawLine(QPointF(d, 0), QPointF(d - kH, kH));
    }
    p.restore();
    p.setPen(QPen(kGold, 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(field.adjusted(3, 3, -3, -3), 1.5, 1.5);

    // The medallion: a gold ring around a white spade.
    const QPointF c(kW / 2, kH / 2);
    QRadialGradient m(c, 17);
    m.setColorAt(0, QColor(40, 72, 138));
    m.setColorAt(1, QColor(14, 28, 62));
    p.setPen(QPen(kGold, 1.6));
    p.setBrush(m);
    p.drawEllipse(c, 16.5, 16.5);
    p.setPen(QPen(QColor(232, 184, 64, 140), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 13.5, 13.5);
    drawSuit(p, Suit::Spades, QRectF(c.x() - 9.5, c.y() - 10.5, 19, 20), QColor(246, 246, 240));
    return img;
}

QImage drawBlank(qreal dpr)
{
    QImage img = canvas(pictures::kCardSize, dpr);
    QPainter p(&img);
    prepare(p);
    QLinearGradient g(0, 0, 0, kH);
    g.setColorAt(0, QColor(40, 46, 44));
    g.setColorAt(1, QColor(22, 26, 25));
    p.setPen(QPen(QColor(12, 14, 14), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(kOutline, kCorner, kCorner);
    p.setPen(QPen(QColor(70, 78, 74), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(kOutline.adjusted(3, 3, -3, -3), 3, 3);
    return img;
}

} // namespace

QImage drawCard(int index, qreal dpr)
{
    if (index == 0)
        return drawBack(dpr);
    if (index >= 1 && index <= 52)
        return drawFace(index, dpr);
    return drawBlank(dpr);
}

} // namespace pictures::paintkit
