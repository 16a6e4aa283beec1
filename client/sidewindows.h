#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

class PhraseButtons;
class QWidget;
class Tgamestart;
class Tlasttrick;
class Tphrases;
class ScoreSheet;
class ScoreSheetWindow;
class Tspylist;
struct SpadesSettings;

// The table's side windows (game options, spy list, last trick, phrase
// editor) with the calls the table window makes into them. What they need of
// the table comes in through `Table`.
class SideWindows : public QObject
{
    Q_OBJECT
public:
    struct Table
    {
        // One terminated message to the host, as the socket sends it.
        std::function<void(const QByteArray &message)> send;
        std::function<int()> myseat;
        std::function<QString()> playername;
        // The text of a seat's name label, seat 1 to 4.
        std::function<QString(int seat)> seatName;
        // The card number shown on the board for a seat, 0 for none.
        std::function<int(int seat)> playedCard;
        // Removal of a player or watcher (the table's `kicking`).
        std::function<void(int seat)> kick;
        // A preference kept in the settings file changed.
        std::function<void()> writeSettings;
        // The player's own muting of a watcher (Tspylist::MuteOffer) and
        // the choice of it.
        std::function<QString(int n, const QString &name)> muteItemText;
        std::function<void(const QString &name)> toggleMute;
    };

    // The windows belong to `mainWindow`; the editor works on the table's
    // phrase buttons.
    SideWindows(QWidget *mainWindow, PhraseButtons *phraseButtons, Table table);

    Tgamestart *gamestart() const { return m_gamestart; }
    Tspylist *spylist() const { return m_spylist; }
    Tlasttrick *lasttrick() const { return m_lasttrick; }
    Tphrases *phraseEditor() const { return m_phraseEditor; }
    ScoreSheetWindow *scoreSheet() const { return m_scoreSheet; }
    PhraseButtons *phraseButtons() const { return m_phraseButtons; }

    // File > "Start Game" and the board's start button, once logged in.
    void showGameStart();
    void addSpy(const QString &line);
    bool removeSpy(const QString &line);
    // This process hosts the game: removal of watchers is offered.
    void hosting();
    // A game starts / a card is laid / a trick is taken / "Last Trick".
    void resetLastTrick();
    void cardLaid(int seat);
    void recordLastTrick(int winnerSeat);
    void showLastTrick();
    void resetLastTrickPlace();
    // The game's hands so far, drawn whether the sheet is open or not.
    void drawScoreSheet(const ScoreSheet &sheet);
    // The table closes: so do these windows.
    void closeAll();
    // A View item by its menu name; false when it is not one of these windows.
    bool showWindow(const QString &item);

    // The settings that live in these windows, in and out.
    void applySettings(const SpadesSettings &settings);
    void collectSettings(SpadesSettings &settings) const;

private:
    int seatAtPosition(int position) const;

    Table m_table;
    QWidget *m_mainWindow;
    Tgamestart *m_gamestart;
    Tspylist *m_spylist;
    Tlasttrick *m_lasttrick;
    PhraseButtons *m_phraseButtons;
    Tphrases *m_phraseEditor;
    ScoreSheetWindow *m_scoreSheet;
};
