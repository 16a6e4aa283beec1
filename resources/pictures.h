#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Every picture the program shows is drawn here, at the device pixel ratio
// asked for, so it stays crisp on high-density screens. Sizes are logical.
namespace pictures {

constexpr QSize kCardSize{71, 96};
constexpr QSize kTurnArrowSize{26, 34};
constexpr QSize kWatchingEyesSize{17, 12};
constexpr QSize kNilMarkSize{25, 57};
constexpr QSize kBlindNilMarkSize{16, 57};
constexpr QSize kTrophySize{92, 90};
constexpr QSize kTrickWinnerSize{32, 41};
constexpr QSize kFlippedHandSize{155, 96};
constexpr QSize kSmileySize{17, 16};
constexpr QSize kTeamSetSize{40, 40};
constexpr QSize kTeamBaggedSize{22, 22};
constexpr QSize kNilResultSize{24, 24};
constexpr QSize kBoardLogoSize{160, 48};
constexpr QSize kLastWinnerMarkSize{67, 14};
constexpr QSize kLastLeadMarkSize{8, 20};

// The card image list: 0 the back, 1..52 the faces in card-number order,
// 53 a dark blank face. Anything else gives the blank.
QPixmap card(int index, qreal dpr = 1.0);

// The table felt of the board panel. On a wide felt the light and the ring
// round the trick fall on the table's part, `table` at the top left (the whole
// felt when empty); the rest is for the chat.
QPixmap boardBackground(QSize size, qreal dpr = 1.0, QSize table = {});
QPixmap turnArrow(qreal dpr = 1.0);    // 26 x 34
QPixmap watchingEyes(qreal dpr = 1.0); // 17 x 12
QPixmap nilMark(qreal dpr = 1.0);      // 25 x 57
QPixmap blindNilMark(qreal dpr = 1.0); // 16 x 57
QPixmap trophy(qreal dpr = 1.0);       // 92 x 90
QPixmap trickWinner(qreal dpr = 1.0);  // 32 x 41
QPixmap flippedHand(qreal dpr = 1.0);  // the own face-down hand, 155 x 96
QPixmap boardLogo(qreal dpr = 1.0);    // the game's name for the board, 160 x 48

// Marks of the last-trick window: above the winning card, beside the card led.
QPixmap lastWinnerMark(qreal dpr = 1.0); // 67 x 14
QPixmap lastLeadMark(qreal dpr = 1.0);   // 8 x 20

// Pictures of the score panel.
QPixmap teamSet(qreal dpr = 1.0);    // the team was set, 40 x 40
QPixmap teamBagged(qreal dpr = 1.0); // a bag penalty, 22 x 22
QPixmap nilGood(qreal dpr = 1.0);    // a Nil made, 24 x 24
QPixmap nilBad(qreal dpr = 1.0);     // a Nil lost, 24 x 24

// Check-box faces of the game options dialog (a two-image list: 0 off, 1 on).
QPixmap checkBoxFace(bool checked, QSize size, qreal dpr = 1.0);
// A picture button such as "Start Game"; `pressed` draws it pushed in.
QPixmap pictureButton(const QString &caption, QSize size, bool pressed, qreal dpr = 1.0);

// Smilies of the chat: 18 pictures of 17 x 16, index 0..17.
constexpr int kSmileyCount = 18;
QPixmap smiley(int index, qreal dpr = 1.0);

// The program's icon: a spade, square, any size (clamped to 1..1024).
QPixmap spadeIcon(int size);
QPixmap spadeIcon(int size, qreal dpr);

} // namespace pictures
