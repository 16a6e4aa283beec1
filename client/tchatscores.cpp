// The end of a hand and of a game, the resync of a newcomer to a running
// game, and the computer players' speed.
#include "client/tchatboard.h"

#include "client/scorepanel.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "protocol/message.h"
#include "resources/pictures.h"

#include <QAction>
#include <QLabel>

void Tchat::buildScorePanel()
{
    m_panelScores = new ScorePanel(m_board);
    m_panelScores->setObjectName(QStringLiteral("panel_scores"));
    m_panelScores->setGeometry(140, 111, 216, 227);
    m_panelScores->hide();
    connect(m_panelScores, &ScorePanel::closeClicked, this, &Tchat::button_closeClick);
}

void Tchat::clearTeamScores()
{
    m_panelScores->reset();
}

void Tchat::postscores(const wire::toClient::PostScores &m)
{
    const ScoreBoardUpdate update = m_panelScores->postscores(m);
    for (int team = 1; team <= 2; ++team) {
        m_labelBags[team]->setText(QString::number(update.bags[team - 1]));
        m_labelTeam[team]->setText(QString::number(update.score[team - 1]));
    }
    m_panelScores->show();
    m_panelScores->raise();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats->trickwinner[seat]->hide();
        m_seats->turn[seat]->hide();
    }
    setStatus(QString::fromLatin1(ScorePanel::kPostingText));
    playsounds(QStringLiteral("roundover"));
}

void Tchat::button_closeClick()
{
    m_panelScores->hide();
    if (const auto message = m_model.closeScores())
        send(*message);
}

void Tchat::winner(const wire::toClient::Winner &m)
{
    const bool blue = m.team == 1;
    const QString teamName = blue ? QStringLiteral("Team Blue") : QStringLiteral("Team Red");
    const int seats[2] = {blue ? 1 : 2, blue ? 3 : 4};
    const bool ownTeamWon = m_model.myseat() == seats[0] || m_model.myseat() == seats[1];

    for (int seat : seats) {
        m_seats->winner[seat]->show();
        m_seats->winner[seat]->raise();
    }
    playsounds(QStringLiteral("winner"));
    const QString text = ownTeamWon ? QStringLiteral("You have Won the Game!")
                                    : teamName + QStringLiteral(" has Won the Game!");
    setStatus(text);
    addlinetochat(QStringLiteral("0+") + text);
    if (hostRights())
        m_buttonStart->show();
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        m_seats->blind[seat]->hide();
        m_seats->nil[seat]->hide();
        m_seats->trickwinner[seat]->hide();
        m_seats->turn[seat]->hide();
    }
    if (m_model.myseat() >= 1 && m_model.myseat() <= kSeatCount && m_services.recordTally)
        m_services.recordTally(ownTeamWon ? QStringLiteral("addtomine") : teamName);
}

void Tchat::gamestats(const wire::toClient::GameStats &m)
{
    // A game is under way: the start picture waits for its end, as it does
    // for the player who started it.
    m_buttonStart->hide();
    m_labelRound->setText(QStringLiteral("Round: ") + QString::number(m.roundnumber));
    m_labelTotalbids->setText(QStringLiteral("Total Bids: ") + QString::number(m.totalbids));
    for (int team = 1; team <= 2; ++team) {
        m_labelTeam[team]->setText(QString::number(m.teamscore[team - 1]));
        m_labelBags[team]->setText(QString::number(m.teambags[team - 1]));
    }

    for (const wire::SeatStats &s : m.seats) {
        m_seats->tricks[s.seat]->setText(QString::number(s.tricks));
        m_seats->bid[s.seat]->setText(QString::number(s.bid));
        if (s.hasbid) {
            if (s.bid == 0)
                m_seats->nil[s.seat]->show();
            if (s.blindnil)
                m_seats->blind[s.seat]->show();
        }
        BoardPicture *played = m_seats->played[s.seat];
        played->clearPicture();
        setTag(played, 0);
        if (cards::isCard(s.tablecard)) {
            played->setPicture(pictures::card(s.tablecard, devicePixelRatioF()));
            setTag(played, s.tablecard);
        }
    }

    m_labelPlaytoscore->setText(QStringLiteral("Play to Score: ") + QString::number(m.playtoscore));
    setRule(m_labelBlind, m.blind, QStringLiteral("Blind Nil: Allowed"),
            QStringLiteral("Blind Nil: Disallowed"));
    setRule(m_labelBaggin, m.sandbag, QStringLiteral("Penalty for Bags: Yes"),
            QStringLiteral("Penalty for Bags: No"));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        BoardLabel *name = m_seats->playername[seat];
        if (name->text() == QLatin1String("<Waiting>"))
            name->setText(m_seatnames.value(seat - 1));
        if (seat != m_model.myseat())
            m_seats->cards[seat]->show();
    }
    if (cards::isSeat(m_model.myseat()))
        m_seats->cards[m_model.myseat()]->hide();
    if (cards::isSeat(m_model.turnseat()))
        m_seats->turn[m_model.turnseat()]->show();
}

void Tchat::loadcards(const wire::toClient::LoadCards &m)
{
    m_pendingCards = m.cards;
    if (tagOf(m_labelBlind) != 0 && !m_model.alreadybid())
        m_flippedcards->show();
    else
        flipcards();
}
