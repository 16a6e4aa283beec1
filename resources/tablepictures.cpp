// Pictures that sit on the board: the felt, the turn arrow, the seat marks, the trophy.
#include "resources/paintkit.h"
#include "resources/pictures.h"

#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace pictures::paintkit {

namespace {

// A fine, fixed grain so the felt does not look like flat paint; the same every run.
void addFeltGrain(QImage &img)
{
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u +
                              static_cast<std::uint32_t>(y) * 668265263u;
            h = (h ^ (h >> 13)) * 1274126177u;
            h ^= h >> 16;
            // Horizontal fibres: a slow wave along the row plus a per-pixel speck.
            const int fibre = ((y * 7 + x / 5) % 11 == 0) ? 3 : 0;
            const int d = static_cast<int>(h % 13) - 6 + fibre;
            const QRgb c = line[x];
            line[x] = qRgba(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                            std::clamp(qBlue(c) + d, 0, 255), qAlpha(c));
        }
    }
}

QLinearGradient goldGradient(qreal x0, qreal x1)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setColorAt(0, QColor(166, 112, 16));
    g.setColorAt(0.35, QColor(255, 231, 140));
    g.setColorAt(0.6, QColor(236, 186, 60));
    g.setColorAt(1, QColor(150, 98, 12));
    return g;
}

// A badge with letters stacked one under the other, for the narrow seat marks.
QImage stackedBadge(QSize size, qreal dpr, const QString &letters, const QColor &top,
                    const QColor &bottom)
{
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(bottom.darker(170), 1.0));
    p.setBrush(g);
    const qreal radius = std::min(5.0, size.width() / 3.0);
    p.drawRoundedRect(r, radius, radius);
    p.setPen(QPen(QColor(255, 255, 255, 120), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1, radius - 1);

    const int n = letters.size();
    const qreal step = (size.height() - 8.0) / n;
    const qreal glyphH = step * 0.72;
    const qreal glyphW = size.width() - 6.0;
    for (int i = 0; i < n; ++i) {
        const QRectF box(3.0, 4.0 + i * step + (step - glyphH) / 2, glyphW, glyphH);
        const QPainterPath path = fittedText(letters.mid(i, 1), sansFont(20), box);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawPath(path.translated(0.6, 0.8));
        p.setBrush(Qt::white);
        p.drawPath(path);
    }
    return img;
}

} // namespace

QImage drawBoard(QSize size, qreal dpr, QSize table)
{
    QImage img = canvas(size, dpr);
    const qreal w = size.width();
    const qreal h = size.height();
    // On the wide board the cards are played left of the chat, so the light falls there.
    const qreal tw = table.width();
    const qreal th = table.height();
    const bool wide = tw > th * 1.3;
    const QPointF centre = wide ? QPointF(tw * 0.32, th * 0.46) : QPointF(w / 2, h / 2);
    {
        QPainter p(&img);
        prepare(p);
        QRadialGradient g(centre, std::hypot(tw, th) * 0.62);
        g.setColorAt(0, QColor(46, 132, 76));
        g.setColorAt(0.5, QColor(32, 108, 60));
        g.setColorAt(1, QColor(12, 60, 34));
        p.fillRect(QRectF(0, 0, w, h), g);
    }
    addFeltGrain(img);
    if (wide) {
        QPainter p(&img);
        prepare(p);
        // An inlaid line around the trick area, like the edge of a card table's baize.
        const qreal rx = tw * 0.215;
        const qreal ry = th * 0.27;
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 50), 3.0));
        p.drawEllipse(centre + QPointF(0, 1.5), rx, ry);
        p.setPen(QPen(QColor(236, 206, 120, 70), 1.5));
        p.drawEllipse(centre, rx, ry);
    }
    return img;
}

QImage drawTurnArrow(qreal dpr)
{
    QImage img = canvas(pictures::kTurnArrowSize, dpr);
    QPainter p(&img);
    prepare(p);
    QPainterPath arrow;
    arrow.moveTo(1.5, 11.5);
    arrow.lineTo(11.5, 11.5);
    arrow.lineTo(11.5, 2.5);
    arrow.lineTo(24.5, 17.0);
    arrow.lineTo(11.5, 31.5);
    arrow.lineTo(11.5, 22.5);
    arrow.lineTo(1.5, 22.5);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 80));
    p.drawPath(arrow.translated(0.8, 1.2));
    QLinearGradient g(0, 2, 0, 32);
    g.setColorAt(0, QColor(255, 242, 160));
    g.setColorAt(0.5, QColor(250, 196, 40));
    g.setColorAt(1, QColor(206, 128, 10));
    p.setPen(QPen(QColor(96, 56, 4), 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(g);
    p.drawPath(arrow);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
    p.drawLine(QPointF(3.0, 13.2), QPointF(12.5, 13.2));
    return img;
}

QImage drawWatchingEyes(qreal dpr)
{
    QImage img = canvas(pictures::kWatchingEyesSize, dpr);
    QPainter p(&img);
    prepare(p);
    for (const qreal cx : {4.4, 12.6}) {
        p.setPen(QPen(QColor(30, 30, 40), 0.9));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx, 6.0), 3.7, 5.3);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(24, 52, 110));
        p.drawEllipse(QPointF(cx + 1.0, 7.0), 2.0, 2.4);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(cx + 1.6, 6.2), 0.6, 0.6);
    }
    return img;
}

QImage drawNilMark(qreal dpr)
{
    return stackedBadge(pictures::kNilMarkSize, dpr, QStringLiteral("NIL"), QColor(255, 176, 56),
                        QColor(212, 104, 8));
}

QImage drawBlindNilMark(qreal dpr)
{
    return stackedBadge(pictures::kBlindNilMarkSize, dpr, QStringLiteral("BLIND"),
                        QColor(170, 60, 170), QColor(100, 24, 110));
}

QImage drawTrophy(qreal dpr)
{
    QImage img = canvas(pictures::kTrophySize, dpr);
    QPainter p(&img);
    prepare(p);
    const QPen edge(QColor(110, 70, 8), 1.2);

    // Handles behind the bowl.
    p.setBrush(Qt::NoBrush);
    for (const int side : {-1, 1}) {
        QPainterPath handle;
        const qreal x0 = 46 + side * 20;
        handle.moveTo(x0, 12);
        handle.cubicTo(46 + side * 38, 10, 46 + side * 38, 38, 46 + side * 14, 44);
        p.setPen(QPen(QColor(110, 70, 8), 6.0, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(handle);
        p.setPen(QPen(QColor(246, 204, 90), 3.6, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(handle);
    }

    // Bowl.
    QPainterPath bowl;
    bowl.moveTo(20, 6);
    bowl.lineTo(72, 6);
    bowl.cubicTo(72, 34, 62, 48, 46, 52);
    bowl.cubicTo(30, 48, 20, 34, 20, 6);
    bowl.closeSubpath();
    p.setPen(edge);
    p.setBrush(goldGradient(20, 72));
    p.drawPath(bowl);
    p.setBrush(QColor(140, 92, 12));
    p.drawEllipse(QPointF(46, 6.5), 26, 3.2);

    // Stem, knot and foot.
    p.setBrush(goldGradient(40, 52));
    p.drawRect(QRectF(42.5, 51, 7, 10));
    p.drawEllipse(QPointF(46, 56), 6, 3);
    QPainterPath foot;
    foot.moveTo(42, 61);
    foot.lineTo(50, 61);
    foot.lineTo(60, 70);
    foot.lineTo(32, 70);
    foot.closeSubpath();
    p.setBrush(goldGradient(32, 60));
    p.drawPath(foot);

    // Wooden plinth with a gold plate bearing a spade.
    QLinearGradient wood(0, 70, 0, 88);
    wood.setColorAt(0, QColor(120, 64, 30));
    wood.setColorAt(1, QColor(62, 30, 12));
    p.setPen(QPen(QColor(40, 18, 6), 1.0));
    p.setBrush(wood);
    p.drawRoundedRect(QRectF(24.5, 70.5, 43, 18), 2, 2);
    p.setPen(QPen(QColor(110, 70, 8), 0.8));
    p.setBrush(goldGradient(34, 58));
    p.drawRect(QRectF(34.5, 74.5, 23, 10));
    drawSuit(p, Suit::Spades, QRectF(42, 75.5, 8, 8), kBlackInk);

    // A star on the bowl and a shine down its left side.
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const qreal r = (i % 2 == 0) ? 9.0 : 3.8;
        const QPointF pt(46 + r * std::cos(a), 25 + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(150, 96, 10), 0.8));
    p.setBrush(QColor(255, 246, 196));
    p.drawPath(star);
    p.setPen(QPen(QColor(255, 255, 255, 150), 2.0, Qt::SolidLine, Qt::RoundCap));
    QPainterPath shine;
    shine.moveTo(26, 12);
    shine.cubicTo(26, 28, 30, 38, 36, 44);
    p.setBrush(Qt::NoBrush);
    p.drawPath(shine);
    return img;
}

QImage drawTrickWinner(qreal dpr)
{
    QImage img = canvas(pictures::kTrickWinnerSize, dpr);
    QPainter p(&img);
    prepare(p);
    // Two small cards gathered in, the top one marked with a gold star.
    p.save();
    p.translate(14.5, 21.5);
    p.rotate(-14);
    p.setPen(QPen(QColor(200, 200, 210), 0.8));
    p.setBrush(QColor(28, 54, 106));
    p.drawRoundedRect(QRectF(-11.5, -16, 23, 32), 2.5, 2.5);
    p.restore();
    p.save();
    p.translate(17.5, 21.5);
    p.rotate(8);
    p.setPen(QPen(QColor(80, 80, 90), 0.8));
    p.setBrush(QColor(252, 251, 246));
    const QRectF front(-12, -16.5, 24, 33);
    p.drawRoundedRect(front, 2.5, 2.5);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal a = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const qreal r = (i % 2 == 0) ? 10.0 : 4.3;
        const QPointF pt(r * std::cos(a), r * std::sin(a) + 0.5);
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(150, 96, 10), 0.9));
    p.setBrush(QColor(250, 196, 40));
    p.drawPath(star);
    p.restore();
    return img;
}

QImage drawFlippedHand(qreal dpr)
{
    QImage img = canvas(pictures::kFlippedHandSize, dpr);
    const QImage back = drawCard(0, dpr);
    QPainter p(&img);
    prepare(p);
    const qreal step = (pictures::kFlippedHandSize.width() - pictures::kCardSize.width()) / 12.0;
    for (int i = 0; i < 13; ++i)
        p.drawImage(QRectF(QPointF(i * step, 0), QSizeF(pictures::kCardSize)), back);
    return img;
}

QImage drawBoardLogo(qreal dpr)
{
    QImage img = canvas(pictures::kBoardLogoSize, dpr);
    QPainter p(&img);
    prepare(p);
    drawSuit(p, Suit::Spades, QRectF(5.5, 7.5, 32, 34), QColor(0, 0, 0, 90));
    drawSuit(p, Suit::Spades, QRectF(4, 6, 32, 34), kBlackInk);
    QFont f = serifFont(34);
    f.setItalic(true);
    const QPainterPath word = fittedText(QStringLiteral("Spades"), f, QRectF(42, 7, 114, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(word.translated(1.5, 1.5));
    QLinearGradient g(0, 7, 0, 40);
    g.setColorAt(0, QColor(255, 240, 180));
    g.setColorAt(1, QColor(226, 170, 50));
    p.setPen(QPen(QColor(100, 62, 6), 0.8));
    p.setBrush(g);
    p.drawPath(word);
    return img;
}

} // namespace pictures::paintkit
