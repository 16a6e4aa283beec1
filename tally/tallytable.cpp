#include "tally/tallytable.h"

namespace {

constexpr int kMaxRows = 100000;

QStringList zeroRow(const QString &first)
{
    QStringList row(TallyTable::kColumns, QStringLiteral("0"));
    row[0] = first;
    return row;
}

} // namespace

TallyTable::TallyTable()
{
    m_rows.push_back(zeroRow(QStringLiteral("0")));
}

QString TallyTable::cell(int column, int row) const
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        return QString();
    return m_rows[std::size_t(row)][column];
}

void TallyTable::setCell(int column, int row, const QString &text)
{
    if (column < 0 || column >= kColumns || row < 0 || row >= rowCount())
        return;
    m_rows[std::size_t(row)][column] = text;
}

int TallyTable::number(int column, int row) const
{
    // A cell that does not hold a number counts as none.
    bool ok = false;
    const int value = cell(column, row).trimmed().toInt(&ok);
    return ok ? value : 0;
}

void TallyTable::clearOwnRecord()
{
    m_rows[0] = zeroRow(QStringLiteral("0"));
}

void TallyTable::startSession()
{
    for (std::size_t r = 1; r < m_rows.size(); ++r)
        for (int c = kFirstSessionColumn; c < kColumns; ++c)
            m_rows[r][c] = QStringLiteral("0");
}

int TallyTable::addPlayer(const QString &name)
{
    m_rows.push_back(zeroRow(name));
    return rowCount() - 1;
}

void TallyTable::removeRow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    m_rows.erase(m_rows.begin() + row);
}

void TallyTable::reset()
{
    m_rows.resize(1);
    for (int c = 1; c < kColumns; ++c)
        m_rows[0][c] = QStringLiteral("0");
}

void TallyTable::increment(int column, int row)
{
    setCell(column, row, QString::number(number(column, row) + 1));
}

void TallyTable::addOwnGame(bool won)
{
    increment(1, 0);
    if (won)
        increment(2, 0);
}

void TallyTable::creditPlayer(int row, const QString &result)
{
    if (row < 1 || row >= rowCount())
        return;
    for (int c = 1; c < kColumns; ++c)
        if (cell(c, row).isEmpty())
            setCell(c, row, QStringLiteral("0"));
    increment(1, row);
    increment(5, row);
    if (cell(0, row) == result) {
        increment(2, row);
        increment(6, row);
    } else if (result == kOwnWin) {
        increment(3, row);
        increment(7, row);
    } else {
        increment(4, row);
        increment(8, row);
    }
}

QByteArray TallyTable::toText() const
{
    QByteArray text;
    const auto line = [&text](const QString &s) {
        // A line break inside a name would shift every later cell on reading.
        QString flat = s;
        flat.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), ' ');
        text += flat.toLatin1();
        text += "\r\n";
    };
    line(QString::number(kColumns));
    line(QString::number(rowCount()));
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < rowCount(); ++r)
            line(cell(c, r));
    return text;
}

std::optional<TallyTable> TallyTable::fromText(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    if (lines.size() < 2)
        return std::nullopt;
    bool ok = false;
    const int columns = lines[0].trimmed().toInt(&ok);
    if (!ok || columns != kColumns)
        return std::nullopt;
    const int rows = lines[1].trimmed().toInt(&ok);
    if (!ok || rows < 1 || rows > kMaxRows)
        return std::nullopt;
    if (lines.size() < 2 + qsizetype(kColumns) * rows)
        return std::nullopt;

    TallyTable table;
    table.m_rows.assign(std::size_t(rows), QStringList(kColumns));
    int at = 2;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < rows; ++r)
            table.m_rows[std::size_t(r)][c] = QString::fromLatin1(lines[at++]);
    return table;
}
