#pragma once

#include <QPixmap>

// Small marks of the score panel, the last-trick window and the phrase
// buttons. Drawn at the asked device pixel ratio; sizes are logical.
namespace panelpictures {

QPixmap teamSet(qreal dpr = 1.0);                  // 40 x 40: the team went set
QPixmap teamBagged(qreal dpr = 1.0);               // 22 x 22: a sandbag, the bag penalty struck
QPixmap nilGood(qreal dpr = 1.0);                  // 24 x 24: a Nil made
QPixmap nilBad(qreal dpr = 1.0);                   // 24 x 24: a Nil set
QPixmap lastWinner(qreal dpr = 1.0);               // 67 x 14: over the card that took the trick
QPixmap lastLead(qreal dpr = 1.0);                 // 8 x 20: beside the card that led
QPixmap phraseButton(int number, qreal dpr = 1.0); // 25 x 19: a speech bubble

} // namespace panelpictures
