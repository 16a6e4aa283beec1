#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QPixmap>
#include <functional>

class ArrowUpDown;
class PictureButton;
class PictureCheckBox;
class QLineEdit;

// The hosting player's game options: the score to play to and three rules.
// The start button sends them to the host in one message and hides the dialog.
class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    using Sender = std::function<void(const QByteArray &message)>;

    explicit Tgamestart(QWidget *parent = nullptr);

    // Where the start message goes; the table client's socket.
    void setSender(Sender sender) { m_send = std::move(sender); }
    // The name the game is started under (the player's name, as sent).
    void setPlayername(const QByteArray &name) { m_playername = name; }
    void setBackgroundPicture(const QPixmap &picture);

    // Sets "image_sands", "image_blind" or "image_club" on for 1, off for
    // anything else; unknown names are ignored.
    void checkbox(const QString &name, int value);

    int playtoscore() const;
    void setPlaytoscore(int score);
    bool sandbag() const;
    bool blind() const;
    bool startclub() const;

    // What the start button sends for the current choices.
    QByteArray startMessage() const;

    void button_startClick();

signals:
    // The options went out; the settings file should keep them.
    void gameStarted();

private:
    PictureCheckBox *box(const QString &name) const;

    QList<QPixmap> m_imagelistBox;
    QLineEdit *m_edit;
    ArrowUpDown *m_updown;
    PictureCheckBox *m_sands;
    PictureCheckBox *m_blind;
    PictureCheckBox *m_club;
    PictureButton *m_start;
    Sender m_send;
    QByteArray m_playername;
};
