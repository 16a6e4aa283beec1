#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

// Invite codes: eight characters people can read aloud and type. The alphabet
// has 32 symbols (40 bits a code) and leaves out I, L, O and U; when typed,
// those fold into 1, 1, 0 and V, case does not matter, and dashes and spaces
// are ignored, so what someone hears is what they can type.
namespace invite {

constexpr int kLength = 8;
constexpr char kAlphabet[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

// The code for the low 40 bits of `bits`, in canonical form ("7KQ2M9XD").
QByteArray fromBits(quint64 bits);
// The canonical code for what someone typed, or nothing when it is no code.
std::optional<QByteArray> normalize(QByteArrayView typed);
// The canonical code when a field that also takes a computer's name or
// address holds a code: four symbols, one dash or space, four symbols, as a
// code is shown. Eight symbols in a row ("computer", "kitchen1") are a name
// there, and a name with a port or a final dot never has the code's shape,
// so any computer can still be named.
std::optional<QByteArray> typedInField(QByteArrayView typed);
// How a code is shown: "7KQ2-M9XD".
QByteArray display(QByteArrayView code);
// The link that joins with a code: "spades://code/7KQ2-M9XD".
QByteArray link(QByteArrayView code);

} // namespace invite
