#pragma once

#include "tally/tallytable.h"

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

class NameLabel;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// Names on the board's seat labels, indexed by seat 1..4 (index 0 unused);
// "<Waiting>" marks an empty seat.
using SeatNames = std::array<QString, 5>;

// The questions and errors the tally window puts to the player; tests answer
// them without a modal box.
class TallyPrompts
{
public:
    virtual ~TallyPrompts() = default;
    virtual bool confirm(QWidget *parent, const QString &question) = 0;
    virtual void showError(QWidget *parent, const QString &message) = 0;
};

// The tally window ("Spades - Tally List"): the player's own record, the
// record against each followed player, the players at the table now and the
// players being followed.
//
// The program calls, in this order:
//   load()       once at start-up, before the window is first shown;
//   viewTally()  from View > "View Tally";
//   addgame()    from the winner handler, for every game a seat finished;
//   save()       once at program end.
class Ttallylist : public QWidget
{
    Q_OBJECT

public:
    explicit Ttallylist(QWidget *parent = nullptr);
    ~Ttallylist() override;

    // Reads the tally from the program folder, or from folder. A missing file
    // is an empty tally; a file that cannot be read is reported to the player,
    // and then save() leaves that file alone.
    void load();
    void load(const QString &folder);
    // Writes the tally back where load() looked. False when nothing was
    // written: the load had failed, or writing failed (the previous file is
    // then kept). Never reports to the player.
    bool save();

    // Lists the players at the table and shows the window (not modal),
    // centred on the main window the first time.
    void viewTally(int mySeat, const SeatNames &seatNames);
    void setMainWindow(QWidget *mainWindow) { m_mainWindow = mainWindow; }

    void setPrompts(std::unique_ptr<TallyPrompts> prompts);

    // Rebuilds "Players In Current Game" from the seat labels.
    void loadchecklist(int mySeat, const SeatNames &seatNames);
    // Records a game: result is "addtomine" for a win, else the winning
    // team's label.
    void addgame(const QString &result, int mySeat, const SeatNames &seatNames);

    const TallyTable &stringgrid_scores() const { return m_scores; }
    QString tallyFilePath() const { return m_path; }
    bool loadFailed() const { return m_loadFailed; }

private:
    void buildControls();
    void loadtally();
    void showOwnRecord();
    void showPlayerRow(int row);
    // The selected player, or the empty panel when none is.
    void showSelectedPlayer();
    int tallyRowOf(const QString &name) const;
    void addtomineincrease(bool won);
    void setChecklistChecks();

    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClick(int index);
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void removePlayer(QListWidgetItem *item);
    void button_resetClick();
    void button_doneClick();

    TallyTable m_scores;
    QString m_path;
    bool m_loadFailed = false;
    bool m_updating = false;
    bool m_placed = false;
    QWidget *m_mainWindow = nullptr;
    std::unique_ptr<TallyPrompts> m_prompts;

    std::array<QLabel *, 5> m_mylabel{};
    std::array<QLabel *, 9> m_label{};
    NameLabel *m_hisname = nullptr;
    NameLabel *m_hisnametop = nullptr;
    QListWidget *m_checklist = nullptr;
    QListWidget *m_listboxTally = nullptr;
    QPushButton *m_reset = nullptr;
    QPushButton *m_done = nullptr;
};
