// The seats on the board: the rotation to the own seat, clearing the table,
// and the start of a game, of a hand and of each turn.
#include "client/tchatboard.h"

#include "client/scorepanel.h"
#include "client/seatmenu.h"
#include "client/tchatwidgets.h"
#include "client/watchrequests.h"
#include "protocol/cards.h"
#include "resources/pictures.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <algorithm>

QString nameLabelStyle(const QColor &colour)
{
    // Bold comes from the label's font, which grows with the board.
    return QStringLiteral("background: #f4ecd0; border: 1px solid #5a4a2a; color: %1;")
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
    for (int n = 1; n <= kSeatCount; ++n)
        m_seats->playername[n]->setStyleSheet(nameLabelStyle(teamColour[(n + 1) % 2]));
    drawBoard();
}

void Tchat::drawBoard()
{
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        const TableModel::Seat &s = m_model.seat(seat);
        m_seats->playername[seat]->setName(s.name);
        m_seats->playername[seat]->setPlainToolTip(s.fallback);
        m_seats->bid[seat]->setText(QString::number(s.bid));
        m_seats->tricks[seat]->setText(QString::number(s.tricks));
        m_seats->nil[seat]->setVisible(s.nil);
        m_seats->blind[seat]->setVisible(s.blind);
        if (s.played != m_shownPlayed[seat]) {
            m_shownPlayed[seat] = s.played;
            BoardPicture *played = m_seats->played[seat];
            played->clearPicture();
            if (s.played != 0)
                played->setPicture(
                    [card = s.played](qreal ratio) { return pictures::card(card, ratio); });
        }
    }
    for (int team = 1; team <= 2; ++team) {
        m_labelTeam[team]->setText(QString::number(m_model.team(team).score));
        m_labelBags[team]->setText(QString::number(m_model.team(team).bags));
        m_labelBids[team]->setText(QString::number(m_model.team(team).bids));
    }
    m_labelRound->setText(QStringLiteral("Round: ") + QString::number(m_model.round()));
    m_labelTotalbids->setText(QStringLiteral("Total Bids: ") +
                              QString::number(m_model.totalBids()));
}

void Tchat::drawRules()
{
    m_labelBaggin->setText(m_model.bagPenalty() ? QStringLiteral("Penalty for Bags: Yes")
                                                : QStringLiteral("Penalty for Bags: No"));
    m_labelBlind->setText(m_model.blindAllowed() ? QStringLiteral("Blind Nil: Allowed")
                                                 : QStringLiteral("Blind Nil: Disallowed"));
    m_labelPlaytoscore->setText(QStringLiteral("Play to Score: ") + m_model.playToScore());
}

void Tchat::clearall()
{
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        for (BoardPicture *mark :
             {m_seats->winner[seat], m_seats->turn[seat], m_seats->trickwinner[seat],
              m_seats->cards[seat], m_seats->eyes[seat]})
            mark->hide();
    }
    clearTeamScores();
    destroyCards();
    drawBoard();
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_labelYourBid, m_editBid, m_updownBid, m_buttonBid})
        control->hide();
}

void Tchat::startthegame(const wire::StartGame &m)
{

    m_buttonStart->hide();
    m_justWatch->setChecked(m_model.watching());
    emit gameStarted();
    clearall();
    drawRules();
    addlinetochat(QStringLiteral("0+") + TableModel::nameFrom(m.starter) +
                  QStringLiteral(" has started a game."));
}

void Tchat::startround(const wire::toClient::StartRound &)
{

    m_panelScores->hide();
    destroyCards();
    m_flippedcards->hide();
    hideBidControls();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats->trickwinner[seat]->hide();
        if (seat != m_model.myseat())
            m_seats->cards[seat]->show();
    }
    clearTeamScores();
}

void Tchat::getnextplayer(const wire::toClient::NextPlayer &m)
{
    const int seat = m.turn;
    if (m.ledcard && *m.ledcard == 0)
        for (int s = 1; s <= kSeatCount; ++s)
            m_seats->trickwinner[s]->hide();
    if (!cards::isSeat(seat))
        return;
    for (int s = 1; s <= kSeatCount; ++s)
        m_seats->turn[s]->hide();
    m_seats->turn[seat]->show();
    if (seat == m_model.myseat()) {
        setStatus(QStringLiteral("Your Turn."));
        playTurnSound();
    } else {
        setStatus(nameOfSeat(seat), QStringLiteral("'s turn."));
    }
}

QString Tchat::nameOfSeat(int seat) const
{
    return m_model.seatName(seat);
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

void Tchat::openSeatMenu(int labelTag, BoardLabel *label, const QPoint &globalPos)
{
    m_popupKick->prepare(labelTag, label->wholeText(), hostRights());
    const int seat = int(std::find(m_seats->playername.begin(), m_seats->playername.end(), label) -
                         m_seats->playername.begin());
    m_popupKick->offerMute(label->wholeText(), muteItemText(seat, label->wholeText()));
    m_requests->popup(m_popupKick, globalPos);
}

void Tchat::kicking(int seat)
{
    if (auto message =
            watchrequests::kicking(hostRights(), m_model.loggedin(), m_model.myseat(), seat))
        send(*message);
}
