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

// A name as the domain name system writes it: dot-separated labels of ASCII
// letters, digits and inner hyphens, each at most 63 long, 253 in all, not
// starting with a digit (a text that does is read as an address).
bool dnsName(QStringView text);

// An address as written to join a table, cut where its port begins:
// "HOST:PORT", "[IPv6]:PORT", or "HOST", "[IPv6]", "IPv6" with no port. A bare
// IPv6 address never carries a port, since its last group would read as one.
// Only the cut is made here; the parts are checked by whoever reads them.
struct AddressParts
{
    QString host;                // without the brackets of "[IPv6]"
    std::optional<QString> port; // the text after the colon, when there is one
    bool bracketed = false;      // the host stood in square brackets
};
AddressParts splitPort(QStringView text);

} // namespace addresstext
