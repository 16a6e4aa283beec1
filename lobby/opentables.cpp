#include "lobby/opentables.h"

OpenTables::OpenTables(TableDirectory::Limits limits, int refreshMs, QObject *parent)
    : QObject(parent), m_directory(new TableDirectory(limits, this))
{
    m_every.setInterval(refreshMs);
    connect(&m_every, &QTimer::timeout, this, [this] {
        if (!m_directory->isFetching())
            refresh();
    });
    connect(m_directory, &TableDirectory::fetched, this, &OpenTables::fetched);
    connect(m_directory, &TableDirectory::failed, this, &OpenTables::failed);
}

void OpenTables::setCoordinator(const QString &setting)
{
    if (setting.trimmed() == m_directory->coordinator())
        return;
    m_directory->setCoordinator(setting);
    m_tables.clear();
    m_problem.clear();
    if (m_shown)
        refresh();
    emit changed();
}

void OpenTables::setFilter(const ListingFilter &filter)
{
    if (filter == m_filter)
        return;
    m_filter = filter;
    if (m_shown)
        refresh();
    emit changed();
}

void OpenTables::refresh(bool freeSeatOnly)
{
    if (m_directory->coordinator().isEmpty())
        return;
    ListingFilter filter = m_filter;
    filter.freeSeat = filter.freeSeat || freeSeatOnly;
    m_directory->fetch(filter);
    // The timer counts from the latest fetch.
    if (m_shown)
        m_every.start();
    emit changed();
}

void OpenTables::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    if (shown)
        refresh();
    else
        m_every.stop();
}

void OpenTables::fetched(const QList<PublicListing> &listings)
{
    m_tables = listings;
    m_problem.clear();
    emit changed();
    emit refreshed();
}

void OpenTables::failed(const QString &reason)
{
    // A list that could not be had again is not shown as if it were current.
    m_tables.clear();
    m_problem = reason;
    emit changed();
    emit refreshed();
}

QStringList OpenTables::headers()
{
    return {tr("Table"),    tr("Target"), tr("Rules"),     tr("Seats"),
            tr("Watchers"), tr("Game"),   tr("Connection")};
}

QStringList OpenTables::describe(const PublicListing &listing)
{
    QStringList rules;
    if (listing.sandbag)
        rules << tr("bags");
    if (listing.blind)
        rules << tr("Blind Nil");
    if (listing.startclub)
        rules << tr("2\u2663 leads");
    rules << (listing.computers ? tr("computers") : tr("people only"));
    const int free = qBound(0, listing.free, PublicListing::kSeats);
    const int watchers = qBound(0, listing.watchers, PublicListing::kMostWatchers);
    return {listingname::plain(listing.name),
            tr("to %1").arg(qBound(1, listing.playtoscore, PublicListing::kHighestTarget)),
            rules.join(QStringLiteral(", ")),
            free == 0   ? tr("full")
            : free == 1 ? tr("1 seat free")
                        : tr("%1 seats free").arg(free),
            watchers == 0 ? tr("none") : tr("%1 watching").arg(watchers),
            listing.gamestarted ? tr("playing") : tr("not started"),
            listing.direct ? tr("direct") : tr("relayed")};
}
