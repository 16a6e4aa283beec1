#pragma once

#include "chat/namelabel.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <functional>

// Draws a picture at a device pixel ratio: one of the pictures:: functions.
using PictureMaker = std::function<QPixmap(qreal dpr)>;

// A picture control: the picture is drawn at the top-left corner, at the
// board's scale, from its maker, so it is as sharp as the screen allows at
// any size; it can be emptied. Mouse presses are reported with their button.
class BoardPicture : public QLabel
{
    Q_OBJECT

public:
    BoardPicture(const QString &name, const QRect &geometry, QWidget *parent);

    void setPicture(PictureMaker maker);
    void clearPicture();
    bool hasPicture() const { return bool(m_maker); }
    // 1 draws the picture at its own size.
    void setScale(qreal scale);
    qreal scale() const { return m_scale; }
    // The picture covers the whole control, stretched if it must: for a
    // picture without sharp lines that follows the control's size late.
    void setFill(bool fill);

signals:
    void pressed(Qt::MouseButton button);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // The picture as last drawn for the screen; empty before the first paint.
    const QPixmap &drawnPicture() const { return m_drawn; }

private:
    PictureMaker m_maker;
    qreal m_scale = 1.0;
    bool m_fill = false;
    // Drawn when first shown at this scale and ratio.
    QPixmap m_drawn;
    qreal m_drawnRatio = 0.0;
};

// A seat's name label; its right click opens a menu.
class BoardLabel : public NameLabel
{
    Q_OBJECT

public:
    BoardLabel(const QString &name, const QString &text, const QPoint &at, QWidget *parent);

signals:
    void rightClicked(const QPoint &globalPos);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

// A button drawn as a picture, pushed in while held down. Its picture grows
// with the button: drawn at its first size, at a higher ratio.
class BoardButton : public QAbstractButton
{
    Q_OBJECT

public:
    BoardButton(const QString &name, const QString &caption, const QRect &geometry,
                QWidget *parent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSize m_baseSize;
};

// One card of the own hand: named "card" + hand position, hint = card number.
class CardPicture : public BoardPicture
{
    Q_OBJECT

public:
    CardPicture(int position, int card, QWidget *parent);

    int position() const { return m_position; }
    int card() const { return m_card; }
    // A dimmed card lies under a dark veil: the rules do not let it be played now.
    void setDimmed(bool dimmed);
    bool dimmed() const { return m_dimmed; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_position;
    int m_card;
    bool m_dimmed = false;
    QImage m_veil; // the veil in the card's outline, made for the picture of m_veilOf
    qint64 m_veilOf = 0;
};

class QLineEdit;

// Up/down arrows bound to a number field: each arrow steps the field's value
// by one within [minimum, maximum], without wrapping around. Typed text the
// arrows cannot read counts as the arrows' last position.
class UpDown : public QWidget
{
    Q_OBJECT

public:
    UpDown(const QString &name, const QRect &geometry, QLineEdit *buddy, int minimum, int maximum,
           QWidget *parent);

    int position() const { return m_position; }
    void setPosition(int position);
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

private:
    void step(int delta);

    QLineEdit *m_buddy;
    int m_minimum;
    int m_maximum;
    int m_position;
};
