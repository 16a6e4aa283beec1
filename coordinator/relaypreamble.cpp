#include "coordinator/relaypreamble.h"

#include "coordinator/coordinatormessages.h"

namespace relay {

namespace {

const QByteArray kMagic = "SPADES-RELAY ";

} // namespace

QByteArray Preamble::encode() const
{
    return kMagic + (role == Role::Join ? "join " : "host ") + ticket + '\n';
}

std::optional<Preamble> Preamble::decode(QByteArrayView line)
{
    if (line.size() > kLongestLine || !line.startsWith(kMagic))
        return std::nullopt;
    const QByteArrayView rest = line.sliced(kMagic.size());
    Preamble preamble;
    if (rest.startsWith("join "))
        preamble.role = Role::Join;
    else if (rest.startsWith("host "))
        preamble.role = Role::Host;
    else
        return std::nullopt;
    const QByteArrayView ticket = rest.sliced(5);
    if (!coord::isSecret(ticket))
        return std::nullopt;
    preamble.ticket = ticket.toByteArray();
    return preamble;
}

QByteArray okLine()
{
    return kMagic + "ok\n";
}

QByteArray refusedLine(QByteArrayView why)
{
    return kMagic + "refused " + why.toByteArray() + '\n';
}

std::optional<bool> decodeAnswer(QByteArrayView line, QByteArray *why)
{
    if (line == okLine().chopped(1))
        return true;
    const QByteArray refused = kMagic + "refused ";
    if (!line.startsWith(refused) || line.size() > kLongestLine)
        return std::nullopt;
    if (why) {
        *why = line.sliced(refused.size()).toByteArray();
        for (char &c : *why) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
                c = '?';
        }
    }
    return false;
}

} // namespace relay
