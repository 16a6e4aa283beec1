// Decodes arbitrary bytes as everything a coordinator or a relay reads from
// strangers: lines to and from a coordinator, lines between coordinators,
// relay preambles and answers, typed codes, a table's first bytes, and public
// listings as the store hands them back. Whatever decodes must encode to bytes
// that decode to the same value again, within the longest line.
#include "coordinator/coordinatormessages.h"
#include "protocol/invitecode.h"
#include "coordinator/relaypreamble.h"
#include "coordinator/tablegreeting.h"

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

template <class Variant> QByteArray encode(const Variant &message)
{
    return std::visit([](const auto &m) { return m.encode(); }, message);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

    if (const auto message = coord::decodeToCoordinator(input)) {
        const QByteArray again = encode(*message);
        check(again.size() <= coord::kLongestLine);
        check(coord::decodeToCoordinator(again) == message);
    }
    if (const auto message = coord::decodeFromCoordinator(input)) {
        const QByteArray again = encode(*message);
        if (std::holds_alternative<coord::fromCoordinator::Table>(*message))
            check(again.size() <= coord::kLongestLine);
        check(coord::decodeFromCoordinator(again) == message);
    }
    if (const auto listing = PublicListing::parse(input)) {
        check(listing->name.size() <= 2 * PublicListing::kLongestName);
        check(listing->seated + listing->free <= PublicListing::kSeats);
        check(PublicListing::parse(listing->serialize()) == listing);
    }
    if (const auto name = listingname::decode(input)) {
        check(!name->isEmpty() && listingname::plain(*name) == *name);
        check(listingname::decode(listingname::encode(*name)) == name);
    }
    if (const auto request = coord::OpenFor::decode(input))
        check(coord::OpenFor::decode(request->encode()) == request);
    if (const auto preamble = relay::Preamble::decode(input)) {
        const QByteArray again = preamble->encode();
        check(again.size() <= relay::kLongestLine);
        check(relay::Preamble::decode(again.chopped(1)) == preamble);
    }
    QByteArray why;
    if (relay::decodeAnswer(input, &why) == false)
        check(relay::decodeAnswer(relay::refusedLine(why).chopped(1)) == false);
    if (const auto code = invite::normalize(input)) {
        check(code->size() == invite::kLength);
        check(invite::normalize(invite::display(*code)) == code);
    }
    if (const auto greeting = reach::isTableGreeting(input); !greeting)
        check(input.size() < reach::kLongestGreeting);
    if (const auto endpoint = Endpoint::parse(input))
        check(Endpoint::parse(endpoint->text()) == endpoint);
    return 0;
}
