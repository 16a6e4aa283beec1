// Receiving: the socket's bytes become queued messages, and Timer1 hands one
// message per tick to its handler. Also the login and the comings and goings.
#include "client/tchatboard.h"

#include "chat/chatpanel.h"
#include "client/soundboard.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "protocol/message.h"

#include <QScopedValueRollback>
#include <QTimer>

namespace {

using Handler = void (Tchat::*)(const QByteArray &);

struct Route
{
    const char *command;
    Handler handler;
};

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
    if (text == "Socket Closed")
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
        const auto [command, data] = wire::splitCommand(*line);
        if (!command.isEmpty()) {
            {
                const QScopedValueRollback<bool> busy(m_dispatching, true);
                dispatch(command, data);
            }
            emit tableChanged();
        }
    }
    if (m_receivedlist.isEmpty())
        m_timer1->stop();
    else
        startTimer1();
}

void Tchat::dispatch(const QByteArray &command, const QByteArray &data)
{
    static const Route routes[] = {
        {"CMD_sendlogininfo", &Tchat::sendloginfo},
        {"CMD_chat", &Tchat::chatrecieved},
        {"CMD_action", &Tchat::chatrecieved},
        {"CMD_newplayerinfo", &Tchat::newplayerinfo},
        {"CMD_havewrongversion", &Tchat::havewrongversion},
        {"CMD_wrongversion", &Tchat::wrongversion},
        {"CMD_existingplayers", &Tchat::newplayerinfo},
        {"CMD_playerdisconnected", &Tchat::playerdisconnected},
        {"CMD_startgame", &Tchat::startthegame},
        {"CMD_nextplayer", &Tchat::getnextplayer},
        {"CMD_winner", &Tchat::winner},
        {"CMD_full", &Tchat::full},
        {"CMD_justwatching", &Tchat::justwatching},
        {"CMD_mycards", &Tchat::mycards},
        {"CMD_startround", &Tchat::startround},
        {"CMD_getbid", &Tchat::getbid},
        {"CMD_hebid", &Tchat::hebid},
        {"CMD_finalbid", &Tchat::finalbid},
        {"CMD_error", &Tchat::error},
        {"CMD_heplayed", &Tchat::heplayed},
        {"CMD_usecard", &Tchat::usecard},
        {"CMD_tooktrick", &Tchat::tooktrick},
        {"CMD_postscores", &Tchat::postscores},
        {"CMD_gamestats", &Tchat::gamestats},
        {"CMD_loadcards", &Tchat::loadcards},
        {"CMD_playasound", &Tchat::playasound},
    };
    for (const Route &route : routes) {
        if (command == route.command) {
            (this->*route.handler)(data);
            return;
        }
    }
}

void Tchat::sendloginfo(const QByteArray &data)
{
    const auto seat = wire::toInt(data);
    if (!seat || *seat < 1)
        return;
    m_myseat = *seat;
    m_loggedin = true;
    m_chat->setMySeat(m_myseat);
    m_chat->setLoggedIn(true);
    m_soundBoard->setMySeat(m_myseat);
    m_soundBoard->setLoggedIn(true);
    send("CMD_logininfo+" + QByteArray::number(m_myseat) + '+' + wire::kVersion + '+' +
         m_logintext + char(0xFF));
    // A host without a window of its own (the table server) hands number 1
    // the running of the table.
    if (!m_ishost && hostRights())
        offerHostControls();
    if (m_services.loggedIn)
        m_services.loggedIn(m_myseat);
}

void Tchat::havewrongversion(const QByteArray &data)
{
    addlinetochat(QStringLiteral("0+") + QString::fromLatin1(data) +
                  QStringLiteral(" has a different version of the game then you."));
}

void Tchat::wrongversion(const QByteArray &)
{
    addlinetochat(QStringLiteral("0+You have a differnt version of the game then the host."));
}

void Tchat::full(const QByteArray &)
{
    showMessage(QStringLiteral("Game is full"));
    endProgram();
}

void Tchat::newplayerinfo(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const auto seat = reader.nextInt();
    if (!seat)
        return;
    const QString name = QString::fromLatin1(reader.text());
    if (*seat == m_myseat) {
        addlinetochat(QStringLiteral("0+You are Connected."));
        sortstuff(m_myseat);
        if (m_services.readSettings)
            m_services.readSettings();
        // A host in another process knows the saved bot speed only when told.
        if (!m_ishost && hostRights())
            send(wire::toHost::botspeed(m_myseat, botSpeed()));
    } else {
        addlinetochat(QStringLiteral("0+") + name + QStringLiteral(" is Connected."));
    }
    if (cards::isSeat(*seat)) {
        BoardLabel *label = m_seats->playername[*seat];
        label->setText(name);
        label->show();
    } else if (*seat > kSeatCount) {
        if (m_services.addSpy)
            m_services.addSpy(QString::number(*seat) + QStringLiteral(": ") + name);
        addlinetochat(*seat == m_myseat
                          ? QStringLiteral("0+You are spying.")
                          : QStringLiteral("0+") + name + QStringLiteral(" is spying."));
    }
    playsounds(QStringLiteral("entered"));
}

void Tchat::playerdisconnected(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const auto seat = reader.nextInt();
    if (!seat)
        return;
    const QString name = QString::fromLatin1(reader.text());
    if (cards::isSeat(*seat)) {
        BoardLabel *label = m_seats->playername[*seat];
        if (label->text() != QLatin1String("<Waiting>") && label->text() != label->toolTip())
            addlinetochat(QStringLiteral("0+") + label->text() + QStringLiteral(" disconnected."));
        label->setText(label->toolTip());
        m_seats->eyes[*seat]->hide();
    } else if (*seat > kSeatCount) {
        const QString line = QString::number(*seat) + QStringLiteral(": ") + name;
        if (m_services.removeSpy && m_services.removeSpy(line))
            addlinetochat(QStringLiteral("0+") + name + QStringLiteral(" has left."));
    }
}

void Tchat::chatrecieved(const QByteArray &data)
{
    m_chat->chatrecieved(data);
}

void Tchat::playasound(const QByteArray &data)
{
    m_soundBoard->playasound(data);
}
