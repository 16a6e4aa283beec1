// Open Tables: the tables a coordinator on loopback lists for strangers,
// joined by code, chosen by Quick Play, and shown as plain text.
#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"
#include "lobby/lobbywindow.h"
#include "lobby/opentables.h"
#include "protocol/invitecode.h"
#include "tests/common/test_support.h"
#include "tests/lobby/lobby_fixture.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using testsupport::waitUntil;

namespace {

PublicListing table(int n, int seated, int free, bool started = false)
{
    PublicListing l;
    l.name = QString("Table %1").arg(n);
    l.seated = seated;
    l.free = free;
    l.gamestarted = started;
    l.code = invite::fromBits(quint64(5000 + n));
    return l;
}

QString shown(const PublicListing &listing)
{
    return QString::fromLatin1(invite::display(listing.code));
}

class OpenTablesLobby : public Lobby
{
protected:
    void SetUp() override
    {
        m_clock.start();
        ASSERT_TRUE(m_server.listen(QHostAddress::LocalHost, 0));
    }
    QString coordinator() const { return "127.0.0.1:" + QString::number(m_server.port()); }
    void list(const QList<PublicListing> &tables)
    {
        for (const QByteArray &code : std::as_const(m_listed))
            m_store.dropListing(code);
        m_listed.clear();
        for (const PublicListing &l : tables) {
            m_store.putListing(l.code, l.serialize(), 60000);
            m_listed << l.code;
        }
    }
    QStringList launched() const
    {
        return m_launcher.started.isEmpty() ? QStringList() : m_launcher.started.last().second;
    }

    QElapsedTimer m_clock;
    MemoryStore m_store{[this] { return m_clock.elapsed(); }};
    CoordinatorServer m_server{"c1", m_store};
    QList<QByteArray> m_listed;
};

TEST_F(OpenTablesLobby, anOpenTableIsJoinedByItsCodeThroughTheCoordinator)
{
    const QList<PublicListing> tables{table(1, 1, 3), table(2, 3, 1)};
    list(tables);
    LobbyModel model(options());
    model.setName("Bob");
    model.setCoordinator(" " + coordinator());
    model.refreshOpenTables();
    ASSERT_TRUE(waitUntil([&] { return model.openTables().size() == 2; }));
    EXPECT_EQ(model.openTables(), tables);
    EXPECT_EQ(model.openTablesProblem(), "");
    EXPECT_FALSE(model.joinOpenTable(2));
    ASSERT_TRUE(model.joinOpenTable(1));
    EXPECT_EQ(launched(),
              (QStringList{"Bob", shown(tables[1]), "join", "--coordinator", coordinator()}));

    // A coordinator that cannot be reached is said to be so, and its list goes.
    LobbyModel away(options());
    away.setCoordinator("127.0.0.1:1");
    away.refreshOpenTables();
    ASSERT_TRUE(waitUntil([&] { return !away.openTablesProblem().isEmpty(); }));
    EXPECT_EQ(away.openTablesProblem(), "The coordinator cannot be reached (Connection refused).");
}

TEST_F(OpenTablesLobby, theListFollowsTheFilterAndIsFetchedAgainOnlyWhileShown)
{
    PublicListing blind = table(2, 1, 3);
    blind.blind = true;
    list({table(1, 1, 3), blind});
    LobbyModel::Options o = options();
    o.openTablesRefreshMs = 100;
    LobbyModel model(o);
    model.setCoordinator(coordinator());
    model.setOpenTablesShown(true);
    ASSERT_TRUE(waitUntil([&] { return model.openTables().size() == 2; }));
    ListingFilter filter;
    filter.blind = true;
    model.setOpenTablesFilter(filter);
    EXPECT_EQ(model.openTablesFilter(), filter);
    ASSERT_TRUE(waitUntil([&] { return model.openTables().size() == 1; }));
    EXPECT_EQ(model.openTables().value(0).code, blind.code);

    // A table listed meanwhile shows without a word from the player, but not
    // while nobody looks.
    PublicListing later = table(3, 0, 4);
    later.blind = true;
    list({table(1, 1, 3), blind, later});
    ASSERT_TRUE(waitUntil([&] { return model.openTables().size() == 2; }));
    model.setOpenTablesShown(false);
    ASSERT_TRUE(waitUntil([&] { return !model.openTablesFetching(); }));
    const qsizetype before = model.openTables().size();
    list({blind});
    waitUntil([] { return false; }, 400);
    EXPECT_EQ(model.openTables().size(), before);
}

TEST_F(OpenTablesLobby, theFilterIsRememberedAndTheWindowShowsIt)
{
    ListingFilter every;
    every.playtoscore = 300;
    every.sandbag = false;
    every.blind = true;
    every.startclub = true;
    every.computers = false;
    every.freeSeat = true;
    ListingFilter unoffered; // a target the window has no choice for
    unoffered.playtoscore = 350;
    unoffered.blind = true;
    ListingFilter blindOnly;
    blindOnly.blind = true;
    const struct
    {
        const char *name;
        ListingFilter chosen;
        ListingFilter shown;
    } cases[] = {
        {"every rule", every, every},
        {"a target not offered shows as any", unoffered, blindOnly},
        {"nothing", {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        {
            LobbyModel model(options());
            model.setName("Ann");
            model.setOpenTablesFilter(c.chosen);
            ASSERT_TRUE(model.host());
            m_launcher.end();
        }
        LobbyModel again(options());
        EXPECT_EQ(again.openTablesFilter(), c.chosen);
        LobbyWindow window(&again);
        EXPECT_EQ(again.openTablesFilter(), c.shown) << "the list follows what the window shows";
    }

    // Words in the file that are no filter are passed over.
    QFile file(options().settingsPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Lobby]\nOpenTablesFilter=blind=y junk playtoscore=0 blind=n freeseat=y\n");
    file.close();
    ListingFilter kept;
    kept.blind = true;
    kept.freeSeat = true;
    EXPECT_EQ(LobbyModel(options()).openTablesFilter(), kept);
}

TEST_F(OpenTablesLobby, quickPlayJoinsTheFullestTableWithASeatOrHostsAListedOne)
{
    const QStringList hostListed{"Bob",         "127.0.0.1", "true",         "--coordinator",
                                 coordinator(), "--list",    "--table-name", "Bob's corner"};
    const struct
    {
        const char *what;
        QList<PublicListing> tables;
        QStringList arguments; // %1: the code of the table joined
        int joined = -1;
    } cases[] = {
        {"the fullest table with a seat", {table(1, 1, 3), table(2, 3, 1), table(3, 4, 0)}, {}, 1},
        {"among equals one not started",
         {table(1, 2, 2, true), table(2, 2, 2, false), table(3, 2, 1, false)},
         {},
         1},
        {"all full: a listed table of one's own", {table(1, 4, 0), table(2, 4, 0)}, hostListed},
        {"none at all", {}, hostListed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        list(c.tables);
        LobbyModel model(options());
        model.setName("Bob");
        model.setCoordinator(coordinator());
        model.setTableName("Bob's corner");
        m_launcher.started.clear();
        ASSERT_TRUE(model.quickPlay());
        EXPECT_EQ(model.status(), "Looking for an open table with a free seat...");
        ASSERT_TRUE(waitUntil([&] { return !m_launcher.started.isEmpty(); }));
        EXPECT_EQ(m_launcher.started.size(), 1);
        if (c.joined >= 0)
            EXPECT_EQ(launched(), (QStringList{"Bob", shown(c.tables[c.joined]), "join",
                                               "--coordinator", coordinator()}));
        else
            EXPECT_EQ(launched(), c.arguments);
        m_launcher.end();
    }
}

TEST_F(OpenTablesLobby, aHostedTableIsListedOnlyWhenAskedAndThroughACoordinator)
{
    const struct
    {
        const char *coordinator;
        bool listPublicly;
        QString tableName;
        QStringList arguments;
    } cases[] = {
        {"", true, "Ann's den", {"Ann", "127.0.0.1", "true"}},
        {"coord.example.org",
         false,
         "",
         {"Ann", "127.0.0.1", "true", "--coordinator", "coord.example.org", "--no-list"}},
        {"coord.example.org",
         true,
         "  ",
         {"Ann", "127.0.0.1", "true", "--coordinator", "coord.example.org", "--list"}},
        {"coord.example.org",
         true,
         " Ann's\tden " + QString(60, 'x'),
         {"Ann", "127.0.0.1", "true", "--coordinator", "coord.example.org", "--list",
          "--table-name", "Ann's?den " + QString(29, 'x')}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.coordinator + (" | " + c.tableName).toStdString());
        LobbyModel model(options());
        EXPECT_FALSE(model.listPublicly()) << "off unless the player ticks it";
        model.setName("Ann");
        model.setCoordinator(c.coordinator);
        model.setListPublicly(c.listPublicly);
        model.setTableName(c.tableName);
        ASSERT_TRUE(model.host());
        EXPECT_EQ(launched(), c.arguments);
        m_launcher.end();
        // Remembered for the next lobby, then put back for the next case.
        LobbyModel again(options());
        EXPECT_EQ(again.listPublicly(), c.listPublicly);
        EXPECT_EQ(again.hostArguments(), c.arguments);
        again.setListPublicly(false);
        again.setName("Ann");
        ASSERT_TRUE(again.host());
        m_launcher.end();
    }
}

TEST_F(OpenTablesLobby, withoutACoordinatorNothingIsAskedAndTheWindowSaysWhy)
{
    list({table(1, 1, 3)});
    LobbyModel model(options());
    model.setName("Bob");
    LobbyWindow window(&model);
    window.show();
    model.refreshOpenTables();
    EXPECT_FALSE(model.openTablesFetching());
    EXPECT_FALSE(model.quickPlay());
    EXPECT_EQ(model.status(),
              "Quick Play needs a coordinator: type its address in the Coordinator field first.");
    const QString why = "Open tables are listed by a coordinator: type its address in the "
                        "Coordinator field to see them.";
    EXPECT_EQ(model.openTablesProblem(), why);
    EXPECT_EQ(window.findChild<QLabel *>("label_opentables")->text(), why);
    for (const char *button : {"button_quickplay", "button_refresh_open", "button_join_open"})
        EXPECT_FALSE(window.findChild<QPushButton *>(button)->isEnabled()) << button;
    EXPECT_FALSE(window.findChild<QCheckBox *>("checkbox_listpublicly")->isEnabled());
    EXPECT_TRUE(m_launcher.started.isEmpty());
    EXPECT_EQ(m_server.core().connections(), 0);

    // Typed in, the coordinator's tables show while the window is up, and
    // the chosen one stays chosen by its code as others come and go.
    auto *field = window.findChild<QLineEdit *>("edit_coordinator");
    field->setText(coordinator());
    emit field->editingFinished();
    auto *tree = window.findChild<QTreeWidget *>("tree_opentables");
    list({table(1, 1, 3), table(2, 2, 2), table(3, 0, 4)});
    model.refreshOpenTables();
    ASSERT_TRUE(waitUntil([&] { return tree->topLevelItemCount() == 3; }));
    tree->setCurrentItem(tree->topLevelItem(1));
    list({table(2, 3, 1), table(3, 0, 4)});
    model.refreshOpenTables();
    ASSERT_TRUE(waitUntil([&] { return tree->topLevelItemCount() == 2; }));
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->currentItem()->text(0), "Table 2");
    EXPECT_EQ(tree->currentItem()->text(3), "1 seat free");
    window.findChild<QPushButton *>("button_join_open")->click();
    EXPECT_EQ(launched(),
              (QStringList{"Bob", shown(table(2, 0, 0)), "join", "--coordinator", coordinator()}));
}

TEST(OpenTablesRow, aHostileNameIsShownAsPlainBoundedText)
{
    const struct
    {
        QString name;
        QString shown;
    } cases[] = {
        {"Ann's table", "Ann's table"},
        {"<b>bold</b> <a href=x>y</a>", "<b>bold</b> <a href=x>y</a>"},
        {QString(500, 'x'), QString(PublicListing::kLongestName, 'x')},
        {"Ann\n\tBob\r", "Ann??Bob?"},
        {QString::fromUtf8("\u202Eelbat\u2066x\u200B"), "?elbat?x?"},
        {QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD"),
         QString::fromUtf8("\u05E9\u05DC\u05D5\u05DD")},
        {QString(3, QChar(0)), "???"},
        {"", "?"},
    };
    for (const auto &c : cases) {
        PublicListing listing = table(1, 2, 2);
        listing.name = c.name;
        listing.free = 9; // never in a listing that parsed; still shown within bounds
        listing.watchers = -3;
        const QStringList row = OpenTables::describe(listing);
        ASSERT_EQ(row.size(), OpenTables::headers().size());
        EXPECT_EQ(row[0], c.shown);
        EXPECT_EQ(row.mid(1), (QStringList{"to 500", "computers", "4 seats free", "none",
                                           "not started", "relayed"}));
    }
}

} // namespace
