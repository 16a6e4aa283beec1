#include "resources/paintkit.h"

#include <QCache>

#include <QTransform>
#include <algorithm>

#include <cmath>

namespace pictures::paintkit {

namespace {

QPainterPath makeSpade()
{
    QPainterPath p;
    p.moveTo(50, 2);
    p.cubicTo(58, 16, 78, 28, 90, 42);
    p.cubicTo(102, 56, 98, 80, 76, 81);
    p.cubicTo(66, 82, 58, 77, 54, 70);
    p.quadTo(56, 88, 69, 98);
    p.lineTo(31, 98);
    p.quadTo(44, 88, 46, 70);
    p.cubicTo(42, 77, 34, 82, 24, 81);
    p.cubicTo(2, 80, -2, 56, 10, 42);
    p.cubicTo(22, 28, 42, 16, 50, 2);
    p.closeSubpath();
    return p;
}

QPainterPath makeHeart()
{
    QPainterPath p;
    p.moveTo(50, 97);
    p.cubicTo(38, 81, 2, 61, 2, 31);
    p.cubicTo(2, 13, 14, 3, 28, 3);
    p.cubicTo(39, 3, 47, 10, 50, 20);
    p.cubicTo(53, 10, 61, 3, 72, 3);
    p.cubicTo(86, 3, 98, 13, 98, 31);
    p.cubicTo(98, 61, 62, 81, 50, 97);
    p.closeSubpath();
    return p;
}

QPainterPath makeDiamond()
{
    QPainterPath p;
    p.moveTo(50, 0);
    p.quadTo(66, 28, 90, 50);
    p.quadTo(66, 72, 50, 100);
    p.quadTo(34, 72, 10, 50);
    p.quadTo(34, 28, 50, 0);
    p.closeSubpath();
    return p;
}

QPainterPath makeClub()
{
    QPainterPath leaves;
    leaves.addEllipse(QPointF(50, 26), 22, 22);
    QPainterPath left;
    left.addEllipse(QPointF(26, 59), 22, 22);
    QPainterPath right;
    right.addEllipse(QPointF(74, 59), 22, 22);
    QPainterPath heart;
    heart.moveTo(50, 30);
    heart.lineTo(30, 60);
    heart.lineTo(70, 60);
    heart.closeSubpath();
    QPainterPath stem;
    stem.moveTo(46, 58);
    stem.quadTo(46, 86, 31, 98);
    stem.lineTo(69, 98);
    stem.quadTo(54, 86, 54, 58);
    stem.closeSubpath();
    return leaves.united(left).united(right).united(heart).united(stem).simplified();
}

} // namespace

const QPainterPath &suitPath(Suit s)
{
    static const QPainterPath paths[] = {makeClub(), makeDiamond(), makeSpade(), makeHeart()};
    return paths[static_cast<int>(s)];
}

void drawSuit(QPainter &p, Suit s, const QRectF &box, const QColor &ink, bool upsideDown)
{
    QTransform t;
    t.translate(box.x(), box.y());
    if (upsideDown) {
        t.translate(box.width(), box.height());
        t.rotate(180);
    }
    t.scale(box.width() / 100.0, box.height() / 100.0);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawPath(t.map(suitPath(s)));
    p.restore();
}

QPainterPath fittedText(const QString &text, const QFont &font, const QRectF &box)
{
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF b = path.boundingRect();
    if (b.isEmpty() || box.isEmpty())
        return {};
    const qreal sy = box.height() / b.height();
    const qreal sx = std::min(sy, box.width() / b.width());
    QTransform t;
    t.translate(box.center().x(), box.center().y());
    t.scale(sx, sy);
    t.translate(-b.center().x(), -b.center().y());
    return t.map(path);
}

QFont sansFont(qreal pixelSize, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(std::max(1, qRound(pixelSize)));
    f.setBold(bold);
    return f;
}

QFont serifFont(qreal pixelSize, bool bold)
{
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(std::max(1, qRound(pixelSize)));
    f.setBold(bold);
    return f;
}

qreal saneRatio(qreal dpr)
{
    if (!std::isfinite(dpr) || dpr < 1.0)
        return 1.0;
    return std::min(dpr, 8.0);
}

QImage canvas(QSize logical, qreal dpr)
{
    const qreal r = saneRatio(dpr);
    const QSize device(std::max(1, qRound(logical.width() * r)),
                       std::max(1, qRound(logical.height() * r)));
    QImage img(device, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    img.setDevicePixelRatio(r);
    return img;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPixmap cached(const QString &key, const std::function<QImage()> &draw)
{
    // Used from the GUI thread only, as every picture is. A board resized
    // slowly asks for every picture at many ratios; the least recently used
    // go once the store holds about 32 MB.
    static QCache<QString, QPixmap> store(32 * 1024);
    if (const QPixmap *hit = store.object(key))
        return *hit;
    QPixmap pm = QPixmap::fromImage(draw());
    const qint64 kib = qint64(pm.width()) * pm.height() * 4 / 1024;
    store.insert(key, new QPixmap(pm), qsizetype(std::clamp<qint64>(kib, 1, store.maxCost())));
    return pm;
}

} // namespace pictures::paintkit
