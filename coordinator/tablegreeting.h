#pragma once

#include <QByteArrayView>
#include <optional>

namespace reach {

// The most a connect-back reads before it decides.
constexpr int kLongestGreeting = 64;

// Whether the first bytes a table sent are its greeting to a newcomer
// (CMD_sendlogininfo with a connection number, then 0xFF): true or false
// once that is clear, nothing while more bytes could still make it so.
std::optional<bool> isTableGreeting(QByteArrayView firstBytes);

} // namespace reach
