#pragma once

#include <QString>
#include <QWidget>

class CardPicture;
class QMainWindow;
class TableModel;

// What the helpers beside the table window (keyboard play, the screen-reader
// names) see of it: the window, its board panel, what the table knows, and
// the score panel. They find the board's controls by their names.
struct TableView
{
    QMainWindow *window = nullptr;
    QWidget *board = nullptr;
    const TableModel *model = nullptr;
    QWidget *scorePanel = nullptr;

    // The picture of the own card at a hand position; null when there is none.
    CardPicture *card(int position) const
    {
        return board->findChild<CardPicture *>(QStringLiteral("card") + QString::number(position),
                                               Qt::FindDirectChildrenOnly);
    }
};
