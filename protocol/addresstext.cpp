#include "protocol/addresstext.h"

#include <QList>

namespace addresstext {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Up to `digits` decimal digits, no larger than `highest`.
std::optional<quint32> decimal(QStringView text, int digits, quint32 highest)
{
    if (text.isEmpty() || text.size() > digits)
        return std::nullopt;
    quint32 value = 0;
    for (QChar c : text) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + quint32(c.unicode() - '0');
    }
    if (value > highest)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<quint16> portNumber(QStringView text)
{
    const std::optional<quint32> value = decimal(text, 5, 65535);
    if (!value)
        return std::nullopt;
    return quint16(*value);
}

std::optional<quint32> dottedAddress(QStringView text)
{
    quint32 address = 0;
    int parts = 0;
    for (QStringView part : text.split(QLatin1Char('.'))) {
        const std::optional<quint32> value = decimal(part, 3, 255);
        if (!value || ++parts > 4)
            return std::nullopt;
        address = (address << 8) | *value;
    }
    if (parts != 4)
        return std::nullopt;
    return address;
}

bool plausibleHostName(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

} // namespace addresstext
