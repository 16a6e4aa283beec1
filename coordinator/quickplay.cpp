#include "coordinator/quickplay.h"

#include <tuple>

std::optional<PublicListing> quickPlayChoice(const QList<PublicListing> &listings)
{
    const auto rank = [](const PublicListing &listing) {
        return std::make_tuple(-listing.seated, listing.gamestarted, listing.watchers,
                               listing.code);
    };
    std::optional<PublicListing> best;
    for (const PublicListing &listing : listings) {
        if (listing.free > 0 && (!best || rank(listing) < rank(*best)))
            best = listing;
    }
    return best;
}
