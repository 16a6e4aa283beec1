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
    QAction *muteItem() const { return m_mute; }
    // The player's own muting of the seat's name (ChatMutes::itemText), for
    // everyone at the table; an empty text hides the item.
    void offerMute(const QString &name, const QString &itemText);

signals:
    void removeRequested(int tag);
    // mode 1 watch, 2 play again
    void watchRequested(int tag, int mode);
    void muteToggled(const QString &name);

private:
    QAction *m_remove;
    QAction *m_setWatch;
    QAction *m_unsetWatch;
    QAction *m_mute;
    int m_tag = 0;
    QString m_muteName;
};
