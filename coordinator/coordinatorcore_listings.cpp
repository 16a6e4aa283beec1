// The coordinator's public listings: tables that show themselves to
// strangers, and the pages of them that lobbies ask for.
#include "coordinator/coordinatorcore.h"

#include <algorithm>

using namespace coord;

namespace {

// Listings read from the store in one go while a page is filled.
constexpr int kStretch = 100;
// The walk that forgets lapsed listings reads this many at a time, this often.
constexpr int kWalkStretch = 500;
constexpr qint64 kWalkEveryMs = 10000;

} // namespace

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::List &list)
{
    if (connection.code.isEmpty()) {
        refuse(n, refusal::kNotHosting);
        return;
    }
    PublicListing listing = list.listing;
    if (connection.listing) {
        listing.code = connection.listing->code;
        listing.direct = connection.listing->direct;
    }
    if (connection.listing == listing) {
        // Nothing new: what is listed stands, and any word in between is void.
        connection.pending.reset();
        return;
    }
    connection.pending = listing;
    writePendingListing(connection);
}

void CoordinatorCore::writePendingListing(Connection &connection)
{
    const qint64 now = m_port.now();
    if (!connection.pending ||
        (connection.listingWrittenAt && now - *connection.listingWrittenAt < m_limits.listingGapMs))
        return;
    // Over its address's allowance the listing waits too; the next tick
    // tries again, so a flood from one home costs others nothing.
    if (tooManyTries(connection, "list", m_limits.listingsPerMinute))
        return;
    connection.listing = std::move(connection.pending);
    connection.pending.reset();
    connection.listingWrittenAt = now;
    // Written with the table's own record, so both lapse together.
    publish(connection, relist(connection));
}

void CoordinatorCore::publish(Connection &connection, const TableRecord &record)
{
    connection.listing->code = connection.code;
    connection.listing->direct = !record.direct.isEmpty();
    m_store.putListing(connection.code, connection.listing->serialize(), m_limits.tableTtlMs);
}

void CoordinatorCore::unlist(Connection &connection, bool fromStore)
{
    if (connection.listing && fromStore)
        m_store.dropListing(connection.code);
    connection.listing.reset();
    connection.pending.reset();
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Unlist &)
{
    if (connection.code.isEmpty()) {
        refuse(n, refusal::kNotHosting);
        return;
    }
    unlist(connection, true);
}

void CoordinatorCore::handle(int n, Connection &connection, const toCoordinator::Tables &tables)
{
    if (tooManyTries(connection, "tables", m_limits.queriesPerMinute)) {
        refuse(n, refusal::kTooManyTries);
        return;
    }
    // Listings come from the store, which other processes write: each is
    // read again, and one that does not parse or sits under another code is
    // passed over.
    QByteArray after = tables.after.value_or(QByteArray());
    QList<QByteArray> page;
    bool end = false;
    for (int looked = 0; !end && page.size() < m_limits.pageSize && looked < m_limits.scanBudget;) {
        const int count = std::min(kStretch, m_limits.scanBudget - looked);
        const ListingStretch stretch = m_store.listings(after, count);
        looked += count;
        end = stretch.end;
        if (!stretch.last.isEmpty())
            after = stretch.last;
        for (const StoredListing &stored : stretch.found) {
            const std::optional<PublicListing> listing = PublicListing::parse(stored.text);
            if (!listing || listing->code != stored.code || !tables.filter.accepts(*listing))
                continue;
            page.append(fromCoordinator::Table{*listing}.encode());
            if (page.size() == m_limits.pageSize) {
                after = stored.code;
                end = false;
                break;
            }
        }
    }
    for (const QByteArray &line : std::as_const(page))
        m_port.send(n, line);
    m_port.send(n, fromCoordinator::Page{end ? std::nullopt : std::optional(after)}.encode());
}

void CoordinatorCore::walkListings()
{
    const qint64 now = m_port.now();
    if (now < m_nextWalk || !m_store.isUp())
        return;
    m_nextWalk = now + kWalkEveryMs;
    const ListingStretch stretch = m_store.listings(m_walkedTo, kWalkStretch);
    m_walkedTo = stretch.end ? QByteArray() : stretch.last;
}
