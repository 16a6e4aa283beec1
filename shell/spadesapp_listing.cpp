// Open Tables: a table hosted with a coordinator may show itself to anyone
// looking for a game. "--list" or "--no-list" after the three game arguments
// decides for this table (the lobby passes one), otherwise the player's
// setting does; "--table-name NAME" names it, "NAME's table" by default. The
// Options menu lists or unlists it at once and remembers the choice.
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tgamestart.h"
#include "platform/settingsfile.h"
#include "shell/spadesapp.h"

void SpadesApp::offerPublicListing()
{
    if (!m_listing->isOn())
        return;
    m_table->offerListPublicly(true);
    keepPublicListingCurrent(*m_host, *m_listing, [this] { return plannedRules(); });
    // Closing the game options is when the rules chosen there are settled.
    connect(m_side->gamestart(), &QDialog::finished, this, &SpadesApp::refreshPublicListing);
    const QStringList options = m_arguments.mid(3);
    const bool wanted = options.contains(QStringLiteral("--list")) ||
                        (!options.contains(QStringLiteral("--no-list")) &&
                         SettingsFile().load(currentSettings()).listPublicly);
    m_table->setListPublicly(false);
    if (wanted)
        listPublicly(true);
}

void SpadesApp::publicListingChosen(bool on)
{
    m_listPubliclySetting = on;
    saveinifile();
    if (m_listing && m_listing->isOn())
        listPublicly(on);
}

void SpadesApp::listPublicly(bool on)
{
    if (on == m_listing->isPublic())
        return;
    showHostPublicly(*m_host, *m_listing, on ? std::optional(tableName()) : std::nullopt,
                     [this] { return plannedRules(); });
    m_table->setListPublicly(on);
    m_table->addlinetochat(
        on ? QStringLiteral("0+This table is listed in Open Tables as \"%1\": anyone looking "
                            "for a game can see it and join.")
                 .arg(tableName())
           : QStringLiteral("0+This table is no longer listed in Open Tables; friends with "
                            "the invite code can still join."));
}

void SpadesApp::refreshPublicListing()
{
    m_table->setListPublicly(m_listing->isPublic());
    ::refreshPublicListing(*m_host, *m_listing, [this] { return plannedRules(); });
}

QString SpadesApp::tableName() const
{
    const QString given = optionValue(QStringLiteral("--table-name"));
    if (!given.trimmed().isEmpty())
        return listingname::plain(given);
    return listingname::defaultFor(m_arguments.value(0));
}

std::optional<PlannedRules> SpadesApp::plannedRules() const
{
    const Tgamestart *options = m_side->gamestart();
    return PlannedRules{options->playtoscore(), options->sandbag(), options->blind(),
                        options->startclub()};
}
