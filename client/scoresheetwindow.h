#pragma once

#include "client/scoresheet.h"

#include <QWidget>

class QLabel;
class QTableWidget;

// View › Score Sheet: every hand of the current game, two rows a hand (Team
// Blue, then Team Red), with running totals. It only draws a ScoreSheet and
// can stay open beside the table.
class ScoreSheetWindow : public QWidget
{
public:
    explicit ScoreSheetWindow(QWidget *parent = nullptr);

    // Draws the sheet again; the table calls it whenever the sheet changed.
    void draw(const ScoreSheet &sheet);

    static QStringList columnTitles();

private:
    void fillRows(int row, const ScoreSheet::Hand &hand);

    QTableWidget *m_table;
    QLabel *m_note;
    // What the rows show: hands [m_scored - rows / 2, m_scored) of that sheet.
    int m_sheetNumber = -1;
    int m_scored = 0;
};
