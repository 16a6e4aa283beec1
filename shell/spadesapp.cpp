#include "shell/spadesapp.h"

#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "protocol/tsock.h"
#include "shell/platform/settingsfile.h"
#include "shell/singleinstance.h"
#include "shell/tabout.h"
#include "shell/tdownload.h"
#include "shell/thelp.h"
#include "tally/tallylist.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

namespace {

std::uint32_t clockSeed()
{
    const QTime now = QTime::currentTime();
    return std::uint32_t(now.msecsSinceStartOfDay());
}

} // namespace

SpadesApp::SpadesApp(const QStringList &arguments, Options options)
    : m_arguments(arguments), m_options(std::move(options))
{
    createWindows();
    bindTable();
}

SpadesApp::~SpadesApp()
{
    // Windows first: they may still talk to the host while closing.
    delete m_table;
    delete m_tally;
    delete m_about;
    delete m_download;
    delete m_help;
    delete m_host;
    delete m_presence;
}

// The windows come into being once, main window first; all of them live until
// the program ends.
void SpadesApp::createWindows()
{
    m_table = new Tchat();
    m_presence = new PresenceMark();
    m_tally = new Ttallylist();
    m_tally->setMainWindow(m_table);
    m_about = new Tabout();
    m_download = new Tdownload();
    m_help = new Thelp();
    m_host = new HostRuntime(m_options.seed.value_or(clockSeed()), m_options.timing, this);

    SideWindows::Table table;
    table.send = [this](const QByteArray &message) { m_table->send(message); };
    table.myseat = [this] { return m_table->myseat(); };
    table.playername = [this] { return m_table->playername(); };
    table.seatName = [this](int seat) {
        const BoardLabel *label = m_table->playernameLabel(seat);
        return label ? label->text() : QString();
    };
    table.playedCard = [this](int seat) {
        const BoardPicture *picture = m_table->playedPicture(seat);
        return picture ? tagOf(picture) : 0;
    };
    table.kick = [this](int seat) { m_table->kicking(seat); };
    table.writeSettings = [this] { saveinifile(); };
    m_side = new SideWindows(m_table, m_table->phraseButtons(), table);

    m_sock = new TSock(this);
    m_sock->setPortName(QString::number(m_options.port));
    m_sock->OnRead = [this](TSock *sock, int) { m_table->sockRead(sock->Receive()); };
    m_sock->OnInfo = [this](TSock *, TSocketInfo, const QByteArray &text) {
        m_table->sockInfo(text);
    };
    m_sock11 = new TSock(this);
    m_sock11->setHostName(QStringLiteral("127.0.0.1"));
    m_sock11->setPortName(QStringLiteral("9001"));

    m_host->onAlert = [this](const QByteArray &text) { showAlert(text); };
    m_host->botSpeedHook = [this]() -> std::optional<int> { return m_table->botSpeed(); };
    m_tally->load();
}

void SpadesApp::bindTable()
{
    TableServices &s = m_table->services();
    s.send = [this](const QByteArray &message) {
        try {
            m_sock->Send(message);
        } catch (const ESockException &) {
            // Not connected: there is nobody to tell.
        }
    };
    s.connectTo = [this](const QString &host) { connectTo(host); };
    s.startHost = [this] { startHost(); };
    s.openLobbyLink = [this] { openLobbyLink(); };
    s.showDownload = [this] { m_download->show(); };
    s.messageBox = [this](const QString &text) { showMessage(text); };
    s.recordTally = [this](const QString &word) {
        m_tally->addgame(word, m_table->myseat(), seatNames());
    };
    s.readSettings = [this] { loadinifile(); };
    s.writeSettings = [this] { saveinifile(); };
    s.showGameStart = [this] { m_side->showGameStart(); };
    s.addSpy = [this](const QString &line) { m_side->addSpy(line); };
    s.removeSpy = [this](const QString &line) { return m_side->removeSpy(line); };
    s.resetLastTrick = [this] { m_side->resetLastTrick(); };
    s.cardLaid = [this](int seat) { m_side->cardLaid(seat); };
    s.recordLastTrick = [this](int winner) { m_side->recordLastTrick(winner); };
    s.showLastTrick = [this] { m_side->showLastTrick(); };
    s.hosting = [this] { m_side->hosting(); };
    s.showWindow = [this](const QString &item) { showWindow(item); };
    s.openHomePage = [] {
        QDesktopServices::openUrl(QUrl(QStringLiteral("http://www.velnor.com/")));
    };
    s.resetLastTrickPlace = [this] { m_side->resetLastTrickPlace(); };
    s.windowClosing = [this] { mainWindowClosing(); };

    connect(m_download, &Tdownload::exitRequested, m_table, &QWidget::close);
    connect(m_table, &Tchat::programEnds, this, &SpadesApp::finished);
}

void SpadesApp::start()
{
    if (m_started)
        return;
    m_started = true;
    m_table->show();
    try {
        m_table->processparams(m_arguments);
    } catch (const ESockException &error) {
        // Hosting stops here, as it would for any socket failure at start.
        showMessage(QString::fromLatin1(error.what()));
    }
}

void SpadesApp::connectTo(const QString &host)
{
    m_sock->setHostName(host);
    try {
        m_sock->Open();
    } catch (const ESockException &error) {
        showMessage(QString::fromLatin1(error.what()));
    }
}

void SpadesApp::startHost()
{
    m_host->listen(m_options.port);
    // Port 0 asks for any free port; the own table follows the host there.
    m_sock->setPortName(QString::number(m_host->port()));
}

void SpadesApp::openLobbyLink()
{
    try {
        m_sock11->Open();
    } catch (const ESockException &) {
        // Nobody launched us from the lobby on this machine; nothing to tell.
    }
}

std::array<QString, 5> SpadesApp::seatNames() const
{
    std::array<QString, 5> names;
    for (int seat = 1; seat <= 4; ++seat) {
        const BoardLabel *label = m_table->playernameLabel(seat);
        names[seat] = label ? label->text() : QString();
    }
    return names;
}

void SpadesApp::showWindow(const QString &item)
{
    if (m_side->showWindow(item))
        return;
    if (item == QLatin1String("ViewTally1")) {
        m_tally->viewTally(m_table->myseat(), seatNames());
    } else if (item == QLatin1String("Content1")) {
        m_help->show();
        m_help->raise();
    } else if (item == QLatin1String("About1")) {
        m_about->show();
        m_about->raise();
    }
}

void SpadesApp::showMessage(const QString &text)
{
    if (m_options.messageSink) {
        m_options.messageSink(text);
        return;
    }
    QMessageBox::information(m_table, QStringLiteral("Spades"), text);
}

// Inconsistencies on the host are shown without stopping play: the box does
// not block the event loop that runs the game.
void SpadesApp::showAlert(const QByteArray &text)
{
    if (m_options.messageSink) {
        m_options.messageSink(QString::fromLatin1(text));
        return;
    }
    auto *box = new QMessageBox(QMessageBox::Warning, QStringLiteral("Spades"),
                                QString::fromLatin1(text), QMessageBox::Ok, m_table);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}
