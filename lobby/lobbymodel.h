#pragma once

#include "coordinator/publiclisting.h"
#include "coordinator/tabledirectory.h"
#include "lan/lantable.h"
#include "protocol/joinlink.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class GameLauncher;
class LobbyLink;
class OpenTables;
class TableBrowser;

// The lobby without its window: the player's name and the table to join,
// the tables joined lately and those on the local network, the game command
// a choice starts, and whether that game is running (seen through the link
// the game opens, and through the program started from here).
//
// The address field takes a table's address, an invitation link, or the
// code a coordinator lists a table under ("7KQ2-M9XD"); a code needs the
// coordinator setting, which hosting passes on too. Nothing is sent to a
// coordinator while that setting is empty.
//
// "Open Tables" are the tables strangers may join, as the coordinator lists
// them; Quick Play joins the fullest one with a free seat, or hosts a table
// listed there when none has one.
//
// The name, the address, the coordinator, the recent tables, how a hosted
// table is listed and the Open Tables filter live in the settings file
// "spadeslobby.ini" (section "Lobby") in the program's folder, written
// whenever a game is started.
class LobbyModel : public QObject
{
    Q_OBJECT

public:
    enum class State { Idle, Starting, Playing };

    struct Options
    {
        QString settingsPath;             // default: spadeslobby.ini in the program folder
        QString gameProgram;              // default: spades beside this program, else on the PATH
        quint16 linkPort = 9001;          // 0 picks a free port (tests)
        GameLauncher *launcher = nullptr; // default: started detached from the lobby
        int startingMs = 60000;           // how long a started game may take to link
        TableBrowser *browser = nullptr;  // default: the local network's, through Avahi
        TableDirectory::Limits directoryLimits{};
        int openTablesRefreshMs = 10000;
    };

    static constexpr int kRecentTables = 8;
    static constexpr int kMaxNameLength = 32;
    static constexpr int kMaxAddressLength = 255;

    LobbyModel();
    explicit LobbyModel(Options options, QObject *parent = nullptr);
    ~LobbyModel() override;

    QString name() const { return m_name; }
    void setName(const QString &name);
    QString address() const { return m_address; }
    void setAddress(const QString &address);
    QStringList recentTables() const { return m_recent; }
    // Where tables are listed under codes: "host", "host:port", or a ws:// or
    // wss:// URL; empty for none.
    QString coordinator() const { return m_coordinator; }
    void setCoordinator(const QString &coordinator);
    // Whether a hosted table asks the router to open its port.
    bool portMapping() const { return m_portMapping; }
    void setPortMapping(bool on) { m_portMapping = on; }
    // Whether a hosted table is listed in Open Tables (with a coordinator),
    // and the name it is listed under; empty for the game's own choice.
    bool listPublicly() const { return m_listPublicly; }
    void setListPublicly(bool on) { m_listPublicly = on; }
    QString tableName() const { return m_tableName; }
    void setTableName(const QString &name) { m_tableName = name.left(PublicListing::kLongestName); }
    // What a game this lobby started says first on its link.
    QByteArray linkToken() const { return m_linkToken; }
    // How friends reach the table this lobby started, as the game says it.
    QString reach() const { return m_reach; }
    QString invitation() const { return m_invitation.join(QLatin1Char('\n')); }

    State state() const { return m_state; }
    // One line for the player: what is going on, or what is wrong.
    QString status() const { return m_status; }
    bool linkListening() const;
    quint16 linkPort() const;
    QString gameProgram() const { return m_options.gameProgram; }

    // What is wrong with the fields, or an empty text when nothing is.
    QString nameProblem() const;
    QString addressProblem() const;
    QString coordinatorProblem() const;

    // The arguments each way to play starts the game with.
    QStringList hostArguments() const;
    QStringList joinArguments() const;

    // An invitation link ("spades://join/ADDRESS[:PORT]" or
    // "spades://code/CODE") fills in the address or code to join; the player
    // then joins. False, with the reason in status(), for anything that is not
    // exactly such a link: nothing of it is used.
    bool openLink(const QString &link);

    // "Tables on your network": what the browser finds, and why it finds
    // nothing when it cannot look.
    QList<LanTable> lanTables() const;
    QString lanProblem() const;
    // Joins the table listed at `index` in lanTables().
    bool joinLanTable(int index);

    // "Open Tables": the tables the coordinator lists for strangers, and why
    // there are none to show (no coordinator, or none reached).
    QList<PublicListing> openTables() const;
    QString openTablesProblem() const;
    bool openTablesFetching() const;
    ListingFilter openTablesFilter() const;
    void setOpenTablesFilter(const ListingFilter &filter);
    void refreshOpenTables();
    // The window says whether the list is in sight: only then is it fetched
    // again every little while.
    void setOpenTablesShown(bool shown);
    // Joins the table listed at `index` in openTables() by its code.
    bool joinOpenTable(int index);
    // Fetches the open tables with a free seat and joins quickPlayChoice's;
    // when none has one, hosts a table listed in Open Tables. False, with the
    // reason in status(), when it cannot begin; the choice comes later.
    bool quickPlay();
    bool quickPlayPending() const { return m_quickPlay; }

    // Start the game; false (and the reason in status()) when the fields are
    // wrong, a game is already running, or the program cannot be started.
    bool host();
    bool join();
    // A solo game needs no lobby: the window closes once it has started.
    bool playSolo();

signals:
    void changed();
    // The game started from here, or found running, has ended.
    void gameEnded();

private:
    bool launch(const QStringList &arguments, const QString &starting);
    void setState(State state, const QString &status);
    void gameRuns();
    void gameOver();
    void linksChanged(int links);
    std::optional<Invitation> joinTarget(QString *why) const;
    QStringList coordinatorArguments() const;
    QStringList hostArgumentsListed(bool listed) const;
    void openTablesRefreshed();
    bool joinCode(const QByteArray &code);
    void gameProgramEnded();
    void load();
    void save();

    Options m_options;
    GameLauncher *m_launcher = nullptr;
    LobbyLink *m_link = nullptr;
    TableBrowser *m_browser = nullptr;
    OpenTables *m_openTables = nullptr;
    QTimer m_startingTimer;
    QString m_name;
    QString m_address;
    QString m_coordinator;
    QStringList m_recent;
    bool m_portMapping = true;
    bool m_listPublicly = false;
    QString m_tableName;
    bool m_quickPlay = false;
    QByteArray m_linkToken;
    QString m_reach;
    QStringList m_invitation;
    State m_state = State::Idle;
    QString m_status;
};
