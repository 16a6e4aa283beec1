#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The secret a host gives a seated player so that, after a lost connection,
// the same player and nobody else can take the seat back. It travels only
// between the host and that player: 128 random bits as lowercase hex.
namespace wire {

constexpr qsizetype kTicketLength = 32;

// Exactly kTicketLength lowercase hexadecimal digits.
bool isTicket(QByteArrayView text);
// Compares two tickets in time that does not depend on where they differ,
// so that a peer cannot learn a ticket digit by digit from how fast it is
// refused. Texts of different lengths are unequal (the length is no secret).
bool sameTicket(QByteArrayView a, QByteArrayView b);
// A ticket made of kTicketLength / 2 random bytes.
QByteArray ticketOf(QByteArrayView randomBytes);

} // namespace wire
