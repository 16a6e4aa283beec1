#include "resources/panelpictures.h"
#include "resources/pictures.h"

#include <QPainter>
#include <QPainterPath>

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

} // namespace

// The score and last-trick marks are the shared drawings of the picture set.
QPixmap teamSet(qreal dpr)
{
    return pictures::teamSet(dpr);
}

QPixmap teamBagged(qreal dpr)
{
    return pictures::teamBagged(dpr);
}

QPixmap nilGood(qreal dpr)
{
    return pictures::nilGood(dpr);
}

QPixmap nilBad(qreal dpr)
{
    return pictures::nilBad(dpr);
}

QPixmap lastWinner(qreal dpr)
{
    return pictures::lastWinnerMark(dpr);
}

QPixmap lastLead(qreal dpr)
{
    return pictures::lastLeadMark(dpr);
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
