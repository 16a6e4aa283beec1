#pragma once

#include "coordinator/publiclisting.h"
#include "coordinator/tabledirectory.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

// "Open Tables": the tables strangers may join, as the coordinator lists
// them, fetched when asked and every little while as long as the list is
// shown. Without a coordinator nothing is fetched and nothing is sent.
class OpenTables : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 10000;

    explicit OpenTables(TableDirectory::Limits limits = {}, int refreshMs = kRefreshMs,
                        QObject *parent = nullptr);

    // A usable coordinator setting, or an empty text for none. Another
    // coordinator's tables are not this one's: the list empties.
    void setCoordinator(const QString &setting);
    QList<PublicListing> tables() const { return m_tables; }
    // Why the last fetch brought no list, or an empty text.
    QString problem() const { return m_problem; }
    bool isFetching() const { return m_directory->isFetching(); }

    ListingFilter filter() const { return m_filter; }
    // A new filter is asked for at once while the list is shown.
    void setFilter(const ListingFilter &filter);
    // Fetches now; `freeSeatOnly` narrows the filter to tables with a free
    // seat. Nothing happens without a coordinator.
    void refresh(bool freeSeatOnly = false);
    // The list is fetched every kRefreshMs only while someone looks at it.
    void setShown(bool shown);
    bool isShown() const { return m_shown; }

    // One table as a row of plain words: its name, the target score, the
    // rules, the free seats, the watchers, whether the game is on, and the
    // way in. Whatever the listing holds, each is short plain text.
    static QStringList describe(const PublicListing &listing);
    static QStringList headers();

signals:
    void changed();
    // A fetch has ended, with a list or with a problem.
    void refreshed();

private:
    void fetched(const QList<PublicListing> &listings);
    void failed(const QString &reason);

    TableDirectory *m_directory;
    QTimer m_every;
    bool m_shown = false;
    ListingFilter m_filter;
    QList<PublicListing> m_tables;
    QString m_problem;
};
