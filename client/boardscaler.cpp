#include "client/boardscaler.h"

#include "client/tchatwidgets.h"

#include <QAbstractButton>
#include <QLayout>
#include <QWidget>
#include <algorithm>
#include <cmath>

BoardScaler::BoardScaler(QWidget *board, QSize baseSize, QSize firstRoom)
    : QObject(board), m_board(board), m_baseSize(baseSize),
      m_firstRoom(firstRoom.expandedTo(baseSize)), m_extra(0, 0)
{
}

void BoardScaler::capture()
{
    learnTree(m_board);
}

void BoardScaler::learnTree(QWidget *parent)
{
    // A layout places its own widgets.
    if (parent->layout())
        return;
    for (QObject *child : parent->children()) {
        auto *control = qobject_cast<QWidget *>(child);
        if (!control || control->isWindow() || knows(control))
            continue;
        learn(control, control->geometry());
        if (control->objectName().startsWith(QLatin1String("panel_")))
            learnTree(control);
    }
}

void BoardScaler::learn(QWidget *control, const QRect &base)
{
    Control c;
    c.base = base;
    c.font = control->font();
    if (auto *button = qobject_cast<QAbstractButton *>(control); button && !button->icon().isNull())
        c.iconSize = button->iconSize();
    m_controls.insert(control, c);
    connect(control, &QObject::destroyed, this,
            [this, control] { m_controls.remove(static_cast<const QWidget *>(control)); });
}

void BoardScaler::place(QWidget *control, const QRect &base)
{
    auto it = m_controls.find(control);
    if (it == m_controls.end()) {
        learn(control, base);
        it = m_controls.find(control);
    }
    it->base = base;
    apply(control, Control(*it));
}

void BoardScaler::forget(QWidget *control)
{
    if (m_controls.remove(control))
        disconnect(control, nullptr, this, nullptr);
}

void BoardScaler::anchor(QWidget *control, Anchors anchors, bool keepFont)
{
    auto it = m_controls.find(control);
    if (it == m_controls.end())
        return;
    it->anchors = anchors;
    it->keepFont = keepFont;
    apply(control, Control(*it));
}

QRect BoardScaler::base(const QWidget *control) const
{
    const auto it = m_controls.constFind(control);
    return it == m_controls.cend() ? control->geometry() : it->base;
}

void BoardScaler::fit(QSize room)
{
    m_scale = scaleFor(room, m_firstRoom);
    const QSize board = scaled(QRect(QPoint(0, 0), m_baseSize), m_scale).size();
    m_extra = QSize(std::max(0, room.width() - board.width()),
                    std::max(0, room.height() - board.height()));
    // A control's resize handler may add or drop others: walk a copy.
    const QList<const QWidget *> controls = m_controls.keys();
    for (const QWidget *control : controls)
        if (const auto it = m_controls.constFind(control); it != m_controls.cend())
            apply(const_cast<QWidget *>(control), Control(*it));
}

void BoardScaler::apply(QWidget *control, const Control &c) const
{
    QRect r = scaled(c.base, m_scale);
    if (c.anchors.left)
        r.setLeft(r.left() + m_extra.width());
    if (c.anchors.right)
        r.setRight(r.right() + m_extra.width());
    if (c.anchors.top)
        r.setTop(r.top() + m_extra.height());
    if (c.anchors.bottom)
        r.setBottom(r.bottom() + m_extra.height());
    if (control->geometry() != r)
        control->setGeometry(r);

    if (!c.keepFont) {
        QFont font = c.font;
        if (c.font.pointSizeF() > 0)
            font.setPointSizeF(c.font.pointSizeF() * m_scale);
        else if (c.font.pixelSize() > 0)
            font.setPixelSize(std::max(1, int(std::lround(c.font.pixelSize() * m_scale))));
        if (control->font() != font)
            control->setFont(font);
    }
    if (!c.iconSize.isEmpty())
        static_cast<QAbstractButton *>(control)->setIconSize(
            scaled(QRect(QPoint(0, 0), c.iconSize), m_scale).size());
    if (auto *picture = qobject_cast<BoardPicture *>(control))
        picture->setScale(m_scale);
}

qreal BoardScaler::scaleFor(QSize room, QSize baseSize)
{
    if (baseSize.isEmpty())
        return 1.0;
    const qreal across = qreal(room.width()) / baseSize.width();
    const qreal down = qreal(room.height()) / baseSize.height();
    return std::max(1.0, std::min(across, down));
}

QRect BoardScaler::scaled(const QRect &base, qreal scale)
{
    const auto at = [scale](int v) { return int(std::lround(v * scale)); };
    const int left = at(base.x());
    const int top = at(base.y());
    return QRect(left, top, at(base.x() + base.width()) - left, at(base.y() + base.height()) - top);
}
