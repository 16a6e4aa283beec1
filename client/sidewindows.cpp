#include "client/sidewindows.h"

#include "client/phrasebuttons.h"
#include "client/scoresheetwindow.h"
#include "client/tgamestart.h"
#include "client/tlasttrick.h"
#include "client/tphrases.h"
#include "client/tspylist.h"
#include "client/windowbackground.h"
#include "platform/spadessettings.h"
#include "resources/pictures.h"

#include <QEvent>
#include <QWidget>
#include <array>

namespace {

// Most side windows are never opened in a session; each gets its felt when it
// is first shown instead of at start-up.
class FeltOnFirstShow : public QObject
{
public:
    explicit FeltOnFirstShow(QWidget *window) : QObject(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            setWindowBackground(
                window, pictures::boardBackground(window->size(), window->devicePixelRatioF()));
            window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

SideWindows::SideWindows(QWidget *mainWindow, PhraseButtons *phraseButtons, Table table)
    : QObject(mainWindow), m_table(std::move(table)), m_mainWindow(mainWindow),
      m_gamestart(new Tgamestart(mainWindow)), m_spylist(new Tspylist(mainWindow)),
      m_lasttrick(new Tlasttrick(mainWindow)), m_phraseButtons(phraseButtons),
      m_phraseEditor(new Tphrases(m_phraseButtons, mainWindow)),
      m_scoreSheet(new ScoreSheetWindow(mainWindow))
{
    for (QWidget *window :
         std::initializer_list<QWidget *>{m_gamestart, m_spylist, m_lasttrick, m_phraseEditor})
        new FeltOnFirstShow(window);

    m_gamestart->setSender([this](const QByteArray &message) {
        if (m_table.send)
            m_table.send(message);
    });
    connect(m_gamestart, &Tgamestart::gameStarted, this, [this] {
        if (m_table.writeSettings)
            m_table.writeSettings();
    });
    connect(m_lasttrick, &Tlasttrick::positionStored, this, [this] {
        if (m_table.writeSettings)
            m_table.writeSettings();
    });
    connect(m_spylist, &Tspylist::kickRequested, this, [this](int seat) {
        if (m_table.kick)
            m_table.kick(seat);
    });
    if (m_table.muteItemText)
        m_spylist->setMuteOffer(m_table.muteItemText);
    connect(m_spylist, &Tspylist::muteToggled, this, [this](const QString &name) {
        if (m_table.toggleMute)
            m_table.toggleMute(name);
    });
}

void SideWindows::showGameStart()
{
    if (m_table.playername)
        m_gamestart->setPlayername(m_table.playername().toLatin1());
    m_gamestart->show();
    m_gamestart->raise();
    m_gamestart->activateWindow();
}

void SideWindows::addSpy(const QString &line)
{
    m_spylist->addLine(line);
}
bool SideWindows::removeSpy(const QString &line)
{
    return m_spylist->removeLine(line);
}
void SideWindows::hosting()
{
    m_spylist->setHosting(true);
}
void SideWindows::resetLastTrick()
{
    m_lasttrick->reset();
}
void SideWindows::cardLaid(int seat)
{
    m_lasttrick->cardPlayed(seat);
}

int SideWindows::seatAtPosition(int position) const
{
    const int own = m_table.myseat ? m_table.myseat() : 0;
    if (own < 1 || own > 4)
        return position;
    return (position - 1 + own - 1) % 4 + 1;
}

void SideWindows::recordLastTrick(int winnerSeat)
{
    std::array<int, 4> cards{};
    for (int position = 1; position <= 4; ++position) {
        if (m_table.playedCard)
            cards[position - 1] = m_table.playedCard(seatAtPosition(position));
    }
    m_lasttrick->recordTrick(cards, winnerSeat, m_table.myseat ? m_table.myseat() : 0);
}

void SideWindows::showLastTrick()
{
    QStringList names;
    for (int position = 1; position <= 4; ++position)
        names << (m_table.seatName ? m_table.seatName(seatAtPosition(position)) : QString());
    m_lasttrick->showTrick(names);
}

void SideWindows::resetLastTrickPlace()
{
    m_lasttrick->resetPlace();
}

bool SideWindows::showWindow(const QString &item)
{
    if (item == QLatin1String("SpyList1")) {
        m_spylist->show();
        m_spylist->raise();
        return true;
    }
    if (item == QLatin1String("ScoreSheet1")) {
        m_scoreSheet->show();
        m_scoreSheet->raise();
        return true;
    }
    if (item == QLatin1String("LastTrick1")) {
        showLastTrick();
        return true;
    }
    if (item == QLatin1String("PhraseList1") || item == QLatin1String("PrhaseList1")) {
        m_phraseEditor->PrhaseList1Click();
        return true;
    }
    return false;
}

void SideWindows::closeAll()
{
    for (QWidget *window : std::initializer_list<QWidget *>{m_gamestart, m_spylist, m_lasttrick,
                                                            m_phraseEditor, m_scoreSheet})
        window->close();
}

void SideWindows::drawScoreSheet(const ScoreSheet &sheet)
{
    m_scoreSheet->draw(sheet);
}

void SideWindows::applySettings(const SpadesSettings &settings)
{
    m_lasttrick->setStoredPosition(settings.lastTrickTop, settings.lastTrickLeft);
    m_gamestart->setPlaytoscore(settings.playToScore);
    m_gamestart->checkbox(QStringLiteral("image_sands"), settings.sandbag ? 1 : 0);
    m_gamestart->checkbox(QStringLiteral("image_blind"), settings.blind ? 1 : 0);
    m_gamestart->checkbox(QStringLiteral("image_club"), settings.startClub ? 1 : 0);
    m_phraseButtons->applyStored(settings.phrases);
}

void SideWindows::collectSettings(SpadesSettings &settings) const
{
    settings.lastTrickTop = m_lasttrick->storedTop();
    settings.lastTrickLeft = m_lasttrick->storedLeft();
    settings.playToScore = m_gamestart->playtoscore();
    settings.sandbag = m_gamestart->sandbag();
    settings.blind = m_gamestart->blind();
    settings.startClub = m_gamestart->startclub();
    settings.phrases = m_phraseButtons->phrases();
}
