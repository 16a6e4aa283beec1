#include "client/picturebutton.h"

#include "resources/pictures.h"

#include <QPainter>

PictureButton::PictureButton(const QString &caption, QWidget *parent) : QAbstractButton(parent)
{
    setText(caption);
    setCursor(Qt::PointingHandCursor);
}

QSize PictureButton::sizeHint() const
{
    return {100, 30};
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0,
                       pictures::pictureButton(text(), size(), isDown(), devicePixelRatioF()));
}
