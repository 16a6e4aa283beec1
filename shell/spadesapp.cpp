#include "shell/spadesapp.h"

#include "chat/chatpanel.h"
#include "chat/colourtext.h"
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "client/tchatwiring.h"
#include "coordinator/codeconnector.h"
#include "host/shuffle.h"
#include "lan/hostannouncement.h"
#include "platform/settingsfile.h"
#include "protocol/addresstext.h"
#include "protocol/tsock.h"
#include "reach/invitation.h"
#include "reach/localaddresses.h"
#include "reach/portmapper.h"
#include "reach/tablelisting.h"
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

SpadesApp::~SpadesApp() = default;

// The windows come into being once, main window first; all of them live until
// the program ends.
void SpadesApp::createWindows()
{
    m_table = std::make_unique<Tchat>();
    m_presence = std::make_unique<PresenceMark>();
    m_tally = std::make_unique<Ttallylist>();
    m_tally->setMainWindow(m_table.get());
    m_about = std::make_unique<Tabout>();
    m_download = std::make_unique<Tdownload>();
    m_help = std::make_unique<Thelp>();
    m_host =
        std::make_unique<HostRuntime>(m_options.seed.value_or(Lcg::clockSeed()), m_options.timing);

    m_table->setHostPort(m_options.port);
    m_host->onAlert = [this](const QByteArray &text) { showAlert(text); };
    m_host->botSpeedHook = [this]() -> std::optional<int> { return m_table->botSpeed(); };
    m_tally->load();
}

// The table talks to the host over its own sockets; the program starts the
// host and shows the boxes.
class SpadesApp::Requests : public TableRequests
{
public:
    explicit Requests(SpadesApp &app) : m_app(app) {}

    void send(const QByteArray &message) override { own().send(message); }
    void connectTo(const QString &host) override
    {
        if (m_app.joinsByCode(host))
            m_app.connectByCode(host);
        else
            own().connectTo(host);
    }
    void startHost(HostReach reach) override { m_app.startHost(reach); }
    void openLobbyLink() override { own().openLobbyLink(); }
    void messageBox(const QString &text) override { m_app.showMessage(text); }
    bool confirm(const QString &question) override { return own().confirm(question); }
    void popup(QMenu *menu, const QPoint &at) override { own().popup(menu, at); }

private:
    TableRequests &own() { return m_app.m_table->ownRequests(); }
    SpadesApp &m_app;
};

void SpadesApp::bindTable()
{
    m_requests = std::make_unique<Requests>(*this);
    m_table->setRequests(m_requests.get());
    Tchat *table = m_table.get();
    connect(table, &Tchat::downloadWanted, m_download.get(), &QWidget::show);
    connect(table, &Tchat::gameRecorded, this, [this](const QString &word) {
        m_tally->addgame(word, m_table->myseat(), seatNames());
    });
    connect(table, &Tchat::connected, this, &SpadesApp::loadinifile);
    connect(table, &Tchat::settingsChanged, this, &SpadesApp::saveinifile);
    connect(table, &Tchat::listPubliclyChosen, this, &SpadesApp::publicListingChosen);
    connect(table, &Tchat::computersChosen, this,
            [this](ComputerKind kind) { m_host->server().setComputerKind(kind); });
    connect(table, &Tchat::windowWanted, this, &SpadesApp::showWindow);
    connect(table, &Tchat::homePageWanted, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("http://www.velnor.com/"))); });
    connect(table, &Tchat::closing, this, &SpadesApp::mainWindowClosing);
    m_side = attachSideWindows(*m_table);

    connect(m_download.get(), &Tdownload::exitRequested, m_table.get(), &QWidget::close);
    connect(m_table.get(), &Tchat::programEnds, this, &SpadesApp::endWithTable);
}

// The table is the program: however it closes, the windows beside it close
// too and the program ends, even while one of them is open.
void SpadesApp::endWithTable()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_listing)
        m_listing->stop();
    for (QWidget *window : std::initializer_list<QWidget *>{m_tally.get(), m_about.get(),
                                                            m_download.get(), m_help.get()})
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
        m_table->processparams(joinAddressWithoutPort());
    } catch (const ESockException &error) {
        // Hosting stops here, as it would for any socket failure at start.
        showMessage(QString::fromLatin1(error.what()));
    }
}

// "spades NAME ADDRESS:PORT join" joins a host that listens on another port
// than ours, as a router may forward one. The port text is handed to the
// socket as written, which refuses one that is not a port number.
QStringList SpadesApp::joinAddressWithoutPort()
{
    QStringList arguments = m_arguments;
    if (arguments.size() < 3 || arguments.at(2) == QLatin1String("true"))
        return arguments;
    const addresstext::AddressParts parts = addresstext::splitPort(arguments.at(1));
    if (parts.port) {
        arguments[1] = parts.host;
        sock()->setPortName(*parts.port);
    }
    return arguments;
}

QString SpadesApp::optionValue(const QString &option) const
{
    const QStringList options = m_arguments.mid(3);
    const qsizetype at = options.indexOf(option);
    return at >= 0 && at + 1 < options.size() ? options.at(at + 1) : QString();
}

QString SpadesApp::coordinatorSetting() const
{
    return optionValue(QStringLiteral("--coordinator"));
}

void SpadesApp::startHost(HostReach reach)
{
    m_host->listen(m_options.port, reach);
    // Port 0 asks for any free port; the own table follows the host there.
    m_table->setHostPort(m_host->port());
    // A solo table is for this machine alone: never mapped, listed or shown.
    if (reach != HostReach::Everyone)
        return;
    listWithCoordinator();
    askRouter();
    if (!m_arguments.isEmpty() && !m_announcer) {
        m_announcer = std::make_unique<TableAnnouncer>();
        announceHost(*m_host, *m_announcer, m_arguments.at(0));
    }
}

// A solo table is for this machine alone and is never mapped; the lobby and
// the command line turn mapping off with "--no-port-mapping" after the three
// game arguments, the Options menu for every table hosted from now on.
void SpadesApp::askRouter()
{
    if (m_arguments.isEmpty() || m_mapper)
        return;
    const int port = m_host->port();
    if (!m_options.portMapping) {
        if (m_listing)
            m_listing->list(quint16(port), offStatus(port, findLocalAddresses()));
        return;
    }
    const bool wanted = !m_arguments.mid(3).contains(QStringLiteral("--no-port-mapping")) &&
                        SettingsFile().load(currentSettings()).portMapping;
    if (!wanted) {
        reachFound(offStatus(port, findLocalAddresses()));
        return;
    }
    PortMapper::Options options;
    options.request.internalPort = port;
    options.request.wantedPort = port;
    m_mapper = std::make_unique<PortMapper>(options);
    connect(m_mapper.get(), &PortMapper::statusChanged, this, &SpadesApp::reachFound);
    m_mapper->start();
}

// With "--coordinator HOST[:PORT]" after the game arguments the table is
// listed under an invite code; without it nothing is sent to any coordinator.
void SpadesApp::listWithCoordinator()
{
    if (m_listing)
        return;
    const QString coordinator = coordinatorSetting();
    if (coordinator.isEmpty()) {
        if (m_arguments.mid(3).contains(QStringLiteral("--list")))
            m_table->addlinetochat(QStringLiteral(
                "0+This table is not listed in Open Tables: that needs a coordinator."));
        return;
    }
    m_listing = std::make_unique<TableListing>(coordinator);
    m_listing->onRelayed = [this](int fd, const QString &peer) { m_host->takeRelayed(fd, peer); };
    connect(m_listing.get(), &TableListing::changed, this,
            [this] { showReach(m_listing->text()); });
    connect(m_listing.get(), &TableListing::note, this,
            [this](const QString &line) { m_table->addlinetochat(QStringLiteral("0+") + line); });
    offerPublicListing();
}

void SpadesApp::reachFound(const ReachStatus &status)
{
    m_reach = status;
    showReach(status.text);
    // The router's answer comes first: it may add a way in to list.
    if (m_listing && status.way != ReachStatus::Way::Asking)
        m_listing->list(quint16(m_host->port()), status);
}

void SpadesApp::showReach(const QString &text)
{
    QStringList invitation = m_listing ? m_listing->invitationLines() : QStringList();
    const QString links = invitationText(m_reach);
    if (!links.isEmpty())
        invitation << links;
    m_table->showReach(text, invitation.join(QLatin1Char('\n')));
}

std::array<QString, 5> SpadesApp::seatNames() const
{
    std::array<QString, 5> names;
    for (int seat = 1; seat <= 4; ++seat)
        names[seat] = m_table->model().seatName(seat);
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
                    m_table.get());
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
                                QString::fromLatin1(text), QMessageBox::Ok, m_table.get());
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

TSock *SpadesApp::sock() const
{
    return m_table->sock();
}
