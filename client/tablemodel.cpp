#include "client/tablemodel.h"

namespace {

template <typename... F> struct Overloaded : F...
{
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace

void TableModel::apply(const wire::ToClient &message)
{
    using namespace wire::toClient;
    std::visit(Overloaded{
                   [this](const SendLoginInfo &m) {
                       m_myseat = m.n;
                       m_loggedin = true;
                   },
                   [this](const wire::StartGame &) { m_watching = false; },
                   [this](const NextPlayer &m) { m_turnseat = m.turn; },
                   [this](const GetBid &m) { m_awaitedBidder = m.bidder; },
                   [this](const Error &m) {
                       if (m.seat == m_myseat)
                           m_turnseat = m_myseat;
                   },
                   [this](const JustWatching &m) {
                       if (m.seat == m_myseat)
                           m_watching = m.mode == wire::toHost::JustWatch::kWatch;
                   },
                   [this](const GameStats &m) {
                       for (const wire::SeatStats &s : m.seats)
                           if (s.seat == m_myseat)
                               m_alreadybid = s.hasbid;
                   },
                   [](const auto &) {},
               },
               message);
}

std::optional<QByteArray> TableModel::playCard(int handPosition)
{
    if (m_watching || !myTurn())
        return std::nullopt;
    m_turnseat = 0;
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
