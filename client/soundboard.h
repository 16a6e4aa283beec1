#pragma once

#include "protocol/clientmessages.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;
class SoundPlayer;

// The table's sounds: game event sounds behind "Play Sounds", the turn sound
// choice, and chatter sounds sent to and received from the other seats.
class SoundBoard : public QObject
{
    Q_OBJECT

public:
    using SendFunction = std::function<void(const QByteArray &message)>;
    using SeatName = std::function<std::optional<QString>(int seat)>;

    static constexpr int kChatterCount = 20;

    // Plays through `player`, or the system's player when none is given.
    explicit SoundBoard(QObject *parent = nullptr, SoundPlayer *player = nullptr);
    ~SoundBoard() override;

    void setPlayer(SoundPlayer *player);
    SoundPlayer *player() const { return m_player; }

    void setSendFunction(SendFunction send) { m_send = std::move(send); }
    // Status lines ("0+...") go to the chat through this function.
    void setStatusLine(std::function<void(const QString &line)> add)
    {
        m_statusLine = std::move(add);
    }
    // The text of a seat's name label; nullopt when the seat has none.
    void setSeatName(SeatName lookup) { m_seatName = std::move(lookup); }
    // Called after a switch changed, so the settings can be written.
    void setSettingsChanged(std::function<void()> changed)
    {
        m_settingsChanged = std::move(changed);
    }

    void setMySeat(int seat) { m_myseat = seat; }
    void setLoggedIn(bool loggedIn) { m_loggedin = loggedIn; }

    bool playSounds() const { return m_playSounds; }
    void setPlaySounds(bool on);
    bool playChatterSounds() const { return m_playChatter; }
    void setPlayChatterSounds(bool on);
    int turnSoundChoice() const { return m_turnChoice; } // 0 Classic, 1 New
    void setTurnSoundChoice(int choice);

    // Adds "Play Sounds", "Play Chatter Sounds" and "Turn Sound" to `options`.
    void addOptionsMenuItems(QMenu *options);
    QMenu *popupSounds() const { return m_popupSounds.get(); }
    // The caption of chatter sound k (0 is "<Cancel>"); empty when out of range.
    static QString chatterName(int k);

    // A game event sound; plays only while "Play Sounds" is checked.
    void playsounds(const QString &name);
    QString turnSound() const { return m_turnChoice == 1 ? "turnnew" : "turn"; }
    // A chatter sound asked for by a playing seat.
    void playasound(const wire::toClient::PlayASound &m);

public slots:
    void PlaySounds1Click();
    void PlayChatterSounds1Click();
    void New1Click(int tag);
    void wave14Click(int k);
    // Shows the chatter menu at the bottom-right corner of `button`.
    void b_phrase10Click(QWidget *button);

private:
    void buildPopup();
    void notifySettingsChanged();

    SoundPlayer *m_player = nullptr;
    SendFunction m_send;
    std::function<void(const QString &)> m_statusLine;
    SeatName m_seatName;
    std::function<void()> m_settingsChanged;

    std::unique_ptr<QMenu> m_popupSounds; // a popup has no parent widget
    QAction *m_playSoundsItem = nullptr;
    QAction *m_playChatterItem = nullptr;
    QAction *m_classicItem = nullptr;
    QAction *m_newItem = nullptr;

    int m_myseat = 0;
    bool m_loggedin = false;
    bool m_playSounds = true;
    bool m_playChatter = false;
    int m_turnChoice = 0;
};
