#pragma once

#include <QMenu>

class QAction;

// The menu on a seat's name label: remove the player, or set or unset
// watching for the seat. Only the hosting player gets working items.
class SeatMenu : public QMenu
{
    Q_OBJECT
public:
    explicit SeatMenu(QWidget *parent = nullptr);

    // Before opening: the clicked label's tag (0 for the bottom position,
    // else the position number), its text, and whether this process hosts.
    void prepare(int labelTag, const QString &labelText, bool ishost);
    int tag() const { return m_tag; }

    QAction *removeItem() const { return m_remove; }
    QAction *setWatchItem() const { return m_setWatch; }
    QAction *unsetWatchItem() const { return m_unsetWatch; }

signals:
    void removeRequested(int tag);
    // mode 1 watch, 2 play again
    void watchRequested(int tag, int mode);

private:
    QAction *m_remove;
    QAction *m_setWatch;
    QAction *m_unsetWatch;
    int m_tag = 0;
};
