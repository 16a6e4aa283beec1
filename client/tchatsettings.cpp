// The table's preferences in the settings file, and the window's place,
// which is kept when the window closes.
#include "client/tchat.h"

#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "chat/soundboard.h"
#include "shell/platform/spadessettings.h"

#include <QCloseEvent>
#include <QScreen>
#include <QTimer>

void Tchat::applySettings(const SpadesSettings &settings)
{
    m_stored = QRect(settings.left, settings.top, settings.width, settings.height);
    m_settingsRead = true;
    placeWindow(m_stored);
    m_chat->setTextSize(settings.textSize);
    if (const auto colour = colourtext::fromText(settings.textColor))
        m_chat->setTextColour(*colour);
    setBotSpeed(settings.botSpeed, false);
    m_soundBoard->setTurnSoundChoice(settings.turnSound);
    m_soundBoard->setPlaySounds(settings.playSounds);
    m_soundBoard->setPlayChatterSounds(settings.chatterSounds);
}

void Tchat::collectSettings(SpadesSettings &settings) const
{
    if (m_settingsRead) {
        settings.left = m_stored.left();
        settings.top = m_stored.top();
        settings.width = m_stored.width();
        settings.height = m_stored.height();
    }
    settings.textSize = m_chat->textSize();
    settings.textColor = colourtext::toText(m_chat->textColour());
    settings.botSpeed = botSpeed();
    settings.turnSound = m_soundBoard->turnSoundChoice();
    settings.playSounds = m_soundBoard->playSounds();
    settings.chatterSounds = m_soundBoard->playChatterSounds();
}

void Tchat::placeWindow(const QRect &outer)
{
    // The stored size is the whole window, frame included.
    const QSize frame = frameGeometry().size() - geometry().size();
    move(outer.topLeft());
    resize(outer.size() - frame);
}

void Tchat::closeEvent(QCloseEvent *event)
{
    m_timer1->stop();
    // The window's place is kept only once the settings have been read:
    // writing before that would replace the player's saved preferences
    // with the defaults.
    QRect now = frameGeometry();
    if (m_settingsRead && now != m_stored) {
        if (const QScreen *where = screen()) {
            const QRect work = where->availableGeometry();
            if (now.width() > work.width())
                now.setWidth(now.width() - 15);
            if (now.height() > work.height())
                now.setHeight(now.height() - 15);
        }
        m_stored = now;
        if (m_services.writeSettings)
            m_services.writeSettings();
    }
    if (m_services.windowClosing)
        m_services.windowClosing();
    event->accept();
}
