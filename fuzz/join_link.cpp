// Reads arbitrary text as an invitation link and as a join address. Whatever
// reads as a link must build a link again that reads as the same table, and
// never carry anything but an address and a port.
#include "protocol/addresstext.h"
#include "protocol/joinlink.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    addresstext::splitPort(text);
    if (const std::optional<JoinTarget> typed = parseJoinAddress(text)) {
        if (typed->port < 1 || typed->port > 65535 || typed->host.isEmpty())
            std::abort();
    }
    QString why;
    const std::optional<JoinTarget> target = parseJoinLink(text, &why);
    if (!target) {
        if (why.isEmpty())
            std::abort();
        return 0;
    }
    for (QChar c : target->host) {
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7F || QStringLiteral("/?#@%[]").contains(c))
            std::abort();
    }
    const QString link = joinLink(*target);
    const std::optional<JoinTarget> back = parseJoinLink(link);
    if (!back || back->host != target->host || back->port != target->port)
        std::abort();
    if (joinLink(*back) != link)
        std::abort();
    return 0;
}
