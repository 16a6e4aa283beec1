// A table the window program hosts with a coordinator in Open Tables: the
// command line or the remembered choice lists it, the Options item lists and
// unlists it at once, and the chat says which.
#include "client/tchat.h"
#include "coordinator/coordinatorserver.h"
#include "coordinator/memorystore.h"
#include "platform/settingsfile.h"
#include "shell/spadesapp.h"
#include "tests/common/test_support.h"
#include "tests/shell/quiet_apps.h"

#include <QAction>
#include <QElapsedTimer>
#include <gtest/gtest.h>

using testsupport::waitUntil;

namespace {

class OpenListing : public QuietApps
{
protected:
    void SetUp() override
    {
        QuietApps::SetUp();
        m_clock.start();
        CoordinatorLimits limits;
        limits.listingGapMs = 0;
        m_coordinator = std::make_unique<CoordinatorServer>("c1", m_store, limits);
        ASSERT_TRUE(m_coordinator->listen(QHostAddress::LocalHost, 0));
    }
    QString coordinator() const { return "127.0.0.1:" + QString::number(m_coordinator->port()); }
    QList<PublicListing> listed()
    {
        QList<PublicListing> found;
        for (const StoredListing &stored : m_store.listings(QByteArray(), 10).found) {
            if (const auto listing = PublicListing::parse(stored.text))
                found << *listing;
        }
        return found;
    }
    static bool chatSays(const SpadesApp &app, const QString &text)
    {
        for (const QString &line : app.table()->chatLines()) {
            if (line.contains(text))
                return true;
        }
        return false;
    }

    QElapsedTimer m_clock;
    MemoryStore m_store{[this] { return m_clock.elapsed(); }};
    std::unique_ptr<CoordinatorServer> m_coordinator;
};

TEST_F(OpenListing, TheCommandLineOrTheSettingListsTheTableAndTheMenuUnlistsIt)
{
    const QString listedLine = "This table is listed in Open Tables as \"%1\"";
    const struct
    {
        const char *table;
        QStringList options; // %c: the coordinator
        const char *setting; // ListPublicly in the settings file
        bool offered;
        std::optional<QString> listedAs;
        const char *said;
    } cases[] = {
        {"--list", {"--coordinator", "%c", "--list"}, "false", true, "Ann's table", nullptr},
        {"named",
         {"--coordinator", "%c", "--list", "--table-name", " Late\nnight "},
         "false",
         true,
         "Late?night",
         nullptr},
        {"the setting", {"--coordinator", "%c"}, "true", true, "Ann's table", nullptr},
        {"--no-list over the setting",
         {"--coordinator", "%c", "--no-list"},
         "true",
         true,
         std::nullopt,
         nullptr},
        {"the setting off", {"--coordinator", "%c"}, "false", true, std::nullopt, nullptr},
        {"no coordinator",
         {"--list"},
         "false",
         false,
         std::nullopt,
         "This table is not listed in Open Tables: that needs a coordinator."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.table);
        ASSERT_TRUE(SettingsFile().writeString("ListPublicly", c.setting));
        QStringList arguments{"Ann", "127.0.0.1", "true"};
        for (const QString &option : c.options)
            arguments << (option == "%c" ? coordinator() : option);
        SpadesApp app(arguments, quiet(0));
        app.start();
        ASSERT_TRUE(waitUntil([&] { return chatSays(app, "You are Connected."); }));
        auto *item = app.table()->findChild<QAction *>("ListPublicly1");
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->isEnabled(), c.offered);
        EXPECT_TRUE(!c.said || chatSays(app, c.said));
        if (!c.listedAs) {
            EXPECT_FALSE(item->isChecked());
            waitUntil([] { return false; }, 300);
            EXPECT_TRUE(listed().isEmpty());
            continue;
        }
        EXPECT_TRUE(item->isChecked());
        EXPECT_TRUE(chatSays(app, listedLine.arg(*c.listedAs)));
        // The own seat is taken; the coordinator's connect-back is nobody.
        ASSERT_TRUE(waitUntil([&] {
            const QList<PublicListing> found = listed();
            return found.size() == 1 && found[0].name == *c.listedAs && found[0].seated == 1 &&
                   found[0].free == 3 && !found[0].gamestarted;
        }));

        // Unticked: unlisted at once, the choice remembered.
        item->trigger();
        EXPECT_FALSE(item->isChecked());
        EXPECT_TRUE(chatSays(app, "This table is no longer listed in Open Tables"));
        EXPECT_TRUE(waitUntil([&] { return listed().isEmpty(); }));
        EXPECT_FALSE(SettingsFile().load().listPublicly);
    }
}

} // namespace
