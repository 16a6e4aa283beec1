#include "lobby/lobbymodel.h"

#include "coordinator/quickplay.h"
#include "lan/avahitablebrowser.h"
#include "lobby/gamelauncher.h"
#include "lobby/lobbylink.h"
#include "lobby/opentables.h"
#include "platform/inifile.h"
#include "platform/programfolder.h"
#include "protocol/invitecode.h"
#include "protocol/joinlink.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

namespace {

const QString kSection = QStringLiteral("Lobby");

QString defaultGameProgram()
{
    const QString beside = platform::executableFolder() + QStringLiteral("/spades");
    return QFileInfo(beside).isExecutable() ? beside : QStringLiteral("spades");
}

bool hasControlCharacter(const QString &text)
{
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return true;
    }
    return false;
}

} // namespace

LobbyModel::LobbyModel() : LobbyModel(Options{}) {}

LobbyModel::LobbyModel(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    if (m_options.settingsPath.isEmpty())
        m_options.settingsPath = platform::programFile(QStringLiteral("spadeslobby.ini"));
    if (m_options.gameProgram.isEmpty())
        m_options.gameProgram = defaultGameProgram();
    m_launcher = m_options.launcher ? m_options.launcher : new SystemGameLauncher(this);
    connect(m_launcher, &GameLauncher::ended, this, &LobbyModel::gameProgramEnded);
    m_browser = m_options.browser ? m_options.browser : new AvahiTableBrowser(this);
    connect(m_browser, &TableBrowser::changed, this, &LobbyModel::changed);
    m_link = new LobbyLink(this);
    // The games this lobby starts inherit the token and show it on their link.
    m_linkToken = QByteArray::number(QRandomGenerator::system()->generate64(), 16) +
                  QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    m_link->setToken(m_linkToken);
    qputenv(LobbyLink::kTokenVariable, m_linkToken);
    connect(m_link, &LobbyLink::linksChanged, this, &LobbyModel::linksChanged);
    connect(m_link, &LobbyLink::reachChanged, this,
            [this](const QString &status, const QStringList &invitation) {
                m_reach = status;
                m_invitation = invitation;
                emit changed();
            });
    m_startingTimer.setSingleShot(true);
    m_startingTimer.setInterval(m_options.startingMs);
    connect(&m_startingTimer, &QTimer::timeout, this, [this] {
        if (m_state == State::Starting)
            setState(State::Idle, tr("Spades has not opened its table yet. You can host or "
                                     "join again."));
    });
    m_openTables = new OpenTables(m_options.directoryLimits, m_options.openTablesRefreshMs, this);
    connect(m_openTables, &OpenTables::changed, this, &LobbyModel::changed);
    connect(m_openTables, &OpenTables::refreshed, this, &LobbyModel::openTablesRefreshed);
    load();
    m_openTables->setCoordinator(coordinatorArguments().value(1));
    if (m_link->listen(m_options.linkPort))
        m_status = tr("Host a table, or join one by its address, name or code, or from a list.");
    else
        m_status = tr("Port %1 is taken (is another lobby open?): this lobby cannot see when "
                      "its game ends.")
                       .arg(m_options.linkPort);
}

LobbyModel::~LobbyModel() = default;

void LobbyModel::setName(const QString &name)
{
    m_name = name;
}

void LobbyModel::setAddress(const QString &address)
{
    m_address = address;
}

void LobbyModel::setCoordinator(const QString &coordinator)
{
    const QString before = coordinatorArguments().value(1);
    m_coordinator = coordinator;
    const QString usable = coordinatorArguments().value(1);
    if (usable == before)
        return;
    // Quick Play asked the coordinator that was set: its answer is not coming.
    if (m_quickPlay) {
        m_quickPlay = false;
        setState(m_state, tr("Quick Play stopped: the coordinator changed."));
    }
    m_openTables->setCoordinator(usable);
}

bool LobbyModel::linkListening() const
{
    return m_link->isListening();
}

quint16 LobbyModel::linkPort() const
{
    return m_link->port();
}

QString LobbyModel::nameProblem() const
{
    const QString name = m_name.trimmed();
    if (name.isEmpty())
        return tr("Type your name first.");
    if (name.size() > kMaxNameLength)
        return tr("Your name is too long: at most %1 characters.").arg(kMaxNameLength);
    if (hasControlCharacter(name))
        return tr("Your name holds a character that cannot be shown.");
    // The table carries names as single bytes; other letters would arrive as "?".
    for (QChar c : name) {
        if (c.unicode() > 0xFF)
            return tr("The table can show only Western European letters; \"%1\" is not one.")
                .arg(c);
    }
    return {};
}

// The address field takes an invitation link or a code as well as an address.
std::optional<Invitation> LobbyModel::joinTarget(QString *why) const
{
    const QString address = m_address.trimmed();
    if (looksLikeJoinLink(address))
        return parseInvitationLink(address, why);
    if (const std::optional<QByteArray> code = invite::typedInField(address.toUtf8()))
        return Invitation{std::nullopt, *code};
    const std::optional<JoinTarget> table = parseJoinAddress(address, why);
    return table ? std::optional(Invitation{table, {}}) : std::nullopt;
}

QString LobbyModel::addressProblem() const
{
    QString why;
    const std::optional<Invitation> target = joinTarget(&why);
    if (!target)
        return why;
    if (!target->code.isEmpty() && m_coordinator.trimmed().isEmpty())
        return tr("Joining by code needs a coordinator: type its address in the Coordinator "
                  "field first.");
    if (!target->code.isEmpty())
        return coordinatorProblem();
    return {};
}

QString LobbyModel::coordinatorProblem() const
{
    const QString coordinator = m_coordinator.trimmed();
    if (coordinator.isEmpty())
        return {};
    const QString wrong = tr("That is not a coordinator's address: type a name or address, "
                             "with :PORT when it is not 7773, or a ws:// or wss:// address.");
    if (coordinator.size() > kMaxAddressLength || hasControlCharacter(coordinator) ||
        coordinator.contains(QLatin1Char(' ')))
        return wrong;
    if (coordinator.startsWith(QLatin1String("ws://")) ||
        coordinator.startsWith(QLatin1String("wss://"))) {
        const QUrl url(coordinator, QUrl::StrictMode);
        return url.isValid() && !url.host().isEmpty() && url.userInfo().isEmpty() ? QString()
                                                                                  : wrong;
    }
    return parseJoinAddress(coordinator) ? QString() : wrong;
}

// A table listed under a code, and a player joining by one, both find the
// coordinator on the game's command line.
QStringList LobbyModel::coordinatorArguments() const
{
    const QString coordinator = m_coordinator.trimmed();
    if (coordinator.isEmpty() || !coordinatorProblem().isEmpty())
        return {};
    return {QStringLiteral("--coordinator"), coordinator};
}

QStringList LobbyModel::hostArguments() const
{
    return hostArgumentsListed(m_listPublicly);
}

// A table is listed in Open Tables only through a coordinator: without one
// the game is told nothing of listing.
QStringList LobbyModel::hostArgumentsListed(bool listed) const
{
    // The host's own table always connects to this computer.
    QStringList arguments{m_name.trimmed(), QStringLiteral("127.0.0.1"), QStringLiteral("true")};
    if (!m_portMapping)
        arguments << QStringLiteral("--no-port-mapping");
    const QStringList coordinator = coordinatorArguments();
    if (coordinator.isEmpty())
        return arguments;
    arguments << coordinator << (listed ? QStringLiteral("--list") : QStringLiteral("--no-list"));
    if (!m_tableName.trimmed().isEmpty())
        arguments << QStringLiteral("--table-name") << listingname::plain(m_tableName);
    return arguments;
}

QStringList LobbyModel::joinArguments() const
{
    QString address = m_address.trimmed();
    const std::optional<Invitation> target = joinTarget(nullptr);
    if (target && target->table)
        address = looksLikeJoinLink(address) ? joinAddressText(*target->table) : address;
    else if (target)
        address = QString::fromLatin1(invite::display(target->code));
    QStringList arguments{m_name.trimmed(), address, QStringLiteral("join")};
    if (target && !target->code.isEmpty())
        arguments << coordinatorArguments();
    return arguments;
}

bool LobbyModel::openLink(const QString &link)
{
    QString why;
    const std::optional<Invitation> target = parseInvitationLink(link, &why);
    if (!target) {
        setState(m_state, why);
        return false;
    }
    m_address = target->table ? joinAddressText(*target->table)
                              : QString::fromLatin1(invite::display(target->code));
    if (!target->table && m_coordinator.trimmed().isEmpty())
        setState(m_state, tr("Invitation to %1: joining by code needs a coordinator; type its "
                             "address in the Coordinator field, then join.")
                              .arg(m_address));
    else if (m_state != State::Idle)
        setState(m_state, tr("Invitation to %1: join it when your game has ended.").arg(m_address));
    else if (!nameProblem().isEmpty())
        setState(m_state, tr("Invitation to %1: type your name, then join.").arg(m_address));
    else
        setState(m_state, tr("Invitation to %1: press Join Table.").arg(m_address));
    return true;
}

QList<LanTable> LobbyModel::lanTables() const
{
    return m_browser->tables();
}

QString LobbyModel::lanProblem() const
{
    return m_browser->problem();
}

bool LobbyModel::joinLanTable(int index)
{
    const QList<LanTable> tables = lanTables();
    if (index < 0 || index >= tables.size())
        return false;
    const LanTable &table = tables[index];
    m_address = joinAddressText({table.address, table.port});
    return join();
}

QList<PublicListing> LobbyModel::openTables() const
{
    return m_openTables->tables();
}

QString LobbyModel::openTablesProblem() const
{
    if (m_coordinator.trimmed().isEmpty())
        return tr("Open tables are listed by a coordinator: type its address in the Coordinator "
                  "field to see them.");
    if (const QString problem = coordinatorProblem(); !problem.isEmpty())
        return problem;
    return m_openTables->problem();
}

bool LobbyModel::openTablesFetching() const
{
    return m_openTables->isFetching();
}

ListingFilter LobbyModel::openTablesFilter() const
{
    return m_openTables->filter();
}

void LobbyModel::setOpenTablesFilter(const ListingFilter &filter)
{
    m_openTables->setFilter(filter);
}

void LobbyModel::refreshOpenTables()
{
    m_openTables->refresh();
}

void LobbyModel::setOpenTablesShown(bool shown)
{
    m_openTables->setShown(shown);
}

bool LobbyModel::joinOpenTable(int index)
{
    const QList<PublicListing> tables = openTables();
    if (index < 0 || index >= tables.size())
        return false;
    return joinCode(tables[index].code);
}

bool LobbyModel::joinCode(const QByteArray &code)
{
    m_address = QString::fromLatin1(invite::display(code));
    return join();
}

bool LobbyModel::quickPlay()
{
    QString problem =
        m_state == State::Idle ? nameProblem() : tr("Your game is still running; end it first.");
    if (problem.isEmpty() && m_coordinator.trimmed().isEmpty())
        problem = tr("Quick Play needs a coordinator: type its address in the Coordinator field "
                     "first.");
    if (problem.isEmpty())
        problem = coordinatorProblem();
    if (!problem.isEmpty()) {
        setState(m_state, problem);
        return false;
    }
    m_quickPlay = true;
    setState(m_state, tr("Looking for an open table with a free seat..."));
    m_openTables->refresh(true);
    return true;
}

void LobbyModel::openTablesRefreshed()
{
    if (!m_quickPlay)
        return;
    m_quickPlay = false;
    if (m_state != State::Idle)
        return;
    if (const QString problem = m_openTables->problem(); !problem.isEmpty()) {
        setState(m_state, tr("Quick Play could not see the open tables: %1").arg(problem));
        return;
    }
    if (const std::optional<PublicListing> table = quickPlayChoice(m_openTables->tables())) {
        joinCode(table->code);
        return;
    }
    if (nameProblem().isEmpty())
        launch(hostArgumentsListed(true),
               tr("No open table has a free seat: starting a table anyone can join..."));
}

bool LobbyModel::host()
{
    QString problem = nameProblem();
    if (problem.isEmpty())
        problem = coordinatorProblem();
    if (!problem.isEmpty()) {
        setState(m_state, problem);
        return false;
    }
    m_quickPlay = false;
    return launch(hostArguments(), tr("Starting your table..."));
}

bool LobbyModel::join()
{
    QString problem = nameProblem();
    if (problem.isEmpty())
        problem = addressProblem();
    if (!problem.isEmpty()) {
        setState(m_state, problem);
        return false;
    }
    m_quickPlay = false;
    const QString address = joinArguments().at(1);
    if (m_state == State::Idle) {
        m_recent.removeIf(
            [&](const QString &t) { return !t.compare(address, Qt::CaseInsensitive); });
        m_recent.prepend(address);
        while (m_recent.size() > kRecentTables)
            m_recent.removeLast();
    }
    return launch(joinArguments(), tr("Joining %1...").arg(address));
}

bool LobbyModel::playSolo()
{
    return launch({}, tr("Starting a solo game..."));
}

bool LobbyModel::launch(const QStringList &arguments, const QString &starting)
{
    if (m_state != State::Idle) {
        setState(m_state, tr("Your game is still running; end it first."));
        return false;
    }
    save();
    if (!m_launcher->start(m_options.gameProgram, arguments)) {
        setState(State::Idle, tr("Spades could not be started (%1).").arg(m_options.gameProgram));
        return false;
    }
    if (arguments.isEmpty()) {
        setState(State::Idle, starting);
        return true;
    }
    // Without the link (another lobby has it), the game is known by its
    // program alone.
    if (!m_link->isListening() && m_launcher->running()) {
        gameRuns();
        return true;
    }
    m_startingTimer.start();
    setState(State::Starting, starting);
    return true;
}

void LobbyModel::setState(State state, const QString &status)
{
    if (state != State::Starting)
        m_startingTimer.stop();
    m_state = state;
    m_status = status;
    emit changed();
}

void LobbyModel::gameRuns()
{
    setState(State::Playing,
             tr("Your game is running. The lobby offers another table when it ends."));
}

void LobbyModel::gameOver()
{
    m_reach.clear();
    m_invitation.clear();
    setState(State::Idle, tr("Your game has ended. Host or join another table."));
    emit gameEnded();
}

// A game is over once its link has closed and the program started from here,
// if it was seen running, has ended: a link may close a moment before its
// program ends, or after, and a lobby without the link sees the program only.
void LobbyModel::linksChanged(int links)
{
    if (links > 0 && m_state != State::Playing)
        gameRuns();
    else if (links == 0 && m_state == State::Playing && !m_launcher->running())
        gameOver();
}

void LobbyModel::gameProgramEnded()
{
    if (m_state == State::Starting)
        setState(State::Idle, tr("Spades closed before its table opened. If Spades is already "
                                 "running, close it and try again."));
    else if (m_state == State::Playing && m_link->links() == 0)
        gameOver();
}

void LobbyModel::load()
{
    const IniFile file = IniFile::load(m_options.settingsPath);
    m_name = file.readString(kSection, QStringLiteral("Name"), QString()).left(kMaxNameLength);
    m_address = file.readString(kSection, QStringLiteral("Address"), QString());
    m_coordinator = file.readString(kSection, QStringLiteral("Coordinator"), QString());
    m_portMapping = file.readString(kSection, QStringLiteral("PortMapping"), QString()) !=
                    QLatin1String("false");
    m_listPublicly = file.readString(kSection, QStringLiteral("ListPublicly"), QString()) ==
                     QLatin1String("true");
    setTableName(file.readString(kSection, QStringLiteral("TableName"), QString()));
    // The Open Tables filter as its words; one that is not understood is
    // passed over, the rest still narrows the list.
    ListingFilter filter;
    const QString words = file.readString(kSection, QStringLiteral("OpenTablesFilter"), QString());
    for (const QString &word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        filter.take(word.toLatin1());
    m_openTables->setFilter(filter);
    for (int i = 1; i <= kRecentTables; ++i) {
        const QString table =
            file.readString(kSection, QStringLiteral("Recent%1").arg(i), QString()).trimmed();
        if (!table.isEmpty() && !m_recent.contains(table, Qt::CaseInsensitive))
            m_recent << table;
    }
}

void LobbyModel::save()
{
    QList<std::pair<QString, QString>> values{
        {QStringLiteral("Name"), m_name.trimmed()},
        {QStringLiteral("Address"), m_address.trimmed()},
        {QStringLiteral("Coordinator"), m_coordinator.trimmed()},
        {QStringLiteral("PortMapping"),
         m_portMapping ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("ListPublicly"),
         m_listPublicly ? QStringLiteral("true") : QStringLiteral("false")},
        {QStringLiteral("TableName"),
         m_tableName.trimmed().isEmpty() ? QString() : listingname::plain(m_tableName)},
        {QStringLiteral("OpenTablesFilter"),
         QString::fromLatin1(m_openTables->filter().words().join(' '))}};
    for (int i = 1; i <= kRecentTables; ++i)
        values.append({QStringLiteral("Recent%1").arg(i), m_recent.value(i - 1)});
    QString error;
    // Not remembering the fields is no reason to keep the player from the game.
    if (!IniFile::write(m_options.settingsPath, kSection, values, &error))
        qWarning("%s", qPrintable(error));
}
