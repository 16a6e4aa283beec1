#pragma once

#include "host/computerkind.h"
#include "host/seatknowledge.h"
#include "protocol/wirecodec.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>

// What the table knows of the game apart from how it is drawn: who we are,
// whose turn and whose bid it is, the seats' names, bids, tricks and cards on
// the table, the teams' scores, the rules, the own hand, and the messages the
// player's choices send. The window draws from it; keyboard play and the
// screen-reader names read it.
class TableModel
{
public:
    static constexpr int kSeats = 4;
    static constexpr int kHandSize = 13;
    static constexpr int kDefaultBotSpeed = 500;

    struct Seat
    {
        QString name = QStringLiteral("<Waiting>"); // what the seat's name label shows
        // What the label falls back to when its player leaves: the seat number
        // until we know our own seat, then nameWhileEmpty.
        QString fallback;
        int bid = 0; // 0 both before bidding and for Nil
        bool hasbid = false;
        bool nil = false;
        bool blind = false;
        int tricks = 0;
        int played = 0; // the card on the table, 0 for none
    };
    struct Team
    {
        int score = 0;
        int bags = 0;
        int bids = 0;
    };

    TableModel();

    // The default name of seat 1 to 4: "You" for seat 1, the hosting
    // player's own, and the computer players' names for the others.
    static QString defaultName(int seat);
    // The name of the computer player of seat 1 to 4. Seat 1 is the hosting
    // player's own at a table inside a window, but a table without one lets
    // the computer play it when its player leaves.
    static QString computerName(int seat);
    // A player's name as the table shows it: its first kLongestName bytes.
    // A host may send names of 64 KiB, which no seat label can show and
    // every repaint would lay out whole.
    static constexpr qsizetype kLongestName = 64;
    static QString nameFrom(const QByteArray &text);

    // Takes in what a host message says about this state. Call before the
    // window draws the message, so that the drawing reads the new state.
    void apply(const wire::ToClient &message);
    // A player left: the name the seat showed, when that was a player's name
    // worth announcing. The seat shows its fallback from then on.
    std::optional<QString> seatLeft(int seat);
    // A watcher's line "n: name" for the spy list, one per connection number
    // above 4, however often a host announces one: gives the line it replaces.
    std::optional<QString> spyJoined(int n, const QString &name);
    // Whether the watcher's line was listed; it is not any more.
    bool spyLeft(int n, const QString &name);
    // The name the table shows for connection n: a seat's label or a listed
    // watcher's name; none for a number it shows nobody under.
    std::optional<QString> nameOfConnection(int n) const;
    // Back after a lost connection, the host names everyone again: the other
    // seats show their fallback and the watchers are forgotten until then.
    // Gives the watchers' lines that were listed.
    QStringList forgetPeople();

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
    // A game has started and no team has won it yet.
    bool gameRunning() const { return m_gameRunning; }
    // Someone other than us plays at the table: a seat shows a player's name,
    // not its computer name. (A player who takes a computer's name is not
    // told apart.)
    bool othersSeated() const;
    int botSpeed() const { return m_botSpeed; }

    // Seats 1 to 4 and teams 1 and 2; anything else reads as empty.
    const Seat &seat(int seat) const;
    const Team &team(int team) const;
    QString seatName(int seat) const { return this->seat(seat).name; }
    int round() const { return m_round; }
    int totalBids() const { return m_totalBids; }
    QString playToScore() const { return m_playToScore; }
    bool bagPenalty() const { return m_bagPenalty; }
    bool blindAllowed() const { return m_blindAllowed; }
    bool startClub() const { return m_startClub; }
    int dealer() const { return m_dealer; } // 0 until a hand is dealt

    // What the table has shown of the hand being played: the cards played and
    // the suits each seat has shown out of, the open trick (by seat, 0 for
    // none) and who led it, and how many cards each seat still holds. A table
    // that joined during a hand has missed the earlier tricks and the leader.
    const PlayHistory &history() const { return m_history; }
    int trickCard(int seat) const { return cards::isSeat(seat) ? m_trick[seat] : 0; }
    int trickLeader() const { return m_trickLeader; }
    int cardsLeft(int seat) const { return cards::isSeat(seat) ? m_cardsLeft[seat] : 0; }
    bool spadesBroken() const { return m_spadesBroken; }
    // Whether spadesBroken() can be trusted to say no: the table saw every
    // card of the hand so far. One that joined after a trick was taken
    // cannot tell until it sees a spade.
    bool spadesKnown() const { return m_spadesBroken || m_sawWholeHand; }

    // The own hand: thirteen slots left to right, each holding a hand
    // position (1 to 13) whose card the host dealt.
    enum class Dealt { Added, HandFull, Refused };
    // A card goes into the first free slot. A full hand comes first: only a
    // broken host deals a fourteenth card. A position that is taken or not
    // 1 to 13, or a card outside 1 to 52, is refused.
    Dealt addCard(int position, int card);
    // Orders the hand by card number; a free slot under a card stops it.
    void sortHand();
    // The card left the hand (the host took it): the slots after it close
    // the gap.
    void removeCard(int position);
    void clearHand();
    int cardAt(int position) const;
    // Slot 1 to 13 of a hand position; 0 when it is not in the hand.
    int slotOf(int position) const;
    // Hand positions in slot order, free slots as -1.
    std::array<int, kHandSize + 1> handSlots() const;
    // The hand positions left to right.
    QList<int> handInOrder() const;
    // The card offered to the host and not yet taken or refused; 0 for none.
    int offeredCard() const { return m_offered; }
    // The cards last dealt or resent, until the window lays them out.
    QList<wire::CardInSlot> takeDealt() { return std::exchange(m_dealt, {}); }

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
    // The computer players of the host this table runs.
    ComputerKind computers() const { return m_computers; }
    void setComputers(ComputerKind kind) { m_computers = kind; }

private:
    void newGame();
    void newHand();
    void clearPlay();
    void seatJoined(int seat, const QByteArray &name);
    void cardPlayed(const wire::toClient::HePlayed &m);
    void resyncTrick(const QList<wire::SeatStats> &seats);
    Seat *seatAt(int seat);
    // What a seat shows while nobody plays it: the own seat its default name,
    // every other seat its computer's.
    QString nameWhileEmpty(int seat) const;

    QMap<int, QString> m_spies; // watcher lines "n: name" by connection number
    int m_myseat = 0;
    bool m_loggedin = false;
    bool m_ishost = false;
    int m_turnseat = 0;
    int m_awaitedBidder = 0;
    bool m_alreadybid = false;
    bool m_watching = false;
    bool m_gameRunning = false;
    int m_botSpeed = kDefaultBotSpeed;
    ComputerKind m_computers = ComputerKind::Classic;

    std::array<Seat, kSeats + 1> m_seats{};
    std::array<Team, 3> m_teams{};
    int m_round = 0;
    int m_totalBids = 0;
    QString m_playToScore = QStringLiteral("500");
    bool m_bagPenalty = true;
    bool m_blindAllowed = true;
    bool m_startClub = false;
    int m_dealer = 0;

    PlayHistory m_history;
    std::array<int, kSeats + 1> m_trick{}; // the open trick's cards by seat
    int m_trickLeader = 0;                 // 0 while the trick is empty or its start was missed
    std::array<int, kSeats + 1> m_cardsLeft{0, kHandSize, kHandSize, kHandSize, kHandSize};
    bool m_spadesBroken = false;
    bool m_sawWholeHand = true;

    std::array<int, kHandSize + 1> m_cards{}; // by hand position, 0 for none
    std::array<int, kHandSize + 1> m_slots{}; // hand position by slot, 0 for free
    int m_offered = 0;
    QList<wire::CardInSlot> m_dealt;
};
