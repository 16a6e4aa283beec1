#pragma once

#include "protocol/wirecodec.h"

#include <QByteArray>
#include <optional>

// What the table knows of the game apart from how it is drawn: who we are,
// whose turn and whose bid it is, whether we watch, the bot speed; and the
// messages the player's choices send. The window draws from it; keyboard play
// and the screen-reader names read it.
class TableModel
{
public:
    static constexpr int kSeats = 4;
    static constexpr int kDefaultBotSpeed = 500;

    // Takes in what a host message says about this state. Call before the
    // window draws the message, so that the drawing reads the new state.
    void apply(const wire::ToClient &message);

    int myseat() const { return m_myseat; }
    bool loggedin() const { return m_loggedin; }
    bool ishost() const { return m_ishost; }
    void setHost() { m_ishost = true; }
    // Whether this window runs the table: it hosts, or the host it joined has
    // given it connection number 1, which the host lets start games, remove
    // people and set the bot speed.
    bool hostRights() const { return m_ishost || (m_loggedin && m_myseat == 1); }
    int turnseat() const { return m_turnseat; }
    bool myTurn() const { return m_loggedin && m_turnseat == m_myseat; }
    // The seat whose bid the host waits for; 0 once the own bid has gone.
    int awaitedBidder() const { return m_awaitedBidder; }
    bool myBidAwaited() const { return m_awaitedBidder == m_myseat; }
    // Whether the own seat had bid when a running game was joined.
    bool alreadybid() const { return m_alreadybid; }
    bool watching() const { return m_watching; }
    int botSpeed() const { return m_botSpeed; }

    // The player's choices. Each gives the message to send, if any.
    std::optional<QByteArray> playCard(int handPosition);
    // A number bid (0 to 13) or wire::kBlindNil, sent only when the host
    // waits for ours.
    std::optional<QByteArray> bid(int value) const;
    // The number bid controls went away: no bid is awaited any more.
    void dropBid() { m_awaitedBidder = 0; }
    std::optional<QByteArray> closeScores() const;
    // Only the speeds of the menu are taken.
    bool setBotSpeed(int milliseconds);
    // Nothing before the login.
    std::optional<QByteArray> botSpeedMessage() const;

private:
    int m_myseat = 0;
    bool m_loggedin = false;
    bool m_ishost = false;
    int m_turnseat = 0;
    int m_awaitedBidder = 0;
    bool m_alreadybid = false;
    bool m_watching = false;
    int m_botSpeed = kDefaultBotSpeed;
};
