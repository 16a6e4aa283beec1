#include "shell/spadesapp.h"

#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "client/tchatwiring.h"
#include "host/shuffle.h"
#include "platform/settingsfile.h"
#include "protocol/tsock.h"
#include "shell/singleinstance.h"
#include "shell/tabout.h"
#include "shell/tdownload.h"
#include "shell/thelp.h"
#include "tally/tallylist.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

SpadesApp::SpadesApp(const QStringList &arguments, Options options)
    : m_arguments(arguments), m_options(std::move(options))
{
    createWindows();
    bindTable();
    m_startupSettings = currentSettings();
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
    m_host = new HostRuntime(m_options.seed.value_or(Lcg::clockSeed()), m_options.timing, this);

    m_table->setHostPort(m_options.port);
    m_host->onAlert = [this](const QByteArray &text) { showAlert(text); };
    m_host->botSpeedHook = [this]() -> std::optional<int> { return m_table->botSpeed(); };
    m_tally->load();
}

void SpadesApp::bindTable()
{
    TableServices &s = m_table->services();
    s.startHost = [this] { startHost(); };
    s.showDownload = [this] { m_download->show(); };
    s.messageBox = [this](const QString &text) { showMessage(text); };
    s.recordTally = [this](const QString &word) {
        m_tally->addgame(word, m_table->myseat(), seatNames());
    };
    s.readSettings = [this] { loadinifile(); };
    s.writeSettings = [this] { saveinifile(); };
    s.showWindow = [this](const QString &item) { showWindow(item); };
    s.openHomePage = [] {
        QDesktopServices::openUrl(QUrl(QStringLiteral("http://www.velnor.com/")));
    };
    s.windowClosing = [this] { mainWindowClosing(); };
    // The side windows answer their own View items and pass the rest on.
    m_side = attachSideWindows(*m_table);

    connect(m_download, &Tdownload::exitRequested, m_table, &QWidget::close);
    connect(m_table, &Tchat::programEnds, this, &SpadesApp::endWithTable);
}

// The table is the program: however it closes, the windows beside it close
// too and the program ends, even while one of them is open.
void SpadesApp::endWithTable()
{
    if (m_ended)
        return;
    m_ended = true;
    for (QWidget *window : std::initializer_list<QWidget *>{m_tally, m_about, m_download, m_help})
        window->close();
    m_side->closeAll();
    emit finished();
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

void SpadesApp::startHost()
{
    m_host->listen(m_options.port);
    // Port 0 asks for any free port; the own table follows the host there.
    m_table->setHostPort(m_host->port());
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
    if (item == QLatin1String("ViewTally1")) {
        m_tally->viewTally(m_table->myseat(), seatNames());
    } else if (item == QLatin1String("Content1")) {
        m_help->show();
        m_help->raise();
    } else if (item == QLatin1String("About1")) {
        // The box has no parent window, so the window manager would put it
        // anywhere: it opens over the middle of the table.
        if (!m_about->isVisible())
            m_about->move(m_table->frameGeometry().center() - m_about->rect().center());
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
    QMessageBox box(QMessageBox::Information, QStringLiteral("Spades"), text, QMessageBox::Ok,
                    m_table);
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

TSock *SpadesApp::sock() const
{
    return m_table->sock();
}
