#include "protocol/invitecode.h"

namespace invite {

QByteArray fromBits(quint64 bits)
{
    QByteArray code(kLength, '0');
    for (int i = kLength - 1; i >= 0; --i) {
        code[i] = kAlphabet[bits & 31];
        bits >>= 5;
    }
    return code;
}

namespace {

// The canonical symbol a typed character stands for, or 0.
char symbolOf(char typed)
{
    char c = typed;
    if (c >= 'a' && c <= 'z')
        c = char(c - 'a' + 'A');
    switch (c) {
    case 'I':
    case 'L':
        return '1';
    case 'O':
        return '0';
    case 'U':
        return 'V';
    default:
        break;
    }
    for (const char *s = kAlphabet; *s; ++s) {
        if (*s == c)
            return c;
    }
    return 0;
}

} // namespace

std::optional<QByteArray> normalize(QByteArrayView typed)
{
    // Longer than any spelling of a code: stop reading at once.
    if (typed.size() > 32)
        return std::nullopt;
    QByteArray code;
    for (const char c : typed) {
        if (c == '-' || c == ' ')
            continue;
        const char symbol = symbolOf(c);
        if (!symbol || code.size() == kLength)
            return std::nullopt;
        code += symbol;
    }
    if (code.size() != kLength)
        return std::nullopt;
    return code;
}

std::optional<QByteArray> typedInField(QByteArrayView typed)
{
    const QByteArrayView text = typed.trimmed();
    constexpr int kHalf = kLength / 2;
    if (text.size() != kLength + 1 || (text[kHalf] != '-' && text[kHalf] != ' '))
        return std::nullopt;
    for (int i = 0; i < text.size(); ++i) {
        if (i != kHalf && !symbolOf(text[i]))
            return std::nullopt;
    }
    return normalize(text);
}

QByteArray display(QByteArrayView code)
{
    if (code.size() != kLength)
        return code.toByteArray();
    return code.first(4).toByteArray() + '-' + code.sliced(4).toByteArray();
}

QByteArray link(QByteArrayView code)
{
    return "spades://code/" + display(code);
}

} // namespace invite
