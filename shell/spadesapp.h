#pragma once

#include "host/hostruntime.h"
#include "platform/spadessettings.h"

#include <QObject>
#include <QRect>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class PresenceMark;
class SideWindows;
class TSock;
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
        // Message boxes go here instead of on screen when set (tests).
        std::function<void(const QString &text)> messageSink;
    };

    SpadesApp(const QStringList &arguments, Options options);
    ~SpadesApp() override;

    // Shows the main window and acts on the command line.
    void start();

    Tchat *table() const { return m_table; }
    HostRuntime *host() const { return m_host; }
    Ttallylist *tally() const { return m_tally; }
    Tdownload *download() const { return m_download; }
    SideWindows *sideWindows() const { return m_side; }
    Tabout *about() const { return m_about; }
    Thelp *help() const { return m_help; }
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
    void startHost();
    void showWindow(const QString &item);
    void showMessage(const QString &text);
    void showAlert(const QByteArray &text);
    void mainWindowClosing();
    void endWithTable();
    SpadesSettings currentSettings() const;
    std::array<QString, 5> seatNames() const;

    QStringList m_arguments;
    Options m_options;
    Tchat *m_table = nullptr;
    Ttallylist *m_tally = nullptr;
    Tabout *m_about = nullptr;
    Tdownload *m_download = nullptr;
    Thelp *m_help = nullptr;
    SideWindows *m_side = nullptr;
    HostRuntime *m_host = nullptr;
    PresenceMark *m_presence = nullptr;
    QRect m_storedBox; // all zero until the settings are first read
    bool m_settingsRead = false;
    SpadesSettings m_startupSettings; // what the windows showed before the first read
    bool m_started = false;
    bool m_ended = false;
};
