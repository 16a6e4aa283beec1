// Reads arbitrary text as an invitation link and as a join address. Whatever
// reads as a link must build a link again that reads as the same table, and
// never carry anything but an address and a port, or a code.
#include "protocol/addresstext.h"
#include "protocol/invitecode.h"
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
    if (const std::optional<QByteArray> code = invite::typedInField(text.toUtf8())) {
        if (invite::normalize(*code) != *code || parseJoinLink(text))
            std::abort();
    }
    QString why;
    if (const std::optional<Invitation> invitation = parseInvitationLink(text, &why)) {
        if (invitation->table.has_value() == !invitation->code.isEmpty())
            std::abort();
        const std::optional<Invitation> back = parseInvitationLink(invitationLink(*invitation));
        if (!back || back->code != invitation->code)
            std::abort();
    } else if (why.isEmpty()) {
        std::abort();
    }
    why.clear();
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
