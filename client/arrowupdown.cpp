#include "client/arrowupdown.h"

#include <QToolButton>
#include <algorithm>

ArrowUpDown::ArrowUpDown(QWidget *parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this))
{
    m_up->setObjectName("arrow_up");
    m_down->setObjectName("arrow_down");
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *arrow : {m_up, m_down}) {
        arrow->setAutoRepeat(true);
        arrow->setFocusPolicy(Qt::NoFocus);
        // The arrows keep dark glyphs whatever colour the window's captions take.
        QPalette palette = arrow->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        palette.setColor(QPalette::ButtonText, Qt::black);
        arrow->setPalette(palette);
    }
    connect(m_up, &QToolButton::clicked, this, &ArrowUpDown::stepUp);
    connect(m_down, &QToolButton::clicked, this, &ArrowUpDown::stepDown);
    resize(16, 22);
}

void ArrowUpDown::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setPosition(m_position);
}

void ArrowUpDown::setPosition(int position)
{
    position = std::clamp(position, m_minimum, m_maximum);
    if (position == m_position)
        return;
    m_position = position;
    emit positionChanged(position);
}

void ArrowUpDown::resizeEvent(QResizeEvent *)
{
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}
