#pragma once

#include <QWidget>

class QToolButton;

// A pair of up and down arrows holding a position between a minimum and a
// maximum. The position moves by one increment a click and stops at the ends
// instead of wrapping round.
class ArrowUpDown : public QWidget
{
    Q_OBJECT
public:
    explicit ArrowUpDown(QWidget *parent = nullptr);

    void setRange(int minimum, int maximum);
    void setIncrement(int increment) { m_increment = increment; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }
    // Values outside the range are pulled to its nearest end.
    void setPosition(int position);

    void stepUp() { setPosition(m_position + m_increment); }
    void stepDown() { setPosition(m_position - m_increment); }

signals:
    void positionChanged(int position);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_increment = 1;
    int m_position = 0;
};
