#include "client/accessiblenames.h"

#include "client/scorepanel.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

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
    else if (seat.bid.isEmpty() || seat.bid == QLatin1String("0"))
        bid = QStringLiteral("no bid yet");
    else
        bid = QStringLiteral("bid ") + seat.bid;
    const QString tricks = seat.tricks.isEmpty() ? QStringLiteral("0") : seat.tricks;
    QString text =
        seat.name + QStringLiteral(", ") + bid + QStringLiteral(", ") + tricks +
        (tricks == QLatin1String("1") ? QStringLiteral(" trick") : QStringLiteral(" tricks"));
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

template <typename T = QWidget> T *child(const QObject *parent, const QString &name)
{
    return parent ? parent->findChild<T *>(name) : nullptr;
}

bool shown(const QWidget *widget)
{
    return widget && !widget->isHidden();
}

void nameAfterText(QLabel *label, const QString &prefix = QString())
{
    if (!label)
        return;
    if (label->text().isEmpty() && !prefix.isEmpty())
        label->setAccessibleName(prefix.trimmed() + QStringLiteral(" none"));
    else
        label->setAccessibleName(prefix + label->text());
}

} // namespace

AccessibleNames::AccessibleNames(Tchat *table) : QObject(table), m_table(table)
{
    setObjectName(QStringLiteral("accessibleNames"));
    nameFixedControls();
    refresh();
}

void AccessibleNames::nameFixedControls()
{
    QWidget *board = m_table->boardPanel();
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
        if (QWidget *widget = child(m_table, QString::fromLatin1(name)))
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
            if (QWidget *widget = child(m_table->scorePanel(), QString::fromLatin1(name) + n))
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
    for (int seat = 1; seat <= Tchat::kSeatCount; ++seat) {
        const QString n = QString::number(seat);
        BoardLabel *nameLabel = m_table->playernameLabel(seat);
        QLabel *bid = m_table->bidLabel(seat);
        QLabel *tricks = m_table->tricksLabel(seat);
        if (!nameLabel || !bid || !tricks)
            continue;
        accessiblenames::SeatView view;
        view.name = nameLabel->text();
        view.bid = bid->text();
        view.tricks = tricks->text();
        view.nil = shown(child(m_table, QStringLiteral("image_nil") + n));
        view.blind = shown(child(m_table, QStringLiteral("image_blind") + n));
        view.toPlay = shown(child(m_table, QStringLiteral("image_turn") + n));
        view.winner = shown(child(m_table, QStringLiteral("image_winner") + n));
        nameLabel->setAccessibleName(accessiblenames::seatName(view));
        bid->setAccessibleName(view.name + QStringLiteral(" bid ") + view.bid);
        tricks->setAccessibleName(view.name + QStringLiteral(" tricks ") + view.tricks);

        if (BoardPicture *played = m_table->playedPicture(seat)) {
            const QString card =
                played->hasPicture() ? accessiblenames::cardName(tagOf(played)) : QString();
            played->setAccessibleName(card.isEmpty()
                                          ? view.name + QStringLiteral(" has no card out")
                                          : view.name + QStringLiteral(" played ") + card);
        }
        if (BoardPicture *hand = m_table->cardsPicture(seat))
            hand->setAccessibleName(view.name + QStringLiteral("'s cards, face down"));
    }
}

void AccessibleNames::refreshTableLabels()
{
    for (const char *name : {"label_status", "label_turn", "label_round", "label_totalbids",
                             "label_playtoscore", "label_baggin", "label_blind"})
        nameAfterText(child<QLabel>(m_table, QString::fromLatin1(name)));
    for (int team = 1; team <= 2; ++team) {
        const QString n = QString::number(team);
        const QString prefix = teamName(team);
        nameAfterText(child<QLabel>(m_table, QStringLiteral("label_team") + n),
                      prefix + QStringLiteral(" score "));
        nameAfterText(child<QLabel>(m_table, QStringLiteral("label_bags") + n),
                      prefix + QStringLiteral(" sandbags "));
        nameAfterText(child<QLabel>(m_table, QStringLiteral("label_bids") + n),
                      prefix + QStringLiteral(" bids "));
    }
}

void AccessibleNames::refreshScorePanel()
{
    ScorePanel *panel = m_table->scorePanel();
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
