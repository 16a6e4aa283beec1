#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>
#include <array>
#include <optional>

// Port and address texts as the player or the command line writes them, read
// strictly: a text with anything more or less than the number it should be is
// refused rather than read as some other number.
namespace addresstext {

// Decimal digits only, 0 to 65535.
std::optional<quint16> portNumber(QStringView text);

// Four decimal parts of 0 to 255 joined by dots, nothing before or after;
// the address in host byte order.
std::optional<quint32> dottedAddress(QStringView text);

// An IPv6 address: eight groups of one to four hexadecimal digits joined by
// colons, one "::" standing for a run of zero groups, the last two groups
// optionally written as four dotted numbers, then optionally "%" and a zone
// (an interface name or number). The whole may stand in square brackets, as
// in a web address.
struct Ipv6Address
{
    std::array<quint8, 16> bytes{};
    QString zone;
    bool operator==(const Ipv6Address &) const = default;
};
std::optional<Ipv6Address> ipv6Address(QStringView text);

// A host name the name service can be asked about: no blanks, no control
// characters, not empty.
bool plausibleHostName(QStringView text);

} // namespace addresstext
