#pragma once

#include <QByteArray>
#include <optional>

// What the table sends when the player asks to watch, to play again, or to
// remove someone; nullopt when the request must not go out.
namespace watchrequests {

// Options > "Just Watch": checked means watching now, so ask to play again.
std::optional<QByteArray> justWatchToggle(bool loggedin, int myseat, bool checked);

// The seat menu's watching items. A tag of 0 is the bottom position, the
// player's own seat.
std::optional<QByteArray> seatWatch(bool loggedin, int myseat, int tag, int mode);

// Removal of the player or watcher with this number; only the host may, and
// never its own connection, which would end its own program.
std::optional<QByteArray> kicking(bool ishost, bool loggedin, int myseat, int seat);

} // namespace watchrequests
