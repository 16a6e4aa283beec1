#pragma once

#include <QPalette>
#include <QPixmap>
#include <QWidget>

// The side windows wear the board's background picture so they look like part
// of the table. A null picture leaves the window's own look alone.
inline void setWindowBackground(QWidget *window, const QPixmap &picture)
{
    if (picture.isNull())
        return;
    QPalette palette = window->palette();
    palette.setBrush(QPalette::Window, QBrush(picture));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
