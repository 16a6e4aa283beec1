#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The tally's grid of text cells: 9 columns; row 0 is the player's own record
// (games finished, games won), rows 1.. one followed player each: name, games
// shared, his wins, the user's wins, neither won, then the same four counts
// since the program started.
class TallyTable
{
public:
    static constexpr int kColumns = 9;
    static constexpr int kFirstSessionColumn = 5;
    static inline const QString kOwnWin = QStringLiteral("addtomine");

    TallyTable();

    int rowCount() const { return int(m_rows.size()); }
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);
    int number(int column, int row) const;

    // Row 0 back to all "0".
    void clearOwnRecord();
    // Counting since this start begins afresh for every player row.
    void startSession();

    // Appends a player row with zero counts; returns its row.
    int addPlayer(const QString &name);
    // Removes a player row; the rows below move up.
    void removeRow(int row);
    // Zeroes every count and drops the player rows.
    void reset();

    // One finished game for the own record and, per player present, for his
    // row. result is kOwnWin when the user's team won, else the winning team's
    // label; a player is credited with a win only when his name is that text.
    void addOwnGame(bool won);
    void creditPlayer(int row, const QString &result);

    // Text form: column count and row count, then the cells column by column,
    // every line ended by CR LF. Names are 8-bit text, as they travel on the
    // wire and as tally files written on Windows hold them.
    QByteArray toText() const;
    // nullopt unless the text holds 9 columns, at least the own row and every
    // cell.
    static std::optional<TallyTable> fromText(const QByteArray &text);

private:
    void increment(int column, int row);

    std::vector<QStringList> m_rows;
};
