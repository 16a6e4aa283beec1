// The eighteen chat smilies, 17 x 16 each.
#include "resources/paintkit.h"
#include "resources/pictures.h"

#include <QRadialGradient>

namespace pictures::paintkit {

namespace {

const QColor kFeature(52, 30, 8);

struct Face
{
    QPointF centre{8.5, 8.0};
    qreal radius = 7.3;
    QColor light{255, 242, 128};
    QColor dark{240, 172, 16};
};

void paintFace(QPainter &p, const Face &f)
{
    QRadialGradient g(f.centre - QPointF(2.0, 2.5), f.radius * 1.5);
    g.setColorAt(0, f.light);
    g.setColorAt(1, f.dark);
    p.setPen(QPen(f.dark.darker(190), 0.9));
    p.setBrush(g);
    p.drawEllipse(f.centre, f.radius, f.radius);
}

QPointF at(const Face &f, qreal dx, qreal dy)
{
    return f.centre + QPointF(dx, dy) * (f.radius / 7.3);
}

void dotEyes(QPainter &p, const Face &f, bool leftOpen = true, bool rightOpen = true)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kFeature);
    const qreal k = f.radius / 7.3;
    if (leftOpen)
        p.drawEllipse(at(f, -2.5, -1.9), 1.0 * k, 1.5 * k);
    if (rightOpen)
        p.drawEllipse(at(f, 2.5, -1.9), 1.0 * k, 1.5 * k);
}

QPen line(qreal width = 1.1)
{
    return QPen(kFeature, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A curve from (-w, y) through the middle to (w, y); `bend` > 0 smiles, < 0 frowns.
void mouth(QPainter &p, const Face &f, qreal y, qreal w, qreal bend, qreal width = 1.1)
{
    QPainterPath m;
    m.moveTo(at(f, -w, y));
    m.quadTo(at(f, 0, y + bend), at(f, w, y));
    p.setPen(line(width));
    p.setBrush(Qt::NoBrush);
    p.drawPath(m);
}

void closedEye(QPainter &p, const Face &f, qreal dx, qreal bend)
{
    QPainterPath e;
    e.moveTo(at(f, dx - 1.5, -1.6));
    e.quadTo(at(f, dx, -1.6 + bend), at(f, dx + 1.5, -1.6));
    p.setPen(line(1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(e);
}

void openMouth(QPainter &p, const Face &f, const QColor &inside)
{
    QPainterPath m;
    m.moveTo(at(f, -3.6, 1.4));
    m.lineTo(at(f, 3.6, 1.4));
    m.quadTo(at(f, 3.4, 5.8), at(f, 0, 5.6));
    m.quadTo(at(f, -3.4, 5.8), at(f, -3.6, 1.4));
    m.closeSubpath();
    p.setPen(line(0.9));
    p.setBrush(inside);
    p.drawPath(m);
}

void paintSmiley(QPainter &p, int index)
{
    Face f;
    switch (index) {
    case 7: // angry: red face
        f.light = QColor(255, 150, 110);
        f.dark = QColor(210, 50, 30);
        break;
    case 14: // devil: purple, room for horns
        f.centre = QPointF(8.5, 8.8);
        f.radius = 6.6;
        f.light = QColor(214, 130, 240);
        f.dark = QColor(120, 40, 160);
        break;
    case 15: // angel: room for the halo
        f.centre = QPointF(8.5, 9.2);
        f.radius = 6.4;
        break;
    case 17: // sick: green
        f.light = QColor(206, 240, 150);
        f.dark = QColor(120, 170, 50);
        break;
    default:
        break;
    }
    if (index == 14) {
        p.setPen(QPen(QColor(60, 10, 80), 0.6));
        p.setBrush(QColor(200, 30, 40));
        for (const int side : {-1, 1}) {
            QPainterPath horn;
            horn.moveTo(8.5 + side * 2.2, 3.2);
            horn.lineTo(8.5 + side * 6.8, 0.3);
            horn.lineTo(8.5 + side * 5.6, 5.0);
            horn.closeSubpath();
            p.drawPath(horn);
        }
    }
    paintFace(p, f);
    switch (index) {
    case 0: // smile
        dotEyes(p, f);
        mouth(p, f, 1.8, 3.4, 3.4);
        break;
    case 1: // wink
        dotEyes(p, f, true, false);
        closedEye(p, f, 2.5, -1.2);
        mouth(p, f, 1.6, 3.4, 3.4);
        break;
    case 2: // sad
        dotEyes(p, f);
        mouth(p, f, 4.2, 3.0, -2.8);
        break;
    case 3: // laugh: eyes squeezed shut, wide open mouth
        closedEye(p, f, -2.5, -1.6);
        closedEye(p, f, 2.5, -1.6);
        openMouth(p, f, QColor(150, 20, 30));
        break;
    case 4: { // tongue out
        dotEyes(p, f);
        mouth(p, f, 1.8, 3.4, 2.4);
        p.setPen(QPen(QColor(150, 20, 40), 0.7));
        p.setBrush(QColor(236, 70, 90));
        p.drawEllipse(at(f, 0.6, 4.4), 1.6, 1.7);
        break;
    }
    case 5: // surprised
        p.setPen(Qt::NoPen);
        p.setBrush(kFeature);
        p.drawEllipse(at(f, -2.5, -2.2), 1.2, 1.7);
        p.drawEllipse(at(f, 2.5, -2.2), 1.2, 1.7);
        p.setPen(line(1.0));
        p.setBrush(QColor(120, 30, 20));
        p.drawEllipse(at(f, 0, 3.4), 1.6, 2.0);
        break;
    case 6: { // cool: dark glasses
        p.setPen(QPen(QColor(10, 10, 14), 0.9));
        p.setBrush(QColor(20, 22, 30));
        p.drawRoundedRect(QRectF(at(f, -5.4, -3.6), QSizeF(4.6, 3.2)), 1.2, 1.2);
        p.drawRoundedRect(QRectF(at(f, 0.8, -3.6), QSizeF(4.6, 3.2)), 1.2, 1.2);
        p.drawLine(at(f, -1.0, -2.8), at(f, 1.0, -2.8));
        p.setPen(QPen(QColor(255, 255, 255, 170), 0.6));
        p.drawLine(at(f, -4.6, -3.0), at(f, -3.4, -3.0));
        p.drawLine(at(f, 1.6, -3.0), at(f, 2.8, -3.0));
        mouth(p, f, 2.2, 2.8, 2.2);
        break;
    }
    case 7: // angry: slanted brows, frown
        dotEyes(p, f);
        p.setPen(line(1.1));
        p.drawLine(at(f, -4.4, -4.6), at(f, -1.2, -3.2));
        p.drawLine(at(f, 4.4, -4.6), at(f, 1.2, -3.2));
        mouth(p, f, 4.0, 3.0, -2.2);
        break;
    case 8: { // grin with teeth
        dotEyes(p, f);
        QPainterPath m;
        m.moveTo(at(f, -4.0, 1.4));
        m.quadTo(at(f, 0, 2.4), at(f, 4.0, 1.4));
        m.quadTo(at(f, 0, 7.6), at(f, -4.0, 1.4));
        m.closeSubpath();
        p.setPen(line(0.9));
        p.setBrush(Qt::white);
        p.drawPath(m);
        p.setPen(QPen(QColor(140, 120, 100), 0.5));
        p.drawLine(at(f, -3.8, 2.7), at(f, 3.8, 2.7));
        break;
    }
    case 9: // crying
        dotEyes(p, f);
        mouth(p, f, 4.2, 2.8, -2.6);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 150, 240));
        p.drawEllipse(at(f, -2.9, 1.2), 0.9, 1.5);
        p.drawEllipse(at(f, 2.9, 1.6), 0.9, 1.5);
        break;
    case 10: { // confused: one brow up, wavy mouth
        dotEyes(p, f);
        p.setPen(line(0.9));
        p.drawLine(at(f, 1.2, -4.6), at(f, 4.0, -5.2));
        QPainterPath m;
        m.moveTo(at(f, -3.4, 3.4));
        m.cubicTo(at(f, -1.6, 1.6), at(f, 0.4, 5.2), at(f, 3.4, 2.8));
        p.setBrush(Qt::NoBrush);
        p.drawPath(m);
        break;
    }
    case 11: { // sleepy: shut eyes and a small "z"
        closedEye(p, f, -2.5, 1.2);
        closedEye(p, f, 2.5, 1.2);
        p.setPen(line(0.9));
        p.setBrush(QColor(120, 30, 20));
        p.drawEllipse(at(f, 0, 3.4), 1.1, 1.1);
        QPainterPath z;
        z.moveTo(12.8, 0.8);
        z.lineTo(16.0, 0.8);
        z.lineTo(12.8, 4.0);
        z.lineTo(16.0, 4.0);
        p.setPen(QPen(QColor(30, 60, 160), 0.9));
        p.setBrush(Qt::NoBrush);
        p.drawPath(z);
        break;
    }
    case 12: { // kiss: puckered red lips
        closedEye(p, f, -2.5, 1.2);
        dotEyes(p, f, false, true);
        p.setPen(QPen(QColor(140, 10, 30), 0.6));
        p.setBrush(QColor(220, 30, 60));
        p.drawEllipse(at(f, 0.4, 2.3), 1.4, 1.1);
        p.drawEllipse(at(f, 0.4, 4.2), 1.4, 1.1);
        break;
    }
    case 13: // blush: happy shut eyes and rosy cheeks
        closedEye(p, f, -2.5, -1.4);
        closedEye(p, f, 2.5, -1.4);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 110, 120, 150));
        p.drawEllipse(at(f, -4.3, 1.2), 1.5, 1.0);
        p.drawEllipse(at(f, 4.3, 1.2), 1.5, 1.0);
        mouth(p, f, 2.2, 2.4, 2.4);
        break;
    case 14: // devil: a sly grin
        dotEyes(p, f);
        p.setPen(line(1.0));
        p.drawLine(at(f, -4.0, -4.8), at(f, -1.0, -3.6));
        p.drawLine(at(f, 4.0, -4.8), at(f, 1.0, -3.6));
        mouth(p, f, 1.6, 3.8, 3.6);
        break;
    case 15: // angel: halo and a gentle smile
        p.setPen(QPen(QColor(230, 170, 20), 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8.5, 1.7), 4.6, 1.2);
        dotEyes(p, f);
        mouth(p, f, 2.0, 3.0, 2.6);
        break;
    case 16: // neutral
        dotEyes(p, f);
        p.setPen(line(1.1));
        p.drawLine(at(f, -3.0, 3.3), at(f, 3.0, 3.3));
        break;
    case 17: { // sick: queasy mouth
        dotEyes(p, f);
        QPainterPath m;
        m.moveTo(at(f, -3.6, 3.4));
        m.quadTo(at(f, -1.8, 2.0), at(f, 0, 3.4));
        m.quadTo(at(f, 1.8, 4.8), at(f, 3.6, 3.4));
        p.setPen(line(1.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(m);
        break;
    }
    default:
        break;
    }
}

} // namespace

QImage drawSmiley(int index, qreal dpr)
{
    QImage img = canvas(pictures::kSmileySize, dpr);
    QPainter p(&img);
    prepare(p);
    paintSmiley(p, (index >= 0 && index < pictures::kSmileyCount) ? index : 0);
    return img;
}

} // namespace pictures::paintkit
