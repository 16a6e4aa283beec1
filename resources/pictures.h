#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Every picture the program shows is drawn here, at the device pixel ratio
// asked for, so it stays crisp on high-density screens. Sizes are logical.
namespace pictures {

constexpr QSize kCardSize{71, 96};

// The card image list: 0 the back, 1..52 the faces in card-number order,
// 53 a dark blank face. Anything else gives the blank.
QPixmap card(int index, qreal dpr = 1.0);

QPixmap boardBackground(QSize size, qreal dpr = 1.0); // the table felt of the board panel
QPixmap turnArrow(qreal dpr = 1.0);                   // 26 x 34
QPixmap watchingEyes(qreal dpr = 1.0);                // 17 x 12
QPixmap nilMark(qreal dpr = 1.0);                     // 25 x 57
QPixmap blindNilMark(qreal dpr = 1.0);                // 16 x 57
QPixmap trophy(qreal dpr = 1.0);                      // 92 x 90
QPixmap trickWinner(qreal dpr = 1.0);                 // 32 x 41
QPixmap flippedHand(qreal dpr = 1.0);                 // the own face-down hand

// Check-box faces of the game options dialog (a two-image list: 0 off, 1 on).
QPixmap checkBoxFace(bool checked, QSize size, qreal dpr = 1.0);
// A picture button such as "Start Game"; `pressed` draws it pushed in.
QPixmap pictureButton(const QString &caption, QSize size, bool pressed, qreal dpr = 1.0);

// Smilies of the chat: 18 pictures of 17 x 16, index 0..17.
constexpr int kSmileyCount = 18;
QPixmap smiley(int index, qreal dpr = 1.0);

// The program's icon: a spade, square, any size.
QPixmap spadeIcon(int size);

} // namespace pictures
