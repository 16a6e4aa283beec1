#pragma once

#include "host/hostruntime.h"
#include "platform/spadessettings.h"
#include "reach/hostlisting.h"
#include "reach/reachstatus.h"

#include <QObject>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class CodeConnector;
class PortMapper;
class TableListing;
class PresenceMark;
class SideWindows;
class TSock;
class TableAnnouncer;
class Tabout;
class Tchat;
class Tdownload;
class Thelp;
class Ttallylist;

// The whole program in one process: every window, the game host, and the
// table's connection to it, wired together. main() makes one; tests make one
// with shortened host timers and quiet dialogs.
class SpadesApp : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        int port = 7772;                   // where the host listens and the table connects
        HostRuntime::Timing timing{};      // host timers (tests shorten them)
        std::optional<std::uint32_t> seed; // the shuffle's seed; the clock when unset
        // Ask the router to open the port of a hosted table, unless the settings
        // or the command line say not to (main() turns it on; tests leave it off
        // or point it at a router of their own).
        bool portMapping = false;
        // Message boxes go here instead of on screen when set (tests).
        std::function<void(const QString &text)> messageSink;
    };

    SpadesApp(const QStringList &arguments, Options options);
    ~SpadesApp() override;

    // Shows the main window and acts on the command line.
    void start();

    Tchat *table() const { return m_table.get(); }
    HostRuntime *host() const { return m_host.get(); }
    Ttallylist *tally() const { return m_tally.get(); }
    Tdownload *download() const { return m_download.get(); }
    SideWindows *sideWindows() const { return m_side; }
    Tabout *about() const { return m_about.get(); }
    Thelp *help() const { return m_help.get(); }
    TSock *sock() const;

    // The settings file, read once the host confirms the own connection and
    // written whenever a preference changes.
    void loadinifile();
    bool saveinifile();
    // The window box the settings were last read or written with.
    QRect storedBox() const { return m_storedBox; }

signals:
    // The main window has closed (by Exit, its close box, the download
    // window's exits, a lost connection or a full game); the program ends.
    void finished();

private:
    void createWindows();
    void bindTable();
    void startHost(HostReach reach);
    void askRouter();
    void listWithCoordinator();
    // Open Tables (spadesapp_listing.cpp): whether this table is shown there,
    // under which name, and by which rules before a game sets its own.
    void offerPublicListing();
    void listPublicly(bool on);
    void publicListingChosen(bool on);
    void refreshPublicListing();
    QString tableName() const;
    std::optional<PlannedRules> plannedRules() const;
    void reachFound(const ReachStatus &status);
    // The reach status line and invitation, the coordinator's part first.
    void showReach(const QString &text);
    QStringList joinAddressWithoutPort();
    // The coordinator given after the three game arguments as
    // "--coordinator HOST[:PORT]"; empty when none was given.
    // What follows `option` among the options after the game arguments.
    QString optionValue(const QString &option) const;
    QString coordinatorSetting() const;
    // Joining by an invite code (spadesapp_code.cpp).
    bool joinsByCode(const QString &address) const;
    void connectByCode(const QString &code);
    void codeJoinFailed(const QString &why);
    void showWindow(const QString &item);
    void showMessage(const QString &text);
    void showAlert(const QByteArray &text);
    void mainWindowClosing();
    void endWithTable();
    SpadesSettings currentSettings() const;
    std::array<QString, 5> seatNames() const;

    QStringList m_arguments;
    Options m_options;
    // Destroyed from the last up: the windows go first, as they may still
    // talk to the host while closing.
    class Requests;
    std::unique_ptr<Requests> m_requests;
    std::unique_ptr<PresenceMark> m_presence;
    // Outlives the host, whose last notes still count seats for it.
    std::unique_ptr<TableAnnouncer> m_announcer;
    std::unique_ptr<HostRuntime> m_host;
    // Goes before the host, removing its mapping while the table still stands.
    std::unique_ptr<PortMapper> m_mapper;
    // Goes before the host too: no relayed connection arrives for it after.
    std::unique_ptr<TableListing> m_listing;
    ReachStatus m_reach; // what the router (or its absence) last said
    // The player's choice for Open Tables, kept in the settings file; the
    // table itself may be listed otherwise by its command line.
    bool m_listPubliclySetting = false;
    std::unique_ptr<Thelp> m_help;
    std::unique_ptr<Tdownload> m_download;
    std::unique_ptr<Tabout> m_about;
    std::unique_ptr<Ttallylist> m_tally;
    std::unique_ptr<Tchat> m_table;
    // Goes before the table, whose socket it may be about to connect.
    std::unique_ptr<CodeConnector> m_codeConnector;
    SideWindows *m_side = nullptr; // belongs to the table window
    QRect m_storedBox;             // all zero until the settings are first read
    bool m_settingsRead = false;
    SpadesSettings m_startupSettings; // what the windows showed before the first read
    bool m_started = false;
    bool m_ended = false;
};
