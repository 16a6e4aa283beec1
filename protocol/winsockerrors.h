#pragma once

#include <QByteArray>

// Socket errors are reported with the Winsock numbers and names that players
// on every platform see from this game: "Error #10061 (WSAECONNREFUSED)".
// errno values are mapped onto those codes; anything without a counterpart
// keeps its own number.
namespace winsock {

int fromErrno(int error);
// The symbolic name of a code, or "UNKNOWN ERROR".
QByteArray name(int code);
// "Error #" + code + " (" + name + ")".
QByteArray errorText(int code);

} // namespace winsock
