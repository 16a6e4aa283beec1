#pragma once

#include <QDialog>
#include <QPixmap>

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

signals:
    // The hosting player chose to remove the watcher at this seat.
    void kickRequested(int seat);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void trackPointer(const QPoint &atViewport);
    // Shows the line's start and an ellipsis where the whole does not fit.
    void fitLine(QListWidgetItem *item) const;
    QString wholeLine(int row) const;

    QListWidget *m_list;
    QMenu *m_menu;
    QAction *m_kick;
    int m_tag = -1;
};
