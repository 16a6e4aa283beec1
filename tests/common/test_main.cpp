#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// Tests run headless unless the caller picked a platform of their own.
int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A hosted table is announced through the system bus's Avahi daemon, which
    // would tell the machine's real network. Tests (and the programs they
    // start) reach no system bus but the one a lab makes for itself.
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/spades-tests-have-no-system-bus", 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
