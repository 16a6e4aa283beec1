// Pictures of the panels and dialogs: score marks, check boxes, buttons, the icon.
#include "resources/paintkit.h"
#include "resources/pictures.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>

namespace pictures::paintkit {

namespace {

// A round badge with a soft highlight, the base of the small score marks.
void paintDisc(QPainter &p, const QRectF &r, const QColor &colour)
{
    QRadialGradient g(r.center() - QPointF(r.width() * 0.2, r.height() * 0.25), r.width() * 0.7);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setPen(QPen(colour.darker(180), 1.0));
    p.setBrush(g);
    p.drawEllipse(r);
}

} // namespace

QImage drawLastWinnerMark(qreal dpr)
{
    const QSize size = pictures::kLastWinnerMarkSize;
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    // A ribbon with notched ends.
    const qreal w = size.width();
    const qreal h = size.height();
    QPainterPath ribbon;
    ribbon.moveTo(0.5, 0.5);
    ribbon.lineTo(w - 0.5, 0.5);
    ribbon.lineTo(w - 5.0, h / 2);
    ribbon.lineTo(w - 0.5, h - 0.5);
    ribbon.lineTo(0.5, h - 0.5);
    ribbon.lineTo(4.5, h / 2);
    ribbon.closeSubpath();
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(255, 226, 120));
    g.setColorAt(1, QColor(214, 150, 24));
    p.setPen(QPen(kGoldDark, 1.0));
    p.setBrush(g);
    p.drawPath(ribbon);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 40, 0));
    p.drawPath(fittedText(QStringLiteral("WINNER"), sansFont(12), QRectF(10, 2.5, w - 20, h - 5)));
    return img;
}

QImage drawLastLeadMark(qreal dpr)
{
    const QSize size = pictures::kLastLeadMarkSize;
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    // A pointer at the card that was led, standing just left of it.
    const qreal w = size.width();
    const qreal h = size.height();
    QPainterPath pointer;
    pointer.moveTo(0.8, 1.5);
    pointer.lineTo(w - 0.8, h / 2);
    pointer.lineTo(0.8, h - 1.5);
    pointer.closeSubpath();
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(120, 180, 255));
    g.setColorAt(1, QColor(28, 90, 200));
    p.setPen(QPen(QColor(14, 44, 110), 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(pointer);
    return img;
}

QImage drawTeamSet(qreal dpr)
{
    const QSize size = pictures::kTeamSetSize;
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    // A red rubber stamp pressed on at a slant.
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(-20);
    const QRectF r(-17.5, -9.5, 35, 19);
    const QColor red(200, 24, 32);
    p.setPen(QPen(red, 2.2));
    p.setBrush(QColor(255, 240, 238, 220));
    p.drawRoundedRect(r, 3, 3);
    p.setPen(QPen(red, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawPath(fittedText(QStringLiteral("SET"), sansFont(14), r.adjusted(6, 5, -6, -5)));
    return img;
}

QImage drawTeamBagged(qreal dpr)
{
    const QSize size = pictures::kTeamBaggedSize;
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    p.scale(size.width() / 20.0, size.height() / 20.0);
    // A tied sandbag.
    QPainterPath sack;
    sack.moveTo(7, 6);
    sack.cubicTo(1, 9, 0.8, 19, 10, 19);
    sack.cubicTo(19.2, 19, 19, 9, 13, 6);
    sack.closeSubpath();
    QLinearGradient g(0, 5, 20, 19);
    g.setColorAt(0, QColor(226, 196, 140));
    g.setColorAt(1, QColor(150, 108, 54));
    p.setPen(QPen(QColor(84, 56, 20), 1.0));
    p.setBrush(g);
    p.drawPath(sack);
    QPainterPath neck;
    neck.moveTo(7, 6);
    neck.lineTo(5.5, 1.5);
    neck.lineTo(14.5, 1.5);
    neck.lineTo(13, 6);
    neck.closeSubpath();
    p.drawPath(neck);
    p.setPen(QPen(QColor(120, 24, 24), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6.5, 5.5), QPointF(13.5, 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(84, 56, 20));
    p.drawPath(fittedText(QStringLiteral("B"), sansFont(10), QRectF(7.5, 10, 5, 6.5)));
    return img;
}

QImage drawNilResult(bool good, qreal dpr)
{
    const QSize size = pictures::kNilResultSize;
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    paintDisc(p, QRectF(1, 1, size.width() - 2.0, size.height() - 2.0),
              good ? QColor(34, 150, 60) : QColor(196, 30, 36));
    p.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (good) {
        QPainterPath tick;
        tick.moveTo(6.5, 12.5);
        tick.lineTo(10.5, 16.5);
        tick.lineTo(17.5, 7.5);
        p.drawPath(tick);
    } else {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    }
    return img;
}

QImage drawCheckBox(bool checked, QSize size, qreal dpr)
{
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    const qreal w = size.width();
    const qreal h = size.height();
    // A sliding switch: the knob carries a tick on the right when on, a cross on the left off.
    const qreal trackH = std::max(6.0, std::min(h - 4.0, w * 0.55));
    const QRectF track(1.0, (h - trackH) / 2, w - 2.0, trackH);
    const qreal radius = trackH / 2;
    QLinearGradient g(0, track.top(), 0, track.bottom());
    if (checked) {
        g.setColorAt(0, QColor(70, 176, 84));
        g.setColorAt(1, QColor(24, 120, 44));
    } else {
        g.setColorAt(0, QColor(120, 124, 132));
        g.setColorAt(1, QColor(80, 84, 92));
    }
    p.setPen(QPen(QColor(20, 30, 24), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(track, radius, radius);

    const qreal knobR = radius - 2.0;
    const QPointF knob(checked ? track.right() - radius : track.left() + radius, h / 2);
    QRadialGradient kg(knob - QPointF(knobR * 0.3, knobR * 0.4), knobR * 1.4);
    kg.setColorAt(0, Qt::white);
    kg.setColorAt(1, QColor(206, 208, 212));
    p.setPen(QPen(QColor(60, 64, 70), 0.8));
    p.setBrush(kg);
    p.drawEllipse(knob, knobR, knobR);

    const qreal s = knobR * 0.5;
    p.setBrush(Qt::NoBrush);
    if (checked) {
        p.setPen(QPen(QColor(24, 120, 44), std::max(1.5, knobR * 0.28), Qt::SolidLine, Qt::RoundCap,
                      Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(knob + QPointF(-s, 0));
        tick.lineTo(knob + QPointF(-s * 0.25, s * 0.75));
        tick.lineTo(knob + QPointF(s, -s * 0.8));
        p.drawPath(tick);
    } else {
        p.setPen(
            QPen(QColor(170, 40, 40), std::max(1.3, knobR * 0.24), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(knob + QPointF(-s * 0.8, -s * 0.8), knob + QPointF(s * 0.8, s * 0.8));
        p.drawLine(knob + QPointF(s * 0.8, -s * 0.8), knob + QPointF(-s * 0.8, s * 0.8));
    }
    return img;
}

QImage drawButton(const QString &caption, QSize size, bool pressed, qreal dpr)
{
    QImage img = canvas(size, dpr);
    QPainter p(&img);
    prepare(p);
    const qreal w = size.width();
    const qreal h = size.height();
    const QRectF body(0.5, 0.5, w - 1.0, h - 1.0);
    const qreal radius = std::min(5.0, h / 3.0);
    QLinearGradient g(0, 0, 0, h);
    if (pressed) {
        g.setColorAt(0, QColor(190, 136, 34));
        g.setColorAt(1, QColor(236, 192, 96));
    } else {
        g.setColorAt(0, QColor(255, 234, 160));
        g.setColorAt(0.5, QColor(240, 196, 84));
        g.setColorAt(1, QColor(196, 140, 36));
    }
    p.setPen(QPen(QColor(92, 58, 8), 1.0));
    p.setBrush(g);
    p.drawRoundedRect(body, radius, radius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pressed ? QColor(0, 0, 0, 60) : QColor(255, 255, 255, 150), 1.0));
    p.drawRoundedRect(body.adjusted(1, 1, -1, -1), radius - 1, radius - 1);

    if (caption.isEmpty())
        return img;
    // Largest text that fits, with a small margin; pressing moves it down by a pixel.
    QFont f = sansFont(std::clamp(h * 0.5, 7.0, 16.0));
    const qreal room = w - 8.0;
    for (int px = f.pixelSize(); px > 6; --px) {
        f.setPixelSize(px);
        if (QFontMetricsF(f).horizontalAdvance(caption) <= room)
            break;
    }
    // Past the smallest readable size the caption is narrowed rather than cut off.
    const qreal advance = QFontMetricsF(f).horizontalAdvance(caption);
    if (advance > room) {
        p.translate(w / 2, 0);
        p.scale(room / advance, 1.0);
        p.translate(-w / 2, 0);
    }
    const qreal spread = std::max(advance, w - 4);
    const QPointF shift = pressed ? QPointF(0.5, 1.0) : QPointF(0, 0);
    const QRectF box = QRectF((w - spread) / 2, 0, spread, h).translated(shift);
    p.setFont(f);
    p.setPen(QColor(255, 248, 220, pressed ? 60 : 170));
    p.drawText(box.translated(0, 1), Qt::AlignCenter, caption);
    p.setPen(QColor(58, 34, 4));
    p.drawText(box, Qt::AlignCenter, caption);
    return img;
}

QImage drawSpadeIcon(int size, qreal dpr)
{
    const qreal s = size;
    QImage img = canvas(QSize(size, size), dpr);
    QPainter p(&img);
    prepare(p);
    // A felt tile with a gold rim, and the spade in the middle.
    const QRectF tile(s * 0.03, s * 0.03, s * 0.94, s * 0.94);
    const qreal radius = s * 0.2;
    QRadialGradient felt(tile.center() - QPointF(0, s * 0.12), s * 0.75);
    felt.setColorAt(0, QColor(52, 146, 84));
    felt.setColorAt(1, QColor(14, 70, 38));
    p.setPen(size >= 24 ? QPen(QColor(120, 80, 10), std::max(1.0, s / 48.0)) : Qt::NoPen);
    p.setBrush(felt);
    p.drawRoundedRect(tile, radius, radius);
    if (size >= 32) {
        p.setPen(QPen(QColor(232, 184, 64, 200), s / 40.0));
        p.setBrush(Qt::NoBrush);
        const qreal in = s * 0.06;
        p.drawRoundedRect(tile.adjusted(in, in, -in, -in), radius - in, radius - in);
    }
    const QRectF spade(s * 0.18, s * 0.15, s * 0.64, s * 0.68);
    if (size >= 24)
        drawSuit(p, Suit::Spades, spade.translated(s * 0.015, s * 0.025), QColor(0, 0, 0, 90));
    QTransform t;
    t.translate(spade.x(), spade.y());
    t.scale(spade.width() / 100.0, spade.height() / 100.0);
    const QPainterPath path = t.map(suitPath(Suit::Spades));
    QLinearGradient ink(spade.topLeft(), spade.bottomRight());
    ink.setColorAt(0, QColor(70, 74, 86));
    ink.setColorAt(0.45, QColor(18, 20, 26));
    ink.setColorAt(1, QColor(4, 4, 6));
    p.setPen(size >= 24 ? QPen(QColor(246, 240, 220), std::max(0.8, s / 64.0)) : Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(path);
    return img;
}

} // namespace pictures::paintkit
