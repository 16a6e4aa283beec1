#include "client/tablemodel.h"

#include "protocol/cards.h"

#include <algorithm>
#include <array>
#include <optional>

namespace {

template <typename... F> struct Overloaded : F...
{
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

// The seats' own names: seat 1's is the word for the hosting player's own
// seat, the others' those of the computers that play them.
const char *const kDefaultNames[TableModel::kSeats] = {"You", "Klot", "Klick", "Kling"};
// The computer that plays seat 1, as the other tables see it.
const QLatin1String kSeatOneComputer("Klack");
const QLatin1String kWaiting("<Waiting>");

} // namespace

TableModel::TableModel()
{
    for (int seat = 1; seat <= kSeats; ++seat)
        m_seats[seat].fallback = QString::number(seat);
}

QString TableModel::defaultName(int seat)
{
    return cards::isSeat(seat) ? QString::fromLatin1(kDefaultNames[seat - 1]) : QString();
}

QString TableModel::computerName(int seat)
{
    return seat == 1 ? QString(kSeatOneComputer) : defaultName(seat);
}

QString TableModel::nameWhileEmpty(int seat) const
{
    return seat == m_myseat ? defaultName(seat) : computerName(seat);
}

void TableModel::apply(const wire::ToClient &message)
{
    using namespace wire::toClient;
    std::visit(Overloaded{
                   [this](const SendLoginInfo &m) {
                       m_myseat = m.n;
                       m_loggedin = true;
                   },
                   [this](const NewPlayerInfo &m) { seatJoined(m.n, m.text); },
                   [this](const ExistingPlayers &m) { seatJoined(m.n, m.text); },
                   [this](const wire::StartGame &m) {
                       m_gameRunning = true;
                       m_watching = false;
                       newGame();
                       m_bagPenalty = m.sandbagOn();
                       m_blindAllowed = m.blindOn();
                       m_startClub = m.startclubOn();
                       m_playToScore = QString::fromLatin1(m.target);
                   },
                   [this](const StartRound &m) {
                       m_round = m.roundnumber;
                       m_dealer = cards::isSeat(m.dealer) ? m.dealer : 0;
                       newHand();
                   },
                   [this](const NextPlayer &m) {
                       m_turnseat = m.turn;
                       if (m.ledcard && *m.ledcard == 0) {
                           for (Seat &s : m_seats)
                               s.played = 0;
                           m_trick.fill(0);
                           m_trickLeader = 0;
                       }
                   },
                   [this](const GetBid &m) {
                       m_awaitedBidder = m.bidder;
                       m_totalBids = m.totalbids;
                   },
                   [this](const HeBid &m) {
                       if (Seat *s = seatAt(m.seat)) {
                           s->hasbid = true;
                           s->blind = s->blind || m.bid == wire::kBlindNil;
                           s->bid = m.bid == wire::kBlindNil ? 0 : m.bid;
                           s->nil = s->nil || s->bid == 0;
                       }
                   },
                   [this](const FinalBid &m) {
                       m_totalBids = m.totalbids;
                       m_teams[1].bids = m.team1;
                       m_teams[2].bids = m.team2;
                   },
                   [this](const Error &m) {
                       if (m.seat != m_myseat)
                           return;
                       m_turnseat = m_myseat;
                       if (m.handPosition && *m.handPosition == m_offered)
                           m_offered = 0;
                   },
                   [this](const HePlayed &m) {
                       if (Seat *s = seatAt(m.seat))
                           s->played = cards::isCard(m.card) ? m.card : 0;
                       cardPlayed(m);
                   },
                   [this](const MyCards &m) { m_dealt = m.cards; },
                   [this](const LoadCards &m) { m_dealt = m.cards; },
                   [this](const TookTrick &m) {
                       if (Seat *s = seatAt(m.seat))
                           s->tricks = m.tricks;
                       m_trick.fill(0);
                       m_trickLeader = 0;
                   },
                   [this](const PostScores &m) {
                       for (int team = 1; team <= 2; ++team) {
                           m_teams[team].bags = m.values[4 + team - 1];
                           m_teams[team].score = m.values[12 + team - 1];
                       }
                   },
                   [this](const Winner &) {
                       m_gameRunning = false;
                       for (Seat &s : m_seats)
                           s.nil = s.blind = false;
                   },
                   [this](const JustWatching &m) {
                       if (m.seat == m_myseat)
                           m_watching = m.mode == wire::toHost::JustWatch::kWatch;
                   },
                   [this](const GameStats &m) {
                       m_gameRunning = true;
                       // Back after a lost connection in a later hand: the
                       // Nil marks were of the hand before.
                       if (m.roundnumber != m_round)
                           for (Seat &s : m_seats)
                               s.nil = s.blind = false;
                       m_round = m.roundnumber;
                       m_totalBids = m.totalbids;
                       for (int team = 1; team <= 2; ++team) {
                           m_teams[team].score = m.teamscore[team - 1];
                           m_teams[team].bags = m.teambags[team - 1];
                       }
                       // Once all four have bid, the team bids are what the
                       // seated players were told at the end of the bidding.
                       std::array<std::optional<int>, kSeats + 1> bids;
                       for (const wire::SeatStats &stats : m.seats)
                           if (cards::isSeat(stats.seat) && stats.hasbid)
                               bids[size_t(stats.seat)] = stats.bid;
                       if (std::all_of(bids.begin() + 1, bids.end(),
                                       [](const std::optional<int> &b) { return b.has_value(); })) {
                           m_teams[1].bids = *bids[1] + *bids[3];
                           m_teams[2].bids = *bids[2] + *bids[4];
                       }
                       for (const wire::SeatStats &stats : m.seats) {
                           if (stats.seat == m_myseat)
                               m_alreadybid = stats.hasbid;
                           Seat *s = seatAt(stats.seat);
                           if (!s)
                               continue;
                           s->tricks = stats.tricks;
                           s->bid = stats.bid;
                           s->hasbid = stats.hasbid;
                           s->nil = s->nil || (stats.hasbid && stats.bid == 0);
                           s->blind = s->blind || (stats.hasbid && stats.blindnil);
                           s->played = cards::isCard(stats.tablecard) ? stats.tablecard : 0;
                       }
                       m_playToScore = QString::number(m.playtoscore);
                       m_blindAllowed = m.blind;
                       m_bagPenalty = m.sandbag;
                       resyncTrick(m.seats);
                       for (int seat = 1; seat <= kSeats; ++seat)
                           if (m_seats[seat].name == kWaiting)
                               m_seats[seat].name = nameWhileEmpty(seat);
                   },
                   [](const auto &) {},
               },
               message);
}

QString TableModel::nameFrom(const QByteArray &text)
{
    return QString::fromLatin1(text.left(kLongestName));
}

void TableModel::seatJoined(int seat, const QByteArray &name)
{
    // From the own login on, a seat whose player leaves shows its computer name.
    if (seat == m_myseat)
        for (int s = 1; s <= kSeats; ++s)
            m_seats[s].fallback = nameWhileEmpty(s);
    if (Seat *s = seatAt(seat))
        s->name = nameFrom(name);
}

bool TableModel::othersSeated() const
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        const QString &name = m_seats[size_t(seat)].name;
        if (seat != m_myseat && name != kWaiting && name != m_seats[size_t(seat)].fallback &&
            name != computerName(seat))
            return true;
    }
    return false;
}

std::optional<QString> TableModel::seatLeft(int seat)
{
    Seat *s = seatAt(seat);
    if (!s)
        return std::nullopt;
    const QString shown = std::exchange(s->name, s->fallback);
    if (shown == kWaiting || shown == s->fallback)
        return std::nullopt;
    return shown;
}

std::optional<QString> TableModel::spyJoined(int n, const QString &name)
{
    if (n <= kSeats)
        return std::nullopt;
    const std::optional<QString> replaced =
        m_spies.contains(n) ? std::optional(m_spies.value(n)) : std::nullopt;
    m_spies.insert(n, QString::number(n) + QStringLiteral(": ") + name);
    return replaced;
}

QStringList TableModel::forgetPeople()
{
    for (int seat = 1; seat <= kSeats; ++seat) {
        if (seat != m_myseat)
            m_seats[size_t(seat)].name = m_seats[size_t(seat)].fallback;
    }
    const QStringList lines = m_spies.values();
    m_spies.clear();
    return lines;
}

std::optional<QString> TableModel::nameOfConnection(int n) const
{
    if (cards::isSeat(n))
        return m_seats[size_t(n)].name;
    const auto line = m_spies.constFind(n);
    if (line == m_spies.constEnd())
        return std::nullopt;
    return line->mid(QString::number(n).size() + 2); // after "n: "
}

bool TableModel::spyLeft(int n, const QString &name)
{
    const auto line = m_spies.constFind(n);
    if (line == m_spies.constEnd() || *line != QString::number(n) + QStringLiteral(": ") + name)
        return false;
    m_spies.erase(line);
    return true;
}

void TableModel::cardPlayed(const wire::toClient::HePlayed &m)
{
    // Each seat lays one card a trick, and no card comes twice in a hand.
    if (!cards::isSeat(m.seat) || !cards::isCard(m.card) || m_trick[m.seat] != 0 ||
        (m_history.played >> m.card & 1) != 0)
        return;
    if (m_trickLeader == 0) {
        // The trick opens with this card, or opened before a resync: cards go
        // round in seat order, so its leader sits as many seats back as there
        // are cards on the table.
        const int onTable = int(
            std::count_if(m_trick.begin() + 1, m_trick.end(), [](int card) { return card != 0; }));
        m_trickLeader = (m.seat - 1 - onTable + 2 * kSeats) % kSeats + 1;
    }
    m_history.place(m.seat, m.card, m_trick[m_trickLeader], m_spadesBroken);
    m_spadesBroken = m_spadesBroken || getsuit(m.card) == cards::kSpades;
    m_trick[m.seat] = m.card;
    const int left = m.cardsLeft ? *m.cardsLeft : m_cardsLeft[m.seat] - 1;
    m_cardsLeft[m.seat] = std::clamp(left, 0, kHandSize);
}

// Joining during a hand, the table learns the cards on the table but not the
// tricks before: those cards stay unknown, and spades count as broken only
// when one is seen.
void TableModel::resyncTrick(const QList<wire::SeatStats> &seats)
{
    clearPlay();
    int taken = 0;
    for (const wire::SeatStats &stats : seats) {
        if (!cards::isSeat(stats.seat))
            continue;
        taken += std::clamp(stats.tricks, 0, kHandSize);
        if (cards::isCard(stats.tablecard) && (m_history.played >> stats.tablecard & 1) == 0) {
            m_trick[stats.seat] = stats.tablecard;
            m_history.played |= CardSet(1) << stats.tablecard;
            m_spadesBroken = m_spadesBroken || getsuit(stats.tablecard) == cards::kSpades;
        }
    }
    for (int seat = 1; seat <= kSeats; ++seat)
        m_cardsLeft[seat] = std::clamp(kHandSize - taken - (m_trick[seat] != 0), 0, kHandSize);
    m_sawWholeHand = taken == 0;
}

void TableModel::newGame()
{
    for (Seat &s : m_seats) {
        s.tricks = s.bid = s.played = 0;
        s.hasbid = false;
        if (s.name == kWaiting)
            s.name = nameWhileEmpty(int(&s - &m_seats[0]));
    }
    m_teams.fill({});
    clearHand();
    clearPlay();
}

void TableModel::clearPlay()
{
    m_history.clear();
    m_trick.fill(0);
    m_trickLeader = 0;
    m_cardsLeft.fill(kHandSize);
    m_spadesBroken = false;
    m_sawWholeHand = true;
}

void TableModel::newHand()
{
    for (Seat &s : m_seats) {
        s.tricks = s.bid = s.played = 0;
        s.nil = s.blind = s.hasbid = false;
    }
    clearPlay();
    for (Team &team : m_teams)
        team.bids = 0;
    clearHand();
}

TableModel::Seat *TableModel::seatAt(int seat)
{
    return cards::isSeat(seat) ? &m_seats[seat] : nullptr;
}

const TableModel::Seat &TableModel::seat(int seat) const
{
    static const Seat kNone{QString(), QString()};
    return cards::isSeat(seat) ? m_seats[seat] : kNone;
}

const TableModel::Team &TableModel::team(int team) const
{
    static const Team kNone;
    return team == 1 || team == 2 ? m_teams[team] : kNone;
}

TableModel::Dealt TableModel::addCard(int position, int card)
{
    int slot = 1;
    while (slot <= kHandSize && m_slots[slot] != 0)
        ++slot;
    if (slot > kHandSize)
        return Dealt::HandFull;
    if (!cards::isHandPosition(position) || !cards::isCard(card) || m_cards[position] != 0)
        return Dealt::Refused;
    m_cards[position] = card;
    m_slots[slot] = position;
    return Dealt::Added;
}

void TableModel::sortHand()
{
    for (int pass = 0; pass < kHandSize; ++pass) {
        for (int k = kHandSize; k >= 2; --k) {
            if (m_slots[k] == 0)
                continue;
            if (m_slots[k - 1] == 0)
                return; // a gap under a card: leave the hand as it lies
            if (m_cards[m_slots[k - 1]] > m_cards[m_slots[k]])
                std::swap(m_slots[k], m_slots[k - 1]);
        }
    }
}

void TableModel::removeCard(int position)
{
    if (!cards::isHandPosition(position))
        return;
    m_cards[position] = 0;
    const int slot = slotOf(position);
    if (slot == 0)
        return;
    for (int k = slot; k < kHandSize; ++k)
        m_slots[k] = m_slots[k + 1];
    m_slots[kHandSize] = 0;
    m_offered = 0;
}

void TableModel::clearHand()
{
    m_cards.fill(0);
    m_slots.fill(0);
    m_offered = 0;
}

int TableModel::cardAt(int position) const
{
    return cards::isHandPosition(position) ? m_cards[position] : 0;
}

int TableModel::slotOf(int position) const
{
    if (!cards::isHandPosition(position))
        return 0;
    for (int slot = 1; slot <= kHandSize; ++slot)
        if (m_slots[slot] == position)
            return slot;
    return 0;
}

std::array<int, TableModel::kHandSize + 1> TableModel::handSlots() const
{
    std::array<int, kHandSize + 1> result{};
    for (int slot = 1; slot <= kHandSize; ++slot)
        result[slot] = m_slots[slot] == 0 ? -1 : m_slots[slot];
    return result;
}

QList<int> TableModel::handInOrder() const
{
    QList<int> hand;
    for (int slot = 1; slot <= kHandSize; ++slot)
        if (m_slots[slot] != 0)
            hand.append(m_slots[slot]);
    return hand;
}

std::optional<QByteArray> TableModel::playCard(int handPosition)
{
    if (m_watching || !myTurn())
        return std::nullopt;
    m_turnseat = 0;
    m_offered = handPosition;
    return wire::toHost::PlayCard{m_myseat, handPosition}.encode();
}
std::optional<QByteArray> TableModel::bid(int value) const
{
    if (!myBidAwaited() || !m_loggedin)
        return std::nullopt;
    return wire::toHost::MyBid{m_myseat, value}.encode();
}

std::optional<QByteArray> TableModel::closeScores() const
{
    if (m_myseat > kSeats || !m_loggedin)
        return std::nullopt;
    return wire::toHost::Closed{m_myseat}.encode();
}

bool TableModel::setBotSpeed(int milliseconds)
{
    if (milliseconds != 1000 && milliseconds != 500 && milliseconds != 200)
        return false;
    m_botSpeed = milliseconds;
    return true;
}

std::optional<QByteArray> TableModel::botSpeedMessage() const
{
    if (!m_loggedin)
        return std::nullopt;
    return wire::toHost::BotSpeed{m_myseat, m_botSpeed}.encode();
}
