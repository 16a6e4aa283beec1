#pragma once

#include "client/tableview.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

namespace accessiblenames {

// "Queen of Hearts" for a card number 1..52; empty for anything else.
QString cardName(int card);

// A seat as a screen reader reads it: "Ann, bid 4, 2 tricks". The bid is 0
// both before the seat bids and for a Nil; the Nil marks tell the two apart.
struct SeatView
{
    QString name;
    int bid = 0;
    int tricks = 0;
    bool nil = false;
    bool blind = false;
    bool toPlay = false;
    bool winner = false;
};
QString seatName(const SeatView &seat);

} // namespace accessiblenames

// Keeps the accessible names of the table's controls in step with what they
// show. Labels that show a bare number get the meaning a sighted player takes
// from the board around them.
class AccessibleNames : public QObject
{
    Q_OBJECT

public:
    // Belongs to the table window.
    explicit AccessibleNames(const TableView &table);

    // Reads every tracked control again.
    void refresh();

private:
    void nameFixedControls();
    void refreshSeats();
    void refreshTableLabels();
    void refreshScorePanel();
    // The control of that name under `parent`, looked up once: the table
    // refreshes on every message, and a search of the whole window each time
    // cost more than all the rest of its work.
    template <typename T = QWidget> T *child(const QObject *parent, const QString &name);

    TableView m_table;
    QHash<QString, QPointer<QObject>> m_found;
};
