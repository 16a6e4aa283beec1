// The settings file as the windows see it: which control each key sets, and
// the main window's box, kept across runs.
#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "platform/settingsfile.h"
#include "shell/spadesapp.h"
#include "tally/tallylist.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Outer box of a top-level window: position and size including its frame.
QRect outerBox(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    return QRect(frame.x(), frame.y(), frame.width(), frame.height());
}

void placeOuterBox(QWidget *window, const QRect &box)
{
    const QSize frameExtra = window->frameGeometry().size() - window->geometry().size();
    window->move(box.x(), box.y());
    window->resize(std::max(1, box.width() - frameExtra.width()),
                   std::max(1, box.height() - frameExtra.height()));
}

} // namespace

SpadesSettings SpadesApp::currentSettings() const
{
    SpadesSettings s;
    const QRect box = outerBox(m_table.get());
    s.top = box.y();
    s.left = box.x();
    s.width = box.width();
    s.height = box.height();
    m_side->collectSettings(s);
    s.textSize = m_table->chatPanel()->textSize();
    s.textColor = colourtext::toText(m_table->chatPanel()->textColour());
    s.botSpeed = m_table->botSpeed();
    s.turnSound = m_table->newTurnSound() ? 1 : 0;
    s.playSounds = m_table->playSounds();
    s.chatterSounds = m_table->playChatterSounds();
    s.expertComputers = m_table->computers() == ComputerKind::Expert;
    s.playableCards = m_table->showPlayable();
    s.portMapping = m_table->portMapping();
    s.listPublicly = m_listPubliclySetting;
    return s;
}

void SpadesApp::loadinifile()
{
    const SpadesSettings s = SettingsFile().load(currentSettings());
    placeOuterBox(m_table.get(), QRect(s.left, s.top, s.width, s.height));
    m_storedBox = QRect(s.left, s.top, s.width, s.height);
    m_settingsRead = true;
    m_side->applySettings(s);
    m_table->chatPanel()->setTextSize(s.textSize);
    m_table->chatPanel()->setTextColour(colourtext::fromTextOr(s.textColor, 0x000000));
    m_table->setBotSpeed(s.botSpeed == 1000 || s.botSpeed == 200 ? s.botSpeed : 500, false);
    m_table->setNewTurnSound(s.turnSound == 1);
    m_table->setPlaySounds(s.playSounds);
    m_table->setPlayChatterSounds(s.chatterSounds);
    m_table->setComputers(s.expertComputers ? ComputerKind::Expert : ComputerKind::Classic, false);
    m_table->setShowPlayable(s.playableCards, false);
    m_table->setPortMapping(s.portMapping, false);
    m_listPubliclySetting = s.listPublicly;
    // A listed table shows its own state; the file may hold other rules.
    if (m_listing && m_listing->isOn())
        refreshPublicListing();
    else
        m_table->setListPublicly(s.listPublicly);
}

// Until the file has been read the controls still hold their start-up
// values, which say nothing about the player's saved ones: such a write
// carries only the preferences the player has changed since, and never the
// window box.
bool SpadesApp::saveinifile()
{
    const SpadesSettings s = currentSettings();
    QList<std::pair<QString, QString>> values;
    if (m_settingsRead) {
        values = settings::keyValues(s);
    } else {
        SpadesSettings changed = s;
        changed.top = m_startupSettings.top;
        changed.left = m_startupSettings.left;
        changed.width = m_startupSettings.width;
        changed.height = m_startupSettings.height;
        values = settings::changedKeyValues(m_startupSettings, changed);
        if (values.isEmpty())
            return true;
    }
    QString error;
    if (!SettingsFile().write(values, &error)) {
        showMessage(error);
        return false;
    }
    if (m_settingsRead)
        m_storedBox = QRect(s.left, s.top, s.width, s.height);
    return true;
}

// On closing, the box is written only when it changed since it was read or
// last written; a window larger than the desktop shrinks a little so that it
// fits next time. A table that never read the file (closed before its
// connection was confirmed) leaves it alone: writing its start-up values would
// throw away the player's saved preferences.
void SpadesApp::mainWindowClosing()
{
    QRect box = outerBox(m_table.get());
    if (m_settingsRead && box != m_storedBox) {
        const QScreen *screen =
            m_table->screen() ? m_table->screen() : QGuiApplication::primaryScreen();
        const QRect work = screen ? screen->availableGeometry() : QRect();
        if (work.isValid() && box.width() > work.width())
            box.setWidth(box.width() - 15);
        if (work.isValid() && box.height() > work.height())
            box.setHeight(box.height() - 15);
        placeOuterBox(m_table.get(), box);
        saveinifile();
    }
    m_tally->save();
    endWithTable();
}
