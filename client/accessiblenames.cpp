#include "client/accessiblenames.h"

#include "client/scorepanel.h"
#include "client/tablemodel.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

namespace accessiblenames {

QString cardName(int card)
{
    if (!cards::isCard(card))
        return QString();
    static const char *const kRanks[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                                         "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    static const char *const kSuits[] = {"Clubs", "Diamonds", "Spades", "Hearts"};
    return QString::fromLatin1(kRanks[cards::rank(card) - 2]) + QStringLiteral(" of ") +
           QString::fromLatin1(kSuits[getsuit(card) - 1]);
}

QString seatName(const SeatView &seat)
{
    QString bid;
    if (seat.blind)
        bid = QStringLiteral("bid Blind Nil");
    else if (seat.nil)
        bid = QStringLiteral("bid Nil");
    else if (seat.bid == 0)
        bid = QStringLiteral("no bid yet");
    else
        bid = QStringLiteral("bid ") + QString::number(seat.bid);
    QString text = seat.name + QStringLiteral(", ") + bid + QStringLiteral(", ") +
                   QString::number(seat.tricks) +
                   (seat.tricks == 1 ? QStringLiteral(" trick") : QStringLiteral(" tricks"));
    if (seat.toPlay)
        text += QStringLiteral(", to play");
    if (seat.winner)
        text += QStringLiteral(", won the game");
    return text;
}

} // namespace accessiblenames

namespace {

QString teamName(int team)
{
    return team == 1 ? QStringLiteral("Team Blue") : QStringLiteral("Team Red");
}

bool shown(const QWidget *widget)
{
    return widget && !widget->isHidden();
}

// Only a change is told to the screen reader.
void setName(QWidget *widget, const QString &name)
{
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
}

void nameAfterText(QLabel *label, const QString &prefix = QString())
{
    if (!label)
        return;
    // A name cut to fit is read whole.
    const auto *named = qobject_cast<NameLabel *>(label);
    const QString text = named ? named->wholeText() : label->text();
    if (text.isEmpty() && !prefix.isEmpty())
        setName(label, prefix.trimmed() + QStringLiteral(" none"));
    else
        setName(label, prefix + text);
}

} // namespace

template <typename T> T *AccessibleNames::child(const QObject *parent, const QString &name)
{
    if (!parent)
        return nullptr;
    QPointer<QObject> &found = m_found[name];
    // The seat controls take each other's names when the board turns to the own seat.
    if (!found || found->objectName() != name)
        found = parent->findChild<T *>(name);
    return qobject_cast<T *>(found.data());
}

AccessibleNames::AccessibleNames(const TableView &table) : QObject(table.window), m_table(table)
{
    setObjectName(QStringLiteral("accessibleNames"));
    nameFixedControls();
    refresh();
}

void AccessibleNames::nameFixedControls()
{
    QWidget *board = m_table.board;
    board->setAccessibleName(QStringLiteral("Table"));
    board->setAccessibleDescription(
        QStringLiteral("Left and Right choose a card, Enter plays it. While bidding: Up and Down "
                       "change the bid, Enter bids, N bids Nil, B bids Blind Nil, L looks at "
                       "the cards."));
    const std::pair<const char *, const char *> fixed[] = {
        {"edit_bid", "Your bid"},
        {"updown_bid_up", "Raise the bid"},
        {"updown_bid_down", "Lower the bid"},
        {"image_flippedcards", "Your cards, face down"},
        {"button_close", "Close the scores"},
    };
    for (const auto &[name, text] : fixed)
        if (QWidget *widget = child(m_table.window, QString::fromLatin1(name)))
            widget->setAccessibleName(QString::fromLatin1(text));
    // Picture buttons carry their caption as text; a screen reader reads that.
    for (QAbstractButton *button : board->findChildren<QAbstractButton *>())
        if (button->accessibleName().isEmpty() && !button->text().isEmpty())
            button->setAccessibleName(button->text());
    for (int team = 1; team <= 2; ++team) {
        const QString n = QString::number(team);
        const std::pair<const char *, const char *> marks[] = {
            {"image_teamset", " was set"},
            {"image_teambagged", " lost points for bags"},
            {"image_nilgood", " made its Nil"},
            {"image_nilbad", " lost its Nil"},
        };
        for (const auto &[name, text] : marks)
            if (QWidget *widget = child(m_table.scorePanel, QString::fromLatin1(name) + n))
                widget->setAccessibleName(teamName(team) + QString::fromLatin1(text));
    }
}

void AccessibleNames::refresh()
{
    refreshSeats();
    refreshTableLabels();
    refreshScorePanel();
}

void AccessibleNames::refreshSeats()
{
    for (int seat = 1; seat <= TableModel::kSeats; ++seat) {
        const QString n = QString::number(seat);
        auto *nameLabel = child<QLabel>(m_table.board, QStringLiteral("label_playername") + n);
        auto *bid = child<QLabel>(m_table.board, QStringLiteral("label_bid") + n);
        auto *tricks = child<QLabel>(m_table.board, QStringLiteral("label_tricks") + n);
        if (!nameLabel || !bid || !tricks)
            continue;
        const TableModel::Seat &s = m_table.model->seat(seat);
        accessiblenames::SeatView view;
        view.name = s.name;
        view.bid = s.bid;
        view.tricks = s.tricks;
        view.nil = s.nil;
        view.blind = s.blind;
        view.toPlay = shown(child(m_table.board, QStringLiteral("image_turn") + n));
        view.winner = shown(child(m_table.board, QStringLiteral("image_winner") + n));
        setName(nameLabel, accessiblenames::seatName(view));
        setName(bid, view.name + QStringLiteral(" bid ") + QString::number(s.bid));
        setName(tricks, view.name + QStringLiteral(" tricks ") + QString::number(s.tricks));

        if (QWidget *played = child(m_table.board, QStringLiteral("image_played") + n)) {
            const QString card = accessiblenames::cardName(s.played);
            setName(played, card.isEmpty() ? view.name + QStringLiteral(" has no card out")
                                           : view.name + QStringLiteral(" played ") + card);
        }
        if (QWidget *hand = child(m_table.board, QStringLiteral("image_cards") + n))
            setName(hand, view.name + QStringLiteral("'s cards, face down"));
    }
}

void AccessibleNames::refreshTableLabels()
{
    for (const char *name : {"label_status", "label_turn", "label_round", "label_totalbids",
                             "label_playtoscore", "label_baggin", "label_blind"})
        nameAfterText(child<QLabel>(m_table.window, QString::fromLatin1(name)));
    for (int team = 1; team <= 2; ++team) {
        const QString n = QString::number(team);
        const QString prefix = teamName(team);
        nameAfterText(child<QLabel>(m_table.window, QStringLiteral("label_team") + n),
                      prefix + QStringLiteral(" score "));
        nameAfterText(child<QLabel>(m_table.window, QStringLiteral("label_bags") + n),
                      prefix + QStringLiteral(" sandbags "));
        nameAfterText(child<QLabel>(m_table.window, QStringLiteral("label_bids") + n),
                      prefix + QStringLiteral(" bids "));
    }
}

void AccessibleNames::refreshScorePanel()
{
    QWidget *panel = m_table.scorePanel;
    if (!panel)
        return;
    const std::pair<const char *, const char *> values[] = {
        {"label_teambids", " bids "},       {"label_teamtrickscore", " contract points "},
        {"label_teamtricks", " tricks "},   {"label_teamsands", " bagged "},
        {"label_minus", " bag penalty "},   {"label_teamtotal", " turn total "},
        {"label_nilscore", " Nil result "}, {"label_teamscore", " "},
    };
    for (int team = 1; team <= 2; ++team) {
        const QString n = QString::number(team);
        for (const auto &[name, caption] : values)
            nameAfterText(child<QLabel>(panel, QString::fromLatin1(name) + n),
                          teamName(team) + QString::fromLatin1(caption));
    }
}
