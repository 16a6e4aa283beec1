#include "protocol/addresstext.h"

#include <QList>

namespace addresstext {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
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

// Colon-separated groups of one to four hexadecimal digits; the last may be
// four dotted numbers when `dottedLast` allows it.
bool hexGroups(QStringView text, bool dottedLast, QList<quint16> &groups)
{
    if (text.isEmpty())
        return true;
    const QList<QStringView> pieces = text.split(QLatin1Char(':'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        const QStringView piece = pieces[i];
        if (dottedLast && i == pieces.size() - 1 && piece.contains(QLatin1Char('.'))) {
            const std::optional<quint32> v4 = dottedAddress(piece);
            if (!v4)
                return false;
            groups << quint16(*v4 >> 16) << quint16(*v4 & 0xFFFF);
            continue;
        }
        if (piece.isEmpty() || piece.size() > 4)
            return false;
        quint16 value = 0;
        for (QChar c : piece) {
            const int digit = hexDigit(c);
            if (digit < 0)
                return false;
            value = quint16(value << 4 | digit);
        }
        groups << value;
    }
    return true;
}

bool plausibleZone(QStringView zone)
{
    // An interface name is at most 15 characters.
    if (zone.isEmpty() || zone.size() > 15)
        return false;
    for (QChar c : zone) {
        const bool plain = c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('_') ||
                                                  c == QLatin1Char('-') || c == QLatin1Char('.'));
        if (!plain)
            return false;
    }
    return true;
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

std::optional<Ipv6Address> ipv6Address(QStringView text)
{
    if (text.startsWith(QLatin1Char('['))) {
        if (!text.endsWith(QLatin1Char(']')))
            return std::nullopt;
        text = text.sliced(1, text.size() - 2);
    }
    Ipv6Address result;
    if (const qsizetype percent = text.indexOf(QLatin1Char('%')); percent >= 0) {
        if (!plausibleZone(text.sliced(percent + 1)))
            return std::nullopt;
        result.zone = text.sliced(percent + 1).toString();
        text = text.first(percent);
    }
    if (!text.contains(QLatin1Char(':')))
        return std::nullopt;
    QList<quint16> head;
    QList<quint16> tail;
    const qsizetype gap = text.indexOf(QLatin1String("::"));
    if (gap < 0) {
        if (!hexGroups(text, true, head) || head.size() != 8)
            return std::nullopt;
    } else {
        // "::" stands for at least one zero group, and only once.
        if (text.indexOf(QLatin1String("::"), gap + 1) >= 0 ||
            !hexGroups(text.first(gap), false, head) ||
            !hexGroups(text.sliced(gap + 2), true, tail) || head.size() + tail.size() > 7)
            return std::nullopt;
    }
    QList<quint16> groups = head;
    groups.resize(8 - tail.size(), 0);
    groups << tail;
    for (int i = 0; i < 8; ++i) {
        result.bytes[2 * i] = quint8(groups[i] >> 8);
        result.bytes[2 * i + 1] = quint8(groups[i] & 0xFF);
    }
    return result;
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

bool dnsName(QStringView text)
{
    if (text.isEmpty() || text.size() > 253 || isDigit(text.front()))
        return false;
    for (QStringView label : text.split(QLatin1Char('.'))) {
        if (label.isEmpty() || label.size() > 63 || label.front() == QLatin1Char('-') ||
            label.back() == QLatin1Char('-'))
            return false;
        for (QChar c : label) {
            const bool plain =
                c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('-'));
            if (!plain)
                return false;
        }
    }
    return true;
}

AddressParts splitPort(QStringView text)
{
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close > 0)
            return {text.sliced(1, close - 1).toString(), text.sliced(close + 2).toString(), true};
        if (text.endsWith(QLatin1Char(']')) && text.size() >= 2)
            return {text.sliced(1, text.size() - 2).toString(), std::nullopt, true};
        return {text.toString(), std::nullopt};
    }
    if (text.count(QLatin1Char(':')) == 1) {
        const qsizetype colon = text.indexOf(QLatin1Char(':'));
        return {text.first(colon).toString(), text.sliced(colon + 1).toString()};
    }
    return {text.toString(), std::nullopt};
}

} // namespace addresstext
