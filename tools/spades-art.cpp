// Writes the program's generated art into a folder: the lobby window's JPEG, the desktop
// icons, and review sheets of every drawn picture.
//
//   spades-art <folder>
#include "resources/paintkit.h"
#include "resources/pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QSaveFile>

#include <cstdio>
#include <numbers>

namespace {

using pictures::paintkit::Suit;

bool save(const QImage &img, const QString &path, const char *format, int quality = -1)
{
    // Written under a temporary name and renamed, so a failed run leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, format, quality) || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

void drawChipStack(QPainter &p, QPointF base, int count, const QColor &colour)
{
    const qreal rx = 19;
    const qreal ry = 7;
    for (int i = 0; i < count; ++i) {
        const QPointF c = base - QPointF(0, i * 4.5);
        p.setPen(QPen(colour.darker(220), 1.0));
        p.setBrush(colour.darker(140));
        p.drawRect(QRectF(c.x() - rx, c.y(), 2 * rx, 4.5));
        p.drawEllipse(c + QPointF(0, 4.5), rx, ry);
        p.setPen(Qt::NoPen);
        p.setBrush(colour.darker(140));
        p.drawRect(QRectF(c.x() - rx + 0.5, c.y(), 2 * rx - 1, 4.5));
        // White edge marks round the rim.
        p.setBrush(QColor(245, 245, 240));
        for (const qreal dx : {-14.0, -5.0, 5.0, 14.0})
            p.drawRect(QRectF(c.x() + dx - 1.5, c.y() + 0.5, 3, 3.5));
        QRadialGradient top(c - QPointF(5, 3), rx * 1.3);
        top.setColorAt(0, colour.lighter(140));
        top.setColorAt(1, colour);
        p.setPen(QPen(colour.darker(220), 1.0));
        p.setBrush(top);
        p.drawEllipse(c, rx, ry);
    }
    const QPointF c = base - QPointF(0, (count - 1) * 4.5);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rx * 0.62, ry * 0.62);
}

QImage lobbyPicture()
{
    const QSize size(436, 360);
    QImage img(size * 2, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(2);
    QPainter p(&img);
    pictures::paintkit::prepare(p);
    p.drawPixmap(QPointF(0, 0), pictures::boardBackground(size, 2));

    // Soft light on the table and dark corners.
    QRadialGradient light(QPointF(218, 210), 260);
    light.setColorAt(0, QColor(255, 255, 220, 40));
    light.setColorAt(0.6, QColor(0, 0, 0, 0));
    light.setColorAt(1, QColor(0, 0, 0, 110));
    p.fillRect(QRectF(0, 0, 436, 360), light);

    // A large faint spade behind the fan.
    pictures::paintkit::drawSuit(p, Suit::Spades, QRectF(128, 96, 180, 190), QColor(0, 0, 0, 45));

    // The title.
    QFont title = pictures::paintkit::serifFont(60);
    title.setItalic(true);
    const QPainterPath word =
        pictures::paintkit::fittedText(QStringLiteral("Spades"), title, QRectF(108, 14, 220, 62));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawPath(word.translated(2.5, 3));
    QLinearGradient gold(0, 14, 0, 76);
    gold.setColorAt(0, QColor(255, 244, 190));
    gold.setColorAt(0.55, QColor(238, 190, 70));
    gold.setColorAt(1, QColor(190, 126, 20));
    p.setPen(QPen(QColor(90, 56, 6), 1.2));
    p.setBrush(gold);
    p.drawPath(word);
    for (const qreal x : {80.0, 338.0})
        pictures::paintkit::drawSuit(p, Suit::Spades, QRectF(x, 32, 18, 19), QColor(20, 20, 24));

    // A fanned royal flush in spades.
    const int fan[] = {35, 36, 37, 38, 39};
    const QPointF pivot(218, 372);
    const QSizeF cardSize(pictures::kCardSize * 1.3);
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.translate(pivot);
        p.rotate(-26 + i * 13);
        const QRectF r(-cardSize.width() / 2, -250, cardSize.width(), cardSize.height());
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 70));
        p.drawRoundedRect(r.translated(3, 4), 6, 6);
        p.drawPixmap(r, pictures::card(fan[i], 3.0), QRectF());
        p.restore();
    }

    // Two face-down cards and the chips of the table.
    p.save();
    p.translate(76, 262);
    p.rotate(-18);
    p.drawPixmap(QRectF(-35, -48, 71, 96), pictures::card(0, 3.0), QRectF());
    p.translate(12, 6);
    p.rotate(10);
    p.drawPixmap(QRectF(-35, -48, 71, 96), pictures::card(0, 3.0), QRectF());
    p.restore();
    drawChipStack(p, QPointF(360, 318), 6, QColor(190, 30, 40));
    drawChipStack(p, QPointF(392, 288), 4, QColor(30, 70, 170));
    drawChipStack(p, QPointF(340, 268), 3, QColor(30, 30, 36));
    drawChipStack(p, QPointF(60, 330), 3, QColor(230, 230, 225));
    p.end();
    return img.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

// Every picture on one sheet at the given ratio, on a neutral ground.
QImage contactSheet(qreal dpr)
{
    const QSize size(1150, 760);
    QImage img(size * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    img.fill(QColor(200, 204, 200));
    QPainter p(&img);
    pictures::paintkit::prepare(p);
    p.fillRect(QRectF(0, 420, 1150, 340), QColor(26, 96, 52));
    for (int i = 0; i <= 53; ++i) {
        const int row = i == 0 ? 0 : (i == 53 ? 4 : (i - 1) / 13);
        const int col = i == 0 ? 13 : (i == 53 ? 13 : (i - 1) % 13);
        const QPointF at(8 + col * 81, 8 + row * 102);
        p.drawPixmap(at, pictures::card(i, dpr));
    }
    qreal x = 10;
    const qreal y = 432;
    auto put = [&](const QPixmap &pm, qreal dy = 0) {
        p.drawPixmap(QPointF(x, y + dy), pm);
        x += pm.width() / pm.devicePixelRatio() + 12;
    };
    put(pictures::turnArrow(dpr));
    put(pictures::watchingEyes(dpr));
    put(pictures::nilMark(dpr));
    put(pictures::blindNilMark(dpr));
    put(pictures::trophy(dpr));
    put(pictures::trickWinner(dpr));
    put(pictures::flippedHand(dpr));
    put(pictures::boardLogo(dpr));
    put(pictures::lastWinnerMark(dpr));
    put(pictures::lastLeadMark(dpr));
    put(pictures::teamSet(dpr));
    put(pictures::teamBagged(dpr));
    put(pictures::nilGood(dpr));
    put(pictures::nilBad(dpr));
    x = 10;
    const qreal y2 = 560;
    p.drawPixmap(QPointF(x, y2), pictures::checkBoxFace(false, QSize(44, 28), dpr));
    p.drawPixmap(QPointF(x + 52, y2), pictures::checkBoxFace(true, QSize(44, 28), dpr));
    const char *captions[] = {"Start Game", "Bid", "Nil", "Blind Nil", "Look", "Last Trick", "X"};
    const int widths[] = {100, 60, 60, 70, 60, 80, 22};
    qreal bx = x + 110;
    for (int i = 0; i < 7; ++i) {
        const QSize s(widths[i], 24);
        p.drawPixmap(QPointF(bx, y2), pictures::pictureButton(captions[i], s, false, dpr));
        p.drawPixmap(QPointF(bx, y2 + 30), pictures::pictureButton(captions[i], s, true, dpr));
        bx += widths[i] + 10;
    }
    for (int i = 0; i < pictures::kSmileyCount; ++i) {
        p.fillRect(QRectF(10 + i * 24 - 2, 630 - 2, 21, 20), QColor(230, 251, 251));
        p.drawPixmap(QPointF(10 + i * 24, 630), pictures::smiley(i, dpr));
    }
    qreal ix = 10;
    for (const int s : {16, 24, 32, 48, 64}) {
        p.drawPixmap(QPointF(ix, 670), pictures::spadeIcon(s, dpr));
        ix += s + 10;
    }
    return img;
}

// The board as it looks in play, cards placed where the table puts them.
QImage boardPreview(qreal dpr)
{
    const QSize size(768, 483);
    QImage img(size * dpr, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(dpr);
    QPainter p(&img);
    pictures::paintkit::prepare(p);
    p.drawPixmap(QPointF(0, 0), pictures::boardBackground(size, dpr));
    p.fillRect(QRectF(478, 168, 265, 268), QColor(230, 251, 251));
    const QPoint played[] = {{219, 187}, {179, 171}, {203, 146}, {243, 163}};
    const int cards[] = {52, 49, 12, 30};
    for (int i = 0; i < 4; ++i)
        p.drawPixmap(played[i], pictures::card(cards[i], dpr));
    for (const QPoint at : {QPoint(37, 189), QPoint(227, 29), QPoint(385, 133)})
        p.drawPixmap(at, pictures::card(0, dpr));
    const int hand[] = {2, 7, 11, 15, 22, 26, 28, 33, 36, 39, 42, 47, 51};
    for (int i = 0; i < 13; ++i)
        p.drawPixmap(QPointF(170 + 18 * i, 333), pictures::card(hand[i], dpr));
    p.drawPixmap(QPointF(52, 312), pictures::turnArrow(dpr));
    p.drawPixmap(QPointF(150, 21), pictures::watchingEyes(dpr));
    p.drawPixmap(QPointF(117, 149), pictures::nilMark(dpr));
    p.drawPixmap(QPointF(106, 148), pictures::blindNilMark(dpr));
    p.drawPixmap(QPointF(352, 197), pictures::trickWinner(dpr));
    p.drawPixmap(QPointF(560, 30), pictures::boardLogo(dpr));
    p.drawPixmap(QPointF(560, 90), pictures::trophy(dpr));
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: spades-art <folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = save(lobbyPicture(), out.filePath("lobby.jpg"), "JPG", 90);
    for (const int s : {48, 128, 256})
        ok &= save(pictures::spadeIcon(s).toImage(),
                   out.filePath(QStringLiteral("spades-%1.png").arg(s)), "PNG");
    ok &= save(contactSheet(1.0), out.filePath("contact-sheet.png"), "PNG");
    ok &= save(contactSheet(2.0), out.filePath("contact-sheet-2x.png"), "PNG");
    ok &= save(boardPreview(1.0), out.filePath("board-preview.png"), "PNG");
    return ok ? 0 : 1;
}
