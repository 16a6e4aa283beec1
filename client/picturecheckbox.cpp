#include "client/picturecheckbox.h"

#include <QMouseEvent>
#include <QPainter>

PictureCheckBox::PictureCheckBox(const QList<QPixmap> *faces, QWidget *parent)
    : QWidget(parent), m_faces(faces)
{
    setCursor(Qt::PointingHandCursor);
}

void PictureCheckBox::setTag(int tag)
{
    m_tag = tag;
    update();
    emit toggled(isOn());
}

void PictureCheckBox::paintEvent(QPaintEvent *)
{
    // The parent's background is already under us, so the face goes onto a
    // clean picture each time.
    QPainter painter(this);
    const int index = isOn() ? 1 : 0;
    if (m_faces && index < m_faces->size())
        painter.drawPixmap(0, 0, m_faces->at(index));
}

void PictureCheckBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        toggle();
}
