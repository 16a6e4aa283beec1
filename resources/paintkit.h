#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

// Shared drawing helpers of the picture set; not part of the public interface.
namespace pictures::paintkit {

enum class Suit { Clubs, Diamonds, Spades, Hearts };

inline const QColor kRedInk{190, 20, 42};
inline const QColor kBlackInk{22, 24, 30};
inline const QColor kGold{232, 184, 64};
inline const QColor kGoldDark{120, 80, 14};

inline QColor suitInk(Suit s)
{
    return (s == Suit::Diamonds || s == Suit::Hearts) ? kRedInk : kBlackInk;
}

// A suit symbol as a vector outline in a 100 x 100 box.
const QPainterPath &suitPath(Suit s);

// Fills the suit symbol scaled into `box`, turned half round when `upsideDown`.
void drawSuit(QPainter &p, Suit s, const QRectF &box, const QColor &ink, bool upsideDown = false);

// The outline of `text` in `font`, scaled to fit `box` (keeping its proportions unless the
// text is too wide, in which case it is squeezed sideways) and centred in it.
QPainterPath fittedText(const QString &text, const QFont &font, const QRectF &box);

QFont sansFont(qreal pixelSize, bool bold = true);
QFont serifFont(qreal pixelSize, bool bold = true);

// A device pixel ratio that can be used to size an image: finite, 1 to 8.
qreal saneRatio(qreal dpr);

// A transparent image for `logical` pixels at the given ratio, ratio already applied.
QImage canvas(QSize logical, qreal dpr);

// Turns on the render hints every picture wants.
void prepare(QPainter &p);

// Looks a picture up by key, drawing and keeping it the first time.
QPixmap cached(const QString &key, const std::function<QImage()> &draw);

// Picture bodies, drawn by the other files of the set.
QImage drawCard(int index, qreal dpr);
QImage drawSmiley(int index, qreal dpr);
QImage drawBoard(QSize size, qreal dpr, QSize table);
QImage drawTurnArrow(qreal dpr);
QImage drawWatchingEyes(qreal dpr);
QImage drawNilMark(qreal dpr);
QImage drawBlindNilMark(qreal dpr);
QImage drawTrophy(qreal dpr);
QImage drawTrickWinner(qreal dpr);
QImage drawFlippedHand(qreal dpr);
QImage drawBoardLogo(qreal dpr);
QImage drawLastWinnerMark(qreal dpr);
QImage drawLastLeadMark(qreal dpr);
QImage drawTeamSet(qreal dpr);
QImage drawTeamBagged(qreal dpr);
QImage drawNilResult(bool good, qreal dpr);
QImage drawCheckBox(bool checked, QSize size, qreal dpr);
QImage drawButton(const QString &caption, QSize size, bool pressed, qreal dpr);
QImage drawSpadeIcon(int size, qreal dpr);

} // namespace pictures::paintkit
