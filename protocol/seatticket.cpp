#include "protocol/seatticket.h"

#include <algorithm>

namespace wire {

bool isTicket(QByteArrayView text)
{
    if (text.size() != kTicketLength)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool sameTicket(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size() || a.isEmpty())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    // Read through a volatile so the compiler keeps the whole loop.
    const volatile unsigned char result = difference;
    return result == 0;
}

QByteArray ticketOf(QByteArrayView randomBytes)
{
    return randomBytes.first(std::min<qsizetype>(randomBytes.size(), kTicketLength / 2))
        .toByteArray()
        .toHex();
}

} // namespace wire
