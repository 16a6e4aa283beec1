#pragma once

// Tests that need the game's fixed port run in a network namespace of their
// own, so a game on the same machine neither blocks them nor sees them.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

inline const char *const kPrivateNetworkVariable = "SPADES_TEST_PRIVATE_NETWORK";

struct PortPlace
{
    enum Where { Here, RanElsewhere, Unavailable } where = Here;
    bool passed = false;
    std::string detail; // the other run's output, or why the test cannot run
};

inline bool portFree(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    const bool free = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return free;
}

// A new network namespace starts with its loopback device down.
inline void bringLoopbackUp()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    if (::ioctl(fd, SIOCGIFFLAGS, &request) == 0 && !(request.ifr_flags & IFF_UP)) {
        request.ifr_flags |= IFF_UP;
        ::ioctl(fd, SIOCSIFFLAGS, &request);
    }
    ::close(fd);
}

inline bool privateNetworkPossible()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {"--user", "--map-root-user", "--net", "true"});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

inline bool inPrivateNetwork()
{
    return qEnvironmentVariableIsSet(kPrivateNetworkVariable);
}

// Runs a copy of the running test in a new network namespace.
inline PortPlace runInPrivateNetwork()
{
    PortPlace place;
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    QProcess copy;
    copy.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kPrivateNetworkVariable), QStringLiteral("1"));
    copy.setProcessEnvironment(environment);
    copy.start(QStringLiteral("unshare"),
               {"--user", "--map-root-user", "--net", QCoreApplication::applicationFilePath(),
                QStringLiteral("--gtest_filter=%1.%2")
                    .arg(QString::fromLatin1(test->test_suite_name()),
                         QString::fromLatin1(test->name()))});
    const bool ended = copy.waitForFinished(280000);
    place.where = PortPlace::RanElsewhere;
    place.passed = ended && copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0;
    place.detail = copy.readAll().toStdString();
    return place;
}

// Decides where the running test gets `port` to itself: here, when this
// process already has a network of its own; else in a copy of this test run
// in a new network namespace; else here when the port is free. Otherwise the
// test cannot run on this machine now.
inline PortPlace claimPort(int port)
{
    if (inPrivateNetwork()) {
        bringLoopbackUp();
        return {};
    }
    if (privateNetworkPossible())
        return runInPrivateNetwork();
    if (portFree(port))
        return {};
    PortPlace place;
    place.where = PortPlace::Unavailable;
    place.detail = "port " + std::to_string(port) +
                   " is in use on this machine (a game may be running) and no private "
                   "network namespace can be made to test in";
    return place;
}

// Like claimPort, for a test that changes the network it runs in: only in a
// network namespace of its own.
inline PortPlace claimPrivateNetwork()
{
    if (inPrivateNetwork()) {
        bringLoopbackUp();
        return {};
    }
    if (privateNetworkPossible())
        return runInPrivateNetwork();
    PortPlace place;
    place.where = PortPlace::Unavailable;
    place.detail = "no private network namespace can be made to test in";
    return place;
}

// Gives the loopback device an IPv4 address that is not a loopback address,
// as another network card would have. Only for a private network, where that
// address reaches nothing outside.
inline bool addAddressToLoopback(const char *address)
{
    if (!inPrivateNetwork())
        return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq request{};
    std::strncpy(request.ifr_name, "lo:1", IFNAMSIZ - 1);
    auto *local = reinterpret_cast<sockaddr_in *>(&request.ifr_addr);
    local->sin_family = AF_INET;
    const bool added = ::inet_pton(AF_INET, address, &local->sin_addr) == 1 &&
                       ::ioctl(fd, SIOCSIFADDR, &request) == 0;
    ::close(fd);
    return added;
}

} // namespace testsupport

#define SPADES_RUN_AT_(claim)                                                                      \
    do {                                                                                           \
        const testsupport::PortPlace place_ = (claim);                                             \
        if (place_.where == testsupport::PortPlace::RanElsewhere) {                                \
            EXPECT_TRUE(place_.passed) << place_.detail;                                           \
            return;                                                                                \
        }                                                                                          \
        if (place_.where == testsupport::PortPlace::Unavailable)                                   \
            GTEST_SKIP() << place_.detail;                                                         \
    } while (false)

// First statement of a test that needs `port`: the rest of the test runs
// where it has the port to itself, or the test is skipped with the reason.
#define SPADES_NEEDS_PORT(port) SPADES_RUN_AT_(testsupport::claimPort(port))
// First statement of a test that changes its network: the rest of the test
// runs in a network namespace of its own, or the test is skipped.
#define SPADES_NEEDS_PRIVATE_NETWORK() SPADES_RUN_AT_(testsupport::claimPrivateNetwork())
