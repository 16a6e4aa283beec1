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
    // Captions sit straight on the dark felt.
    palette.setColor(QPalette::WindowText, QColor(240, 240, 225));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}
