#pragma once

#include <QStringView>
#include <QtGlobal>
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

// A host name the name service can be asked about: no blanks, no control
// characters, not empty.
bool plausibleHostName(QStringView text);

} // namespace addresstext
