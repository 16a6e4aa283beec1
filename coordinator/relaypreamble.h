#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// The one line each side sends a relay before anything else, and the one
// line the relay answers: after that the relay only copies bytes.
//   "SPADES-RELAY join <ticket>\n"   from the joiner
//   "SPADES-RELAY host <ticket>\n"   from the table's host
//   "SPADES-RELAY ok\n"              to both, once they are paired
//   "SPADES-RELAY refused <why>\n"   to one that is turned away
namespace relay {

constexpr int kLongestLine = 64;

enum class Role { Join, Host };

struct Preamble
{
    Role role = Role::Join;
    QByteArray ticket;

    QByteArray encode() const;
    // Reads a line without its "\n".
    static std::optional<Preamble> decode(QByteArrayView line);
    bool operator==(const Preamble &) const = default;
};

QByteArray okLine();
QByteArray refusedLine(QByteArrayView why);
// The answer a dialer reads: true for ok, false for a refusal (with the
// reason, as plain text), nothing for a line that is neither.
std::optional<bool> decodeAnswer(QByteArrayView line, QByteArray *why = nullptr);

} // namespace relay
