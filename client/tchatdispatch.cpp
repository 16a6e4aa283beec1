// Receiving: the socket's bytes become queued messages, and Timer1 hands one
// message per tick to its handler. Also the login and the comings and goings.
#include "client/tchatboard.h"

#include "chat/chatpanel.h"
#include "client/reconnection.h"
#include "client/soundboard.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "protocol/message.h"

#include <QScopedValueRollback>
#include <QTimer>
#include <utility>

namespace {

// One call operator for each message type, taken from the lambdas given.
template <typename... F> struct Overloaded : F...
{
    using F::operator()...;
};
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace

void Tchat::sockRead(const QByteArray &bytes)
{
    if (m_ending)
        return;
    // A host that never ends its message, or sends faster than any table
    // reads, is not one we can follow.
    if (!m_receivedlist.append(bytes)) {
        endProgram();
        return;
    }
    if (!m_receivedlist.isEmpty())
        startTimer1();
}

void Tchat::sockInfo(const QByteArray &text)
{
    if (text != "Socket Closed" || m_closingQuietly || m_connectionGone)
        return;
    if (m_reconnection->active()) {
        // An attempt that reached the host and lost it again before the login.
        m_reconnection->attemptEnded();
        return;
    }
    if (m_lostWithError && mayReconnect()) {
        connectionLost();
        return;
    }
    endProgram();
}

void Tchat::queueMessage(const QByteArray &message)
{
    if (m_ending)
        return;
    if (!m_receivedlist.push(message)) {
        endProgram();
        return;
    }
    if (!m_receivedlist.isEmpty())
        startTimer1();
}

void Tchat::processsocktimer()
{
    if (m_dispatching) {
        m_timer1->stop();
        return;
    }
    if (const std::optional<QByteArray> line = m_receivedlist.take()) {
        // A message with a command name may have changed the board even
        // when it names nothing this table knows.
        if (line->indexOf('+') > 0) {
            if (const std::optional<wire::ToClient> message = wire::decodeToClient(*line)) {
                const QScopedValueRollback<bool> busy(m_dispatching, true);
                dispatch(*message);
            }
            emit tableChanged();
        }
    }
    if (m_receivedlist.isEmpty())
        m_timer1->stop();
    else
        startTimer1();
}

void Tchat::dispatch(const wire::ToClient &message)
{
    using namespace wire::toClient;
    m_model.apply(message);
    if (m_scoreSheet.apply(message))
        emit scoreSheetChanged(m_scoreSheet);
    std::visit(Overloaded{
                   [this](const SendLoginInfo &m) { sendloginfo(m); },
                   [this](const Chat &m) { chatrecieved(m.n, m.line); },
                   [this](const Action &m) { chatrecieved(m.n, m.line); },
                   [this](const NewPlayerInfo &m) { newplayerinfo(m.n, m.text); },
                   [this](const HaveWrongVersion &m) { havewrongversion(m); },
                   [this](const WrongVersion &) { wrongversion(); },
                   [this](const ExistingPlayers &m) { newplayerinfo(m.n, m.text); },
                   [this](const PlayerDisconnected &m) { playerdisconnected(m); },
                   [this](const wire::StartGame &m) { startthegame(m); },
                   [this](const NextPlayer &m) { getnextplayer(m); },
                   [this](const Winner &m) { winner(m); },
                   [this](const Full &) { full(); },
                   [this](const JustWatching &m) { justwatching(m); },
                   [this](const MyCards &m) { mycards(m); },
                   [this](const StartRound &m) { startround(m); },
                   [this](const GetBid &m) { getbid(m); },
                   [this](const HeBid &m) { hebid(m); },
                   [this](const FinalBid &m) { finalbid(m); },
                   [this](const Error &m) { error(m); },
                   [this](const HePlayed &m) { heplayed(m); },
                   [this](const UseCard &m) { usecard(m); },
                   [this](const TookTrick &m) { tooktrick(m); },
                   [this](const PostScores &m) { postscores(m); },
                   [this](const GameStats &m) { gamestats(m); },
                   [this](const LoadCards &m) { loadcards(m); },
                   [this](const PlayASound &m) { playasound(m); },
                   [this](const SeatTicket &m) { seatticket(m); },
               },
               message);
    drawBoard();
}

void Tchat::sendloginfo(const wire::toClient::SendLoginInfo &m)
{
    const QScopedValueRollback<bool> loggingIn(m_loggingIn, true);
    if (m_reconnection->active()) {
        // Back at the host: first the ticket, then the login under the
        // number the host answers with (the seat's when the ticket held).
        if (std::exchange(m_rejoinPending, false)) {
            send(wire::toHost::Rejoin{m.n, m_ticketSeat, m_ticket}.encode());
            return;
        }
        // The seat was not kept (the grace ran out): this table's game is over.
        if (m.n != m_ticketSeat) {
            giveUpReconnecting();
            return;
        }
        for (const QString &line : m_model.forgetPeople())
            emit spyLeft(line);
        // The hand comes again as it stands now: the computer may have
        // played from it meanwhile, and bid for it. Controls for a bid asked
        // before the loss go too; the host asks again if the bid is still due.
        destroyCards();
        m_model.clearHand();
        hideBidControls();
        m_flippedcards->hide();
    }
    m_chat->setMySeat(m_model.myseat());
    m_chat->setLoggedIn(true);
    m_soundBoard->setMySeat(m_model.myseat());
    m_soundBoard->setLoggedIn(true);
    send(wire::toHost::LoginInfo{m_model.myseat(), wire::kVersion, m_logintext}.encode());
    // A host without a window of its own (the table server) hands number 1
    // the running of the table.
    if (!m_model.ishost() && hostRights())
        offerHostControls();
    emit loginConfirmed(m_model.myseat());
}

void Tchat::havewrongversion(const wire::toClient::HaveWrongVersion &m)
{
    addlinetochat(QStringLiteral("0+") + TableModel::nameFrom(m.name) +
                  QStringLiteral(" has a different version of the game then you."));
}

void Tchat::wrongversion()
{
    addlinetochat(QStringLiteral("0+You have a differnt version of the game then the host."));
}

void Tchat::full()
{
    showMessage(QStringLiteral("Game is full"));
    endProgram();
}

void Tchat::newplayerinfo(int seat, const QByteArray &text)
{
    const QString name = TableModel::nameFrom(text);
    if (seat == m_model.myseat() && reconnecting()) {
        addlinetochat(QStringLiteral("0+You are Connected."));
        sortstuff(m_model.myseat());
        backInSeat();
    } else if (seat == m_model.myseat()) {
        addlinetochat(QStringLiteral("0+You are Connected."));
        sortstuff(m_model.myseat());
        emit connected();
        // A host in another process knows the saved bot speed only when told.
        if (!m_model.ishost() && hostRights())
            send(wire::toHost::BotSpeed{m_model.myseat(), botSpeed()}.encode());
    } else {
        addlinetochat(QStringLiteral("0+") + name + QStringLiteral(" is Connected."));
    }
    if (cards::isSeat(seat)) {
        m_seats->playername[seat]->setName(m_model.seatName(seat));
        m_seats->playername[seat]->show();
    } else if (seat > kSeatCount) {
        if (const std::optional<QString> replaced = m_model.spyJoined(seat, name))
            emit spyLeft(*replaced);
        emit spyJoined(QString::number(seat) + QStringLiteral(": ") + name);
        addlinetochat(seat == m_model.myseat()
                          ? QStringLiteral("0+You are spying.")
                          : QStringLiteral("0+") + name + QStringLiteral(" is spying."));
    }
    playsounds(QStringLiteral("entered"));
}

void Tchat::playerdisconnected(const wire::toClient::PlayerDisconnected &m)
{
    const int seat = m.n;
    const QString name = TableModel::nameFrom(m.text);
    if (cards::isSeat(seat)) {
        if (const std::optional<QString> departed = m_model.seatLeft(seat))
            addlinetochat(QStringLiteral("0+") + *departed + QStringLiteral(" disconnected."));
        m_seats->eyes[seat]->hide();
    } else if (seat > kSeatCount) {
        if (m_model.spyLeft(seat, name)) {
            emit spyLeft(QString::number(seat) + QStringLiteral(": ") + name);
            addlinetochat(QStringLiteral("0+") + name + QStringLiteral(" has left."));
        }
    }
}

void Tchat::chatrecieved(int n, const QByteArray &line)
{
    const std::optional<QString> name = m_model.nameOfConnection(n);
    if (m_mutes.hides(n, m_model.myseat(), name))
        return;
    // The line keeps the name it came under: names change, numbers move on.
    m_chat->chatrecieved(n, line, name && offersMute(n, *name) ? *name : QString());
}

void Tchat::playasound(const wire::toClient::PlayASound &m)
{
    if (m_mutes.hides(m.n, m_model.myseat(), m_model.nameOfConnection(m.n)))
        return;
    m_soundBoard->playasound(m);
}
