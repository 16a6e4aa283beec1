#pragma once

#include <QByteArray>
#include <QList>

// Messages on the wire: name, "+", fields joined by "+", an optional trailing
// "+", then the terminator byte 0xFF. Nothing is escaped or length-prefixed.
// The message types (hostmessages.h, clientmessages.h) build theirs here.
namespace wire {

constexpr char kTerminator = char(0xFF);
inline const QByteArray kVersion = "1.0.6";

// Joins one message; `trailing` adds the extra "+" after the last field.
QByteArray join(const char *name, const QList<QByteArray> &fields, bool trailing);
QByteArray flag(bool value);
QByteArray number(int value);

} // namespace wire
