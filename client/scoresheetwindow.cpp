#include "client/scoresheetwindow.h"

#include <QHeaderView>
#include <QLabel>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char *const kTeamNames[2] = {"Team Blue", "Team Red"};
const QColor kTeamColours[2] = {QColor(0, 0x40, 0x80), QColor(0x80, 0, 0)};

QString signedNumber(int value)
{
    return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

QTableWidgetItem *cell(const QString &text, const QColor &colour, bool bold = false)
{
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setForeground(colour);
    item->setTextAlignment(Qt::AlignCenter);
    if (bold) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
    }
    return item;
}

} // namespace

ScoreSheetWindow::ScoreSheetWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), m_table(new QTableWidget(this)), m_note(new QLabel(this))
{
    setObjectName(QStringLiteral("Tscoresheet"));
    setWindowTitle(QStringLiteral("Spades - Score Sheet"));
    m_table->setObjectName(QStringLiteral("table_hands"));
    m_table->setColumnCount(int(columnTitles().size()));
    m_table->setHorizontalHeaderLabels(columnTitles());
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Sized to the rows in view, not to every row of a long sheet.
    m_table->horizontalHeader()->setResizeContentsPrecision(0);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_note->setObjectName(QStringLiteral("label_note"));
    m_note->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_note);
    layout->addWidget(m_table, 1);
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, this,
            &QWidget::close);
    resize(660, 360);
    draw(ScoreSheet());
}

QStringList ScoreSheetWindow::columnTitles()
{
    return {QStringLiteral("Hand"),    QStringLiteral("Team"),    QStringLiteral("Bid"),
            QStringLiteral("Tricks"),  QStringLiteral("Points"),  QStringLiteral("Bags"),
            QStringLiteral("Penalty"), QStringLiteral("Nil"),     QStringLiteral("Hand Total"),
            QStringLiteral("Score"),   QStringLiteral("Sandbags")};
}

void ScoreSheetWindow::draw(const ScoreSheet &sheet)
{
    const std::vector<ScoreSheet::Hand> &hands = sheet.hands();
    QStringList notes;
    if (sheet.handsDropped())
        notes << QStringLiteral("Only the last %1 hands are shown.").arg(ScoreSheet::kKeptHands);
    else if (sheet.joinedLate())
        notes << QStringLiteral("The hands before you joined are not shown.");
    if (!sheet.missedHands().empty()) {
        QStringList rounds;
        for (const int round : sheet.missedHands())
            rounds << QString::number(round);
        notes << QStringLiteral("Missed while the connection was lost: hand %1.")
                     .arg(rounds.join(QStringLiteral(", ")));
    }
    m_note->setText(notes.join(QLatin1Char(' ')));
    m_note->setVisible(!notes.isEmpty());
    // A hand scored adds two rows, and takes two from the top once the sheet
    // is full; anything else draws every row again.
    const int shown = m_table->rowCount() / 2;
    const int added = sheet.handsScored() - m_scored;
    const bool follows = sheet.sheetNumber() == m_sheetNumber && added >= 0 &&
                         added <= int(hands.size()) && shown + added >= int(hands.size());
    const int from = follows ? int(hands.size()) - added : 0;
    if (follows) {
        const int dropped = shown + added - int(hands.size());
        for (int row = 0; row < 2 * dropped; ++row)
            m_table->removeRow(0);
    }
    m_table->setRowCount(int(hands.size()) * 2);
    for (int h = from; h < int(hands.size()); ++h)
        fillRows(h * 2, hands[size_t(h)]);
    m_sheetNumber = sheet.sheetNumber();
    m_scored = sheet.handsScored();
    if (added != 0 || !follows)
        m_table->scrollToBottom();
}

void ScoreSheetWindow::fillRows(int row, const ScoreSheet::Hand &hand)
{
    for (size_t t = 0; t < 2; ++t) {
        const ScoreSheet::Team &team = hand.teams[t];
        const QColor colour = kTeamColours[t];
        const QString cells[] = {t == 0 && hand.number > 0 ? QString::number(hand.number)
                                                           : QString(),
                                 QString::fromLatin1(kTeamNames[t]),
                                 team.bid ? QString::number(*team.bid) : QStringLiteral("?"),
                                 QString::number(team.tricks),
                                 signedNumber(team.contract),
                                 QString::number(team.bagged),
                                 team.penalty ? QString::number(team.penalty) : QString(),
                                 team.nil ? signedNumber(team.nil) : QString(),
                                 signedNumber(team.handTotal),
                                 QString::number(team.score),
                                 QString::number(team.bags)};
        for (int column = 0; column < int(std::size(cells)); ++column)
            m_table->setItem(row + int(t), column,
                             cell(cells[column], colour, column == 9 /* the score */));
    }
}
