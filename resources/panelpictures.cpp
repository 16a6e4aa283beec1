#include "resources/panelpictures.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace panelpictures {

namespace {

// A transparent canvas of the logical size at the given ratio.
QPixmap canvas(int width, int height, qreal dpr)
{
    QPixmap pixmap(QSize(qRound(width * dpr), qRound(height * dpr)));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void beginSmooth(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
}

QPixmap ringMark(bool good, qreal dpr)
{
    QPixmap pixmap = canvas(24, 24, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    const QColor colour = good ? QColor(0, 150, 40) : QColor(200, 20, 20);
    p.setPen(QPen(colour.darker(130), 1.5));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (good) {
        p.drawPolyline(QPolygonF({{6.5, 12.5}, {10.5, 16.5}, {17.5, 7.5}}));
    } else {
        p.drawLine(QPointF(7.5, 7.5), QPointF(16.5, 16.5));
        p.drawLine(QPointF(16.5, 7.5), QPointF(7.5, 16.5));
    }
    return pixmap;
}

} // namespace

QPixmap teamSet(qreal dpr)
{
    QPixmap pixmap = canvas(40, 40, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    p.translate(20, 20);
    p.rotate(-20);
    const QColor red(190, 20, 20);
    p.setPen(QPen(red, 2.5));
    p.setBrush(QColor(255, 235, 235, 200));
    p.drawRoundedRect(QRectF(-18, -9, 36, 18), 3, 3);
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(-18, -9, 36, 18), Qt::AlignCenter, "SET");
    return pixmap;
}

QPixmap teamBagged(qreal dpr)
{
    QPixmap pixmap = canvas(22, 22, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    QPainterPath sack;
    sack.moveTo(7, 6);
    sack.cubicTo(1, 10, 1, 21, 11, 21);
    sack.cubicTo(21, 21, 21, 10, 15, 6);
    sack.closeSubpath();
    p.setPen(QPen(QColor(110, 75, 30), 1.2));
    p.setBrush(QColor(205, 165, 100));
    p.drawPath(sack);
    p.drawEllipse(QRectF(7, 1.5, 8, 5));
    p.setPen(QPen(QColor(110, 75, 30), 1.5));
    p.drawLine(QPointF(6.5, 6.5), QPointF(15.5, 6.5));
    QFont font("DejaVu Sans");
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(190, 20, 20));
    p.drawText(QRectF(2, 9, 18, 11), Qt::AlignCenter, "-100");
    return pixmap;
}

QPixmap nilGood(qreal dpr)
{
    return ringMark(true, dpr);
}
QPixmap nilBad(qreal dpr)
{
    return ringMark(false, dpr);
}

QPixmap lastWinner(qreal dpr)
{
    QPixmap pixmap = canvas(67, 14, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    QPainterPath star;
    const QPointF centre(33.5, 7);
    for (int i = 0; i < 10; ++i) {
        const qreal radius = (i % 2 == 0) ? 6.5 : 2.8;
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1));
    p.setBrush(QColor(255, 205, 40));
    p.drawPath(star);
    p.setPen(QPen(QColor(255, 205, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4, 7), QPointF(24, 7));
    p.drawLine(QPointF(43, 7), QPointF(63, 7));
    return pixmap;
}

QPixmap lastLead(qreal dpr)
{
    QPixmap pixmap = canvas(8, 20, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    p.setPen(QPen(QColor(20, 60, 140), 1));
    p.setBrush(QColor(80, 150, 255));
    p.drawPolygon(QPolygonF({{1, 2}, {7, 10}, {1, 18}}));
    return pixmap;
}

QPixmap phraseButton(int number, qreal dpr)
{
    QPixmap pixmap = canvas(25, 19, dpr);
    QPainter p(&pixmap);
    beginSmooth(p);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1, 1, 23, 13), 5, 5);
    QPainterPath tail;
    tail.moveTo(6, 13);
    tail.lineTo(5, 18);
    tail.lineTo(11, 13);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 250, 220));
    p.drawPath(bubble);
    QFont font("DejaVu Sans");
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(20, 60, 140));
    p.drawText(QRectF(1, 1, 23, 13), Qt::AlignCenter, QString::number(number));
    return pixmap;
}

} // namespace panelpictures
