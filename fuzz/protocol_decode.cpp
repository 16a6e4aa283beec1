// Decodes arbitrary bytes as a message in each direction. Whatever decodes must
// encode to one terminated message of the same name that decodes to the same
// value and encodes to the same bytes again.
#include "protocol/message.h"
#include "protocol/wirecodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, int line)
{
    std::fprintf(stderr, "broken invariant at line %d: %s\n", line, what);
    std::abort();
}
#define check(ok) ((ok) ? void() : fail(#ok, __LINE__))

QByteArrayView nameOf(QByteArrayView message)
{
    const qsizetype plus = message.indexOf('+');
    return plus < 0 ? QByteArrayView() : message.first(plus);
}

template <class Value, class Decode> void roundTrip(QByteArrayView input, Decode decode)
{
    const std::optional<Value> decoded = decode(input);
    if (!decoded)
        return;
    const QByteArray bytes = wire::encode(*decoded);
    // The message ends at its first 0xFF; only the login's second may follow.
    const qsizetype end = bytes.indexOf(wire::kTerminator);
    check(end > 0);
    check(bytes.size() - end <= 2);
    for (qsizetype i = end; i < bytes.size(); ++i)
        check(bytes[i] == wire::kTerminator);
    const QByteArrayView message = QByteArrayView(bytes).first(end);
    check(nameOf(message) == nameOf(input));

    const std::optional<Value> again = decode(message);
    check(again.has_value());
    check(*again == *decoded);
    check(wire::encode(*again) == bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView raw(reinterpret_cast<const char *>(data), qsizetype(size));
    roundTrip<wire::ToHost>(raw, wire::decodeToHost);
    roundTrip<wire::ToClient>(raw, wire::decodeToClient);

    // A leading control byte picks a command name, so that every decoder sees
    // the rest of the input as its payload.
    if (size == 0 || data[0] >= 0x20)
        return 0;
    const QByteArray payload = raw.sliced(1).toByteArray();
    const QList<QByteArray> &hostNames = wire::hostCommandNames();
    const QList<QByteArray> &clientNames = wire::clientCommandNames();
    roundTrip<wire::ToHost>(hostNames[data[0] % hostNames.size()] + '+' + payload,
                            wire::decodeToHost);
    roundTrip<wire::ToClient>(clientNames[data[0] % clientNames.size()] + '+' + payload,
                              wire::decodeToClient);
    return 0;
}
