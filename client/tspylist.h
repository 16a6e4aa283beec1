#pragma once

#include <QDialog>
#include <QPixmap>
#include <functional>
#include <optional>
#include <utility>

class QAction;
class QListWidgetItem;
class QListWidget;
class QMenu;

// The list of people watching the table ("spies"), one line per watcher,
// seat + ": " + name. The hosting player can remove the one under the pointer.
class Tspylist : public QDialog
{
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    void setBackgroundPicture(const QPixmap &picture);

    static QString spyLine(int seat, const QString &name);
    void addSpy(int seat, const QString &name) { addLine(spyLine(seat, name)); }
    // Removes the watcher's line; false when the list does not hold it.
    bool removeSpy(int seat, const QString &name) { return removeLine(spyLine(seat, name)); }
    void addLine(const QString &line);
    bool removeLine(const QString &line);
    QStringList lines() const;

    // Removal is offered only once this process hosts the game.
    void setHosting(bool hosting);
    // The line under the pointer, -1 over no line; follows every mouse move.
    int hoverIndex() const { return m_tag; }

    void popup_kickhimClick();
    // The player's own muting of a watcher's name: the item's text for the
    // watcher at n shown under name, empty where none is offered.
    using MuteOffer = std::function<QString(int n, const QString &name)>;
    void setMuteOffer(MuteOffer offer) { m_muteOffer = std::move(offer); }
    QAction *muteItem() const { return m_mute; }
    // Fills the menu for the line under the pointer.
    void prepareMenu();

signals:
    // The hosting player chose to remove the watcher at this seat.
    void kickRequested(int seat);
    void muteToggled(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void trackPointer(const QPoint &atViewport);
    // Shows the line's start and an ellipsis where the whole does not fit.
    void fitLine(QListWidgetItem *item) const;
    QString wholeLine(int row) const;
    // The number and name of the line under the pointer.
    std::optional<std::pair<int, QString>> watcherUnderPointer() const;

    QListWidget *m_list;
    QMenu *m_menu;
    QAction *m_kick;
    QAction *m_mute;
    MuteOffer m_muteOffer;
    QString m_muteName;
    int m_tag = -1;
};
