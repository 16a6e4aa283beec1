#pragma once

#include <QFont>
#include <QHash>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

// Keeps the board's controls where the board's layout puts them, times one
// uniform scale: the board fills what room the window gives it, keeping its
// proportions, and the room left over on the right or below goes to the
// controls anchored to it (the chat).
//
// Every control is known by its place at scale 1 (its base). Controls are
// learnt from the board as built (capture) or when placed later (place);
// code that moves a control afterwards says where it goes at scale 1, never
// where it is now. Texts grow with the scale, and pictures are drawn anew at
// the size shown.
class BoardScaler : public QObject
{
    Q_OBJECT

public:
    // Which edges of a control follow the room beyond the scaled board.
    struct Anchors
    {
        bool left = false;
        bool top = false;
        bool right = false;
        bool bottom = false;
    };

    // The board stands at scale 1 in any room up to `firstRoom` (what the
    // window's first size gives it) and grows only beyond.
    BoardScaler(QWidget *board, QSize baseSize, QSize firstRoom);

    // Learns every control on the board at its present place, taken as its
    // base: call once, while the scale is 1. Panels (objects named
    // "panel_...") are learnt with their contents.
    void capture();
    // Puts a control at its base rectangle, learning it if new.
    void place(QWidget *control, const QRect &base);
    // Lets go of a control: it is placed by its owner from now on.
    void forget(QWidget *control);
    // Makes the control follow the room beyond the board; with keepFont its
    // text keeps its own size (the chat has a text size of its own).
    void anchor(QWidget *control, Anchors anchors, bool keepFont);

    // The base rectangle of a control; its present geometry when unknown.
    QRect base(const QWidget *control) const;
    bool knows(const QWidget *control) const { return m_controls.contains(control); }

    // Fits the board into the room: every control is placed anew.
    void fit(QSize room);
    qreal scale() const { return m_scale; }
    // The room beyond the scaled board, right and below.
    QSize extra() const { return m_extra; }

    // The largest scale, not below 1, at which the base size fits the room.
    static qreal scaleFor(QSize room, QSize baseSize);
    // A rectangle at a scale. Edges are rounded, not sizes, so controls that
    // touch or stand apart at scale 1 still do.
    static QRect scaled(const QRect &base, qreal scale);

private:
    struct Control
    {
        QRect base;
        QFont font;
        QSize iconSize; // empty when the control shows no icon
        Anchors anchors;
        bool keepFont = false;
    };

    void learn(QWidget *control, const QRect &base);
    void learnTree(QWidget *parent);
    void apply(QWidget *control, const Control &c) const;

    QWidget *m_board;
    QSize m_baseSize;
    QSize m_firstRoom;
    qreal m_scale = 1.0;
    QSize m_extra;
    QHash<const QWidget *, Control> m_controls;
};
