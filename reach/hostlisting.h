#pragma once

#include "coordinator/publiclisting.h"
#include "host/hostnotes.h"
#include "host/tablecount.h"
#include "reach/tablelisting.h"

#include <functional>
#include <optional>

// What Open Tables shows of a hosting table, from its game host: the name it
// is listed under, its rules and who is there. Computer players always take
// the seats nobody holds. A game sets the rules it is played by; before one
// starts, the rules the hosting player has chosen, when known, are the ones
// listed. Header-only, so that neither the game host nor the reach library
// needs the other.
struct PlannedRules
{
    int playtoscore = 500;
    bool sandbag = false;
    bool blind = false;
    bool startclub = false;
};
using RulesSource = std::function<std::optional<PlannedRules>()>;

inline PublicListing listingOf(const TServer &server, const QString &name,
                               const std::optional<PlannedRules> &planned = std::nullopt)
{
    const GameState &game = server.game();
    PublicListing listing;
    listing.name = listingname::plain(name);
    listing.gamestarted = server.gameOn();
    const PlannedRules rules =
        planned && !listing.gamestarted
            ? *planned
            : PlannedRules{game.playtoscore, game.sandbag, game.blind, game.startclub};
    listing.playtoscore = rules.playtoscore;
    listing.sandbag = rules.sandbag;
    listing.blind = rules.blind;
    listing.startclub = rules.startclub;
    listing.computers = true;
    const TableCount count = countOf(server);
    listing.seated = count.seated;
    listing.free = count.free;
    listing.watchers = count.watchers;
    return listing;
}

// Lists the table publicly under `name` as the host stands now, or unlists
// it when `name` is nothing.
inline void showHostPublicly(const HostRuntime &host, TableListing &listing,
                             const std::optional<QString> &name, const RulesSource &rules = {})
{
    listing.setPublic(
        name ? std::optional(listingOf(host.server(), *name, rules ? rules() : std::nullopt))
             : std::nullopt);
}

// Says again what the public listing of a listed table shows; the client
// sends it only when something changed.
inline void refreshPublicListing(const HostRuntime &host, TableListing &listing,
                                 const RulesSource &rules = {})
{
    if (const std::optional<PublicListing> shown = listing.publicListing())
        showHostPublicly(host, listing, shown->name, rules);
}

// Keeps the public listing current: every connection, departure and game
// event the host notes is a moment to look again.
inline void keepPublicListingCurrent(HostRuntime &host, TableListing &listing,
                                     RulesSource rules = {})
{
    afterEachNote(host, &listing, [&host, &listing, rules = std::move(rules)] {
        refreshPublicListing(host, listing, rules);
    });
}
