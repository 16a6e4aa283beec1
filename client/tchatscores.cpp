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

void Tchat::postscores(const QByteArray &data)
{
    const std::optional<ScoreBoardUpdate> update = m_panelScores->postscores(data);
    if (!update)
        return;
    for (int team = 1; team <= 2; ++team) {
        m_labelBags[team]->setText(QString::fromLatin1(update->bags[team - 1]));
        m_labelTeam[team]->setText(QString::fromLatin1(update->score[team - 1]));
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
    if (m_myseat < 5 && m_loggedin)
        send("CMD_closed+" + QByteArray::number(m_myseat) + '+' + char(0xFF));
}

void Tchat::winner(const QByteArray &data)
{
    const QByteArray team = wire::FieldReader(data).next();
    const bool blue = team == "1";
    const QString teamName = blue ? QStringLiteral("Team Blue") : QStringLiteral("Team Red");
    const int seats[2] = {blue ? 1 : 2, blue ? 3 : 4};
    const bool ownTeamWon = m_myseat == seats[0] || m_myseat == seats[1];

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
    if (m_myseat >= 1 && m_myseat <= kSeatCount && m_services.recordTally)
        m_services.recordTally(ownTeamWon ? QStringLiteral("addtomine") : teamName);
}

void Tchat::gamestats(const QByteArray &data)
{
    wire::FieldReader reader(data);
    // Receiver, awaited card and awaited bid: read past, not used.
    for (int i = 0; i < 3; ++i)
        if (!reader.nextInt())
            return;
    // A game is under way: the start picture waits for its end, as it does
    // for the player who started it.
    m_buttonStart->hide();
    const QByteArray target = reader.next();
    const QByteArray blind = reader.next();
    const QByteArray bags = reader.next();
    const QByteArray round = reader.next();
    const QByteArray total = reader.next();
    QByteArray scores[2], sandbags[2];
    scores[0] = reader.next();
    scores[1] = reader.next();
    sandbags[0] = reader.next();
    sandbags[1] = reader.next();
    m_labelRound->setText(QStringLiteral("Round: ") + QString::fromLatin1(round));
    m_labelTotalbids->setText(QStringLiteral("Total Bids: ") + QString::fromLatin1(total));
    for (int team = 1; team <= 2; ++team) {
        m_labelTeam[team]->setText(QString::fromLatin1(scores[team - 1]));
        m_labelBags[team]->setText(QString::fromLatin1(sandbags[team - 1]));
    }

    while (!reader.atEnd()) {
        const auto seat = reader.nextInt();
        if (!seat)
            break;
        const QByteArray tricks = reader.next();
        const QByteArray bid = reader.next();
        const auto card = reader.nextInt();
        const QByteArray blindnil = reader.next();
        const QByteArray hasbid = fieldOrRest(reader);
        if (!card)
            break;
        if (!cards::isSeat(*seat))
            continue;
        m_seats->tricks[*seat]->setText(QString::fromLatin1(tricks));
        m_seats->bid[*seat]->setText(QString::fromLatin1(bid));
        if (*seat == m_myseat)
            m_alreadybid = hasbid == "y";
        if (hasbid == "y") {
            if (bid == "0")
                m_seats->nil[*seat]->show();
            if (blindnil == "y")
                m_seats->blind[*seat]->show();
        }
        BoardPicture *played = m_seats->played[*seat];
        played->clearPicture();
        setTag(played, 0);
        if (cards::isCard(*card)) {
            played->setPicture(pictures::card(*card, devicePixelRatioF()));
            setTag(played, *card);
        }
    }

    m_labelPlaytoscore->setText(QStringLiteral("Play to Score: ") + QString::fromLatin1(target));
    setRule(m_labelBlind, blind == "y", QStringLiteral("Blind Nil: Allowed"),
            QStringLiteral("Blind Nil: Disallowed"));
    setRule(m_labelBaggin, bags == "y", QStringLiteral("Penalty for Bags: Yes"),
            QStringLiteral("Penalty for Bags: No"));
    for (int seat = 1; seat <= kSeatCount; ++seat) {
        BoardLabel *name = m_seats->playername[seat];
        if (name->text() == QLatin1String("<Waiting>"))
            name->setText(m_seatnames.value(seat - 1));
        if (seat != m_myseat)
            m_seats->cards[seat]->show();
    }
    if (cards::isSeat(m_myseat))
        m_seats->cards[m_myseat]->hide();
    if (cards::isSeat(m_turnseat))
        m_seats->turn[m_turnseat]->show();
}

void Tchat::loadcards(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const auto seat = reader.nextInt();
    if (!seat || *seat > kSeatCount)
        return;
    m_pendingCards = reader.text() + "+@";
    if (tagOf(m_labelBlind) != 0 && !m_alreadybid)
        m_flippedcards->show();
    else
        flipcards();
}
