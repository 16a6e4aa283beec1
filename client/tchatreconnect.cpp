// The way back after a lost connection: a joined table whose connection to
// the host fails (the network went, the host's machine vanished) keeps its
// window, chat and board, connects again and shows its seat's ticket, so the
// host gives it its own seat back. An orderly close by the host still ends
// the table, as does a loss without a ticket to show.
#include "client/reconnection.h"
#include "client/scoresheet.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "protocol/tsock.h"

#include <QScopedValueRollback>
#include <QTimer>

QString Tchat::reconnectingText()
{
    return QStringLiteral("Connection lost \u2014 reconnecting\u2026");
}

QString Tchat::connectionLostText()
{
    return QStringLiteral("Connection lost.");
}

bool Tchat::reconnecting() const
{
    return m_reconnection->active();
}

void Tchat::seatticket(const wire::toClient::SeatTicket &m)
{
    if (m.seat != m_model.myseat())
        return;
    m_ticket = m.ticket;
    m_ticketSeat = m.seat;
}

bool Tchat::mayReconnect() const
{
    return !m_ending && !m_model.ishost() && m_model.loggedin() && !m_ticket.isEmpty() &&
           m_ticketSeat == m_model.myseat();
}

void Tchat::sockError()
{
    m_lostWithError = true;
}

void Tchat::sockConnected()
{
    m_lostWithError = false;
    if (m_reconnection->active())
        m_reconnection->reached();
}

void Tchat::connectionLost()
{
    // Bytes of a message cut off by the loss mean nothing on a new connection;
    // the host brings the table up to date when it is back.
    m_receivedlist.clear();
    m_scoreSheet.connectionLost();
    m_rejoinPending = true;
    m_statusBeforeLoss = status();
    setStatus(reconnectingText());
    m_buttonCancelReconnect->show();
    m_buttonCancelReconnect->raise();
    m_reconnection->start();
}

void Tchat::closeQuietly()
{
    const QScopedValueRollback<bool> quiet(m_closingQuietly, true);
    m_sock->Close();
}

void Tchat::reconnectAttempt()
{
    closeQuietly();
    m_lostWithError = false;
    m_rejoinPending = true;
    m_receivedlist.clear();
    try {
        m_requests->connectTo(m_hostaddress);
    } catch (const ESockException &) {
        // The next attempt tries again; a box would only stand in the way.
    }
}

// The host has taken the table in again (in its seat when the ticket held).
void Tchat::backInSeat()
{
    if (!m_reconnection->active())
        return;
    m_reconnection->stop();
    m_buttonCancelReconnect->hide();
    if (status() == reconnectingText())
        setStatus(m_statusBeforeLoss);
}

void Tchat::giveUpReconnecting()
{
    m_reconnection->stop();
    m_connectionGone = true;
    m_rejoinPending = false;
    closeQuietly();
    m_receivedlist.clear();
    m_buttonCancelReconnect->hide();
    setStatus(connectionLostText());
}

void Tchat::cancelReconnectClick()
{
    if (m_reconnection->active())
        giveUpReconnecting();
}
