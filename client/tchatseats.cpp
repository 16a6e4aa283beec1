// The seats on the board: the rotation to the own seat, clearing the table,
// and the start of a game, of a hand and of each turn.
#include "client/tchatboard.h"

#include "client/scorepanel.h"
#include "client/seatmenu.h"
#include "client/tchatwidgets.h"
#include "client/watchrequests.h"
#include "protocol/cards.h"
#include "protocol/message.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

QString nameLabelStyle(const QColor &colour)
{
    return QStringLiteral("background: #f4ecd0; border: 1px solid #5a4a2a; font-weight: bold;"
                          "color: %1;")
        .arg(colour.name());
}

void Tchat::movestuff(int from, int to)
{
    if (from < 0 || from > kSeatCount || to < 0 || to > kSeatCount)
        return;
    m_seats->forEach([from, to](const char *family, auto &controls) {
        controls[to] = controls[from];
        if (controls[to])
            controls[to]->setObjectName(QString::fromLatin1(family) + QString::number(to));
    });
}

void Tchat::sortstuff(int seat)
{
    static const std::initializer_list<std::pair<int, int>> kChains[] = {
        {},
        {{2, 0}, {1, 2}, {4, 1}, {3, 4}, {0, 3}},
        {{3, 0}, {1, 3}, {0, 1}, {4, 0}, {2, 4}, {0, 2}},
        {{4, 0}, {1, 4}, {2, 1}, {3, 2}, {0, 3}},
    };
    if (seat >= 2 && seat <= kSeatCount && !m_rotated) {
        for (const auto &[from, to] : kChains[seat - 1])
            movestuff(from, to);
        m_rotated = true;
    }
    const QColor teamColour[2] = {QColor(0, 64, 128), QColor(128, 0, 0)};
    for (int n = 1; n <= kSeatCount; ++n) {
        BoardLabel *label = m_seats->playername[n];
        label->setToolTip(m_seatnames.value(n - 1));
        label->setStyleSheet(nameLabelStyle(teamColour[(n + 1) % 2]));
    }
}

void Tchat::clearall()
{
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats->tricks[seat]->setText(QStringLiteral("0"));
        m_seats->bid[seat]->setText(QStringLiteral("0"));
        m_seats->played[seat]->clearPicture();
        setTag(m_seats->played[seat], 0);
        for (BoardPicture *mark :
             {m_seats->winner[seat], m_seats->turn[seat], m_seats->trickwinner[seat],
              m_seats->cards[seat], m_seats->eyes[seat]})
            mark->hide();
    }
    clearTeamScores();
    for (int team = 1; team <= 2; ++team)
        for (auto *labels : {&m_labelTeam, &m_labelBids, &m_labelBags})
            (*labels)[team]->setText(QStringLiteral("0"));
    // The slots go with their pictures, or the next deal finds no free slot.
    destroyCards();
    freeSlots();
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_labelYourBid, m_editBid, m_updownBid, m_buttonBid})
        control->hide();
}

void Tchat::setRule(QLabel *label, bool on, const QString &onText, const QString &offText)
{
    setTag(label, on ? 1 : 0);
    label->setText(on ? onText : offText);
}

void Tchat::startthegame(const wire::StartGame &m)
{

    m_buttonStart->hide();
    m_justWatch->setChecked(m_model.watching());
    if (m_services.resetLastTrick)
        m_services.resetLastTrick();
    clearall();
    setRule(m_labelBaggin, m.sandbagOn(), QStringLiteral("Penalty for Bags: Yes"),
            QStringLiteral("Penalty for Bags: No"));
    setRule(m_labelBlind, m.blindOn(), QStringLiteral("Blind Nil: Allowed"),
            QStringLiteral("Blind Nil: Disallowed"));
    m_labelPlaytoscore->setText(QStringLiteral("Play to Score: ") + QString::fromLatin1(m.target));
    addlinetochat(QStringLiteral("0+") + QString::fromLatin1(m.starter) +
                  QStringLiteral(" has started a game."));
    for (int seat = 1; seat <= kSeatCount; ++seat)
        if (m_seats->playername[seat]->text() == QLatin1String("<Waiting>"))
            m_seats->playername[seat]->setText(m_seatnames.value(seat - 1));
}

void Tchat::startround(const wire::toClient::StartRound &m)
{

    m_panelScores->hide();
    destroyCards();
    m_labelRound->setText(QStringLiteral("Round: ") + QString::number(m.roundnumber));
    m_flippedcards->hide();
    hideBidControls();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats->played[seat]->clearPicture();
        setTag(m_seats->played[seat], 0);
        m_seats->bid[seat]->setText(QStringLiteral("0"));
        m_seats->tricks[seat]->setText(QStringLiteral("0"));
        m_seats->trickwinner[seat]->hide();
        m_seats->nil[seat]->hide();
        m_seats->blind[seat]->hide();
        if (seat != m_model.myseat())
            m_seats->cards[seat]->show();
    }
    clearTeamScores();
    for (int team = 1; team <= 2; ++team)
        m_labelBids[team]->setText(QStringLiteral("0"));
    freeSlots();
}

void Tchat::getnextplayer(const wire::toClient::NextPlayer &m)
{
    const int seat = m.turn;
    if (m.ledcard && *m.ledcard == 0) {
        for (int s = 1; s <= kSeatCount; ++s) {
            m_seats->played[s]->clearPicture();
            setTag(m_seats->played[s], 0);
            m_seats->trickwinner[s]->hide();
        }
    }
    if (!cards::isSeat(seat))
        return;
    for (int s = 1; s <= kSeatCount; ++s)
        m_seats->turn[s]->hide();
    m_seats->turn[seat]->show();
    if (seat == m_model.myseat()) {
        setStatus(QStringLiteral("Your Turn."));
        playTurnSound();
    } else {
        setStatus(nameOfSeat(seat) + QStringLiteral("'s turn."));
    }
}

QString Tchat::nameOfSeat(int seat) const
{
    return cards::isSeat(seat) ? m_seats->playername[seat]->text() : QString();
}

QString Tchat::seatname(int seat) const
{
    return m_seatnames.value(seat - 1);
}

BoardLabel *Tchat::playernameLabel(int seat) const
{
    return cards::isSeat(seat) ? m_seats->playername[seat] : nullptr;
}

QLabel *Tchat::bidLabel(int seat) const
{
    return cards::isSeat(seat) ? m_seats->bid[seat] : nullptr;
}

QLabel *Tchat::tricksLabel(int seat) const
{
    return cards::isSeat(seat) ? m_seats->tricks[seat] : nullptr;
}

BoardPicture *Tchat::playedPicture(int seat) const
{
    return cards::isSeat(seat) ? m_seats->played[seat] : nullptr;
}

BoardPicture *Tchat::cardsPicture(int seat) const
{
    return cards::isSeat(seat) ? m_seats->cards[seat] : nullptr;
}

// Watching and the seat menu.

void Tchat::justwatching(const wire::toClient::JustWatching &m)
{
    const int seat = m.seat;
    const bool watching = m.mode == wire::toHost::JustWatch::kWatch;
    if (seat == m_model.myseat())
        m_justWatch->setChecked(m_model.watching());
    addlinetochat(
        QStringLiteral("0+") + nameOfSeat(seat) +
        (watching ? QStringLiteral(" is just watching") : QStringLiteral(" is now playing again")));
    m_seats->eyes[seat]->setVisible(watching);
}

void Tchat::JustWatch1Click()
{
    if (auto message = watchrequests::justWatchToggle(m_model.loggedin(), m_model.myseat(),
                                                      m_model.watching()))
        send(*message);
}

void Tchat::openSeatMenu(BoardLabel *label, const QPoint &globalPos)
{
    m_popupKick->prepare(tagOf(label), label->text(), hostRights());
    if (!m_services.menuPopup || !m_services.menuPopup(m_popupKick))
        m_popupKick->popup(globalPos);
}

void Tchat::kicking(int seat)
{
    if (auto message =
            watchrequests::kicking(hostRights(), m_model.loggedin(), m_model.myseat(), seat))
        send(*message);
}
