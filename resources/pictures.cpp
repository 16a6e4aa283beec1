// Pictures drawn by the program, kept once drawn for each size and pixel ratio.
#include "resources/pictures.h"
#include "resources/paintkit.h"

#include <algorithm>

namespace pictures {

namespace {

using paintkit::cached;
using paintkit::saneRatio;

QString ratioKey(qreal dpr)
{
    return QString::number(saneRatio(dpr), 'f', 3);
}

// One picture of fixed size, keyed by name and ratio.
QPixmap fixed(const char *name, qreal dpr, QImage (*draw)(qreal))
{
    const qreal r = saneRatio(dpr);
    return cached(QLatin1String(name) + QLatin1Char('@') + ratioKey(r), [&] { return draw(r); });
}

QSize saneSize(QSize size)
{
    return QSize(std::clamp(size.width(), 1, 4096), std::clamp(size.height(), 1, 4096));
}

} // namespace

QPixmap card(int index, qreal dpr)
{
    const int i = (index >= 0 && index <= 53) ? index : 53;
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("card%1@").arg(i) + ratioKey(r),
                  [&] { return paintkit::drawCard(i, r); });
}

QPixmap boardBackground(QSize size, qreal dpr, QSize table)
{
    const QSize s = saneSize(size);
    const QSize t = table.isEmpty() ? s : table.boundedTo(s);
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("board%1x%2/%3x%4@")
                          .arg(s.width())
                          .arg(s.height())
                          .arg(t.width())
                          .arg(t.height()) +
                      ratioKey(r),
                  [&] { return paintkit::drawBoard(s, r, t); });
}

QPixmap turnArrow(qreal dpr)
{
    return fixed("turnarrow", dpr, paintkit::drawTurnArrow);
}

QPixmap watchingEyes(qreal dpr)
{
    return fixed("eyes", dpr, paintkit::drawWatchingEyes);
}

QPixmap nilMark(qreal dpr)
{
    return fixed("nil", dpr, paintkit::drawNilMark);
}

QPixmap blindNilMark(qreal dpr)
{
    return fixed("blindnil", dpr, paintkit::drawBlindNilMark);
}

QPixmap trophy(qreal dpr)
{
    return fixed("trophy", dpr, paintkit::drawTrophy);
}

QPixmap trickWinner(qreal dpr)
{
    return fixed("trickwinner", dpr, paintkit::drawTrickWinner);
}

QPixmap flippedHand(qreal dpr)
{
    return fixed("flippedhand", dpr, paintkit::drawFlippedHand);
}

QPixmap boardLogo(qreal dpr)
{
    return fixed("logo", dpr, paintkit::drawBoardLogo);
}

QPixmap lastWinnerMark(qreal dpr)
{
    return fixed("lastwinner", dpr, paintkit::drawLastWinnerMark);
}

QPixmap lastLeadMark(qreal dpr)
{
    return fixed("lastlead", dpr, paintkit::drawLastLeadMark);
}

QPixmap teamSet(qreal dpr)
{
    return fixed("teamset", dpr, paintkit::drawTeamSet);
}

QPixmap teamBagged(qreal dpr)
{
    return fixed("teambagged", dpr, paintkit::drawTeamBagged);
}

QPixmap nilGood(qreal dpr)
{
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("nilgood@") + ratioKey(r),
                  [&] { return paintkit::drawNilResult(true, r); });
}

QPixmap nilBad(qreal dpr)
{
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("nilbad@") + ratioKey(r),
                  [&] { return paintkit::drawNilResult(false, r); });
}

QPixmap checkBoxFace(bool checked, QSize size, qreal dpr)
{
    const QSize s = saneSize(size);
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("check%1/%2x%3@").arg(checked).arg(s.width()).arg(s.height()) +
                      ratioKey(r),
                  [&] { return paintkit::drawCheckBox(checked, s, r); });
}

QPixmap pictureButton(const QString &caption, QSize size, bool pressed, qreal dpr)
{
    const QSize s = saneSize(size);
    const qreal r = saneRatio(dpr);
    const QString key =
        QStringLiteral("button%1/%2x%3@").arg(pressed).arg(s.width()).arg(s.height()) +
        ratioKey(r) + QLatin1Char('/') + caption;
    return cached(key, [&] { return paintkit::drawButton(caption, s, pressed, r); });
}

QPixmap smiley(int index, qreal dpr)
{
    const int i = (index >= 0 && index < kSmileyCount) ? index : 0;
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("smiley%1@").arg(i) + ratioKey(r),
                  [&] { return paintkit::drawSmiley(i, r); });
}

QPixmap spadeIcon(int size)
{
    return spadeIcon(size, 1.0);
}

QPixmap spadeIcon(int size, qreal dpr)
{
    const int s = std::clamp(size, 1, 1024);
    const qreal r = saneRatio(dpr);
    return cached(QStringLiteral("icon%1@").arg(s) + ratioKey(r),
                  [&] { return paintkit::drawSpadeIcon(s, r); });
}

} // namespace pictures
