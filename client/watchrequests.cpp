#include "client/watchrequests.h"

#include "protocol/hostmessages.h"

namespace watchrequests {

namespace {
constexpr int kSeatCount = 4;
constexpr int kLastConnection = 9;
} // namespace

std::optional<QByteArray> justWatchToggle(bool loggedin, int myseat, bool checked)
{
    if (!loggedin || myseat < 1 || myseat > kSeatCount)
        return std::nullopt;
    return wire::toHost::JustWatch{myseat, checked ? wire::toHost::JustWatch::kPlay
                                                   : wire::toHost::JustWatch::kWatch}
        .encode();
}

std::optional<QByteArray> seatWatch(bool loggedin, int myseat, int tag, int mode)
{
    const int seat = tag == 0 ? myseat : tag;
    if (!loggedin || seat < 1 || seat > kSeatCount)
        return std::nullopt;
    return wire::toHost::JustWatch{seat, mode}.encode();
}

std::optional<QByteArray> kicking(bool ishost, bool loggedin, int myseat, int seat)
{
    if (!ishost || !loggedin || seat < 1 || seat > kLastConnection || seat == myseat)
        return std::nullopt;
    return wire::toHost::KickHim{myseat, seat}.encode();
}

} // namespace watchrequests
