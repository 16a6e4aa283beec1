#pragma once

#include <QColor>
#include <QString>
#include <optional>

// Colours as the chat and the settings file write them: a 32-bit value
// $00BBGGRR (red in the low byte), or $80000000 + index for a system colour.
namespace colourtext {

constexpr quint32 kBlack = 0x000000;
constexpr quint32 kRed = 0x0000FF;        // fallback for a colour text that does not read
constexpr quint32 kStatusBlue = 0xFF0000; // the client's own status lines
constexpr quint32 kWindowText = 0x80000008;
constexpr quint32 kNone = 0x1FFFFFFF;

// A standard or system colour name when the value has one, else "$" and
// eight upper-case hexadecimal digits.
QString toText(quint32 colour);

// Any of the names regardless of letter case, "$" + hexadecimal digits, or
// decimal digits (optionally signed, as 32 bits). Anything else gives nullopt.
std::optional<quint32> fromText(const QString &text);
quint32 fromTextOr(const QString &text, quint32 fallback);

// The screen colour of a value; system colours use the classic desktop scheme.
QColor toQColor(quint32 colour);
quint32 fromQColor(const QColor &colour);

} // namespace colourtext
