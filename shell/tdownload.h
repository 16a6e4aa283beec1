#pragma once

#include "shell/httpcli.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QSaveFile;
class ShellLauncher;

// The window offered at a solo start: download and install the Velnor Lobby,
// open an installed lobby, or go on with the solo game.
//
// The lobby installer's address is the "Lobbydownload" key and the installed
// lobby's path the "Lobbyprogram" key of the settings file (section
// "Spades"); without them the defaults below apply.
class Tdownload : public QDialog
{
    Q_OBJECT

public:
    static const QString kDefaultDownloadAddress;
    static const QString kInstallerParameters; // "/SP- /silent /noicons"

    // shell defaults to the desktop's; tests pass their own.
    explicit Tdownload(QWidget *parent = nullptr, ShellLauncher *shell = nullptr);
    ~Tdownload() override;

    // Where messages for the player go; a message box unless replaced.
    void setMessageSink(std::function<void(const QString &)> sink);

    // Shows the JPEG as the window's picture; damaged data shows none.
    bool setPicture(const QByteArray &jpegData);

    // The installer's file name: what is left of the document path after
    // cutting everything up to each "/".
    static QString fileNameOf(const QString &documentPath);
    // The settings' download address, or the default.
    static QString downloadAddress();
    // The installed lobby program: the settings' path, or spades-lobby
    // beside the game's own executable.
    static QString lobbyProgramPath();

    // 1 while a download runs or after it completed, 2 after a stop or failure.
    int outcome() const { return m_outcome; }

    void getbuttonClick();
    void abortbuttonClick();
    void Button1Click();
    void Button2Click();

signals:
    // The program should end as its Exit command does: the installer or the
    // lobby has been started.
    void exitRequested();

private:
    void HttpCli1HeaderData(const QByteArray &line);
    void HttpCli1DocBegin();
    void HttpCli1DocData(qint64 received);
    void HttpCli1RequestDone(HttpCli::Outcome result);

    void buildControls();
    void setIdle(bool idle);
    void showMessage(const QString &text);
    void loadEmbeddedPicture();

    HttpCli m_http;
    ShellLauncher *m_shell;
    std::function<void(const QString &)> m_messageSink;
    std::unique_ptr<QSaveFile> m_file;
    int m_outcome = 0;

    QLabel *m_picture = nullptr;
    QPushButton *m_getbutton = nullptr;
    QPushButton *m_abortbutton = nullptr;
    QLabel *m_infolabel = nullptr;
    QLabel *m_infolabel2 = nullptr;
    QLabel *m_infolabel3 = nullptr;
};
