// How long a hosting table waits to learn how friends reach it, and how long
// the thread that runs the table stalls meanwhile: once with miniupnpd on the
// router of the lab (tests/reach/lab.sh) and once with no router answering.
// Needs root (network namespaces); run as `bench_reach_status [ROUNDS]`.
#include "reach/portmapper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kLab = "spbench" + std::to_string(::getpid());
const std::string kScript = SPADES_SOURCE_DIR "/tests/reach/lab.sh";

bool shell(const std::string &command)
{
    return std::system(command.c_str()) == 0;
}

struct Round
{
    qint64 statusMs = -1;
    qint64 longestStallMs = 0;
    QString text;
};

// One mapping from start to status on this thread's loop, with a 1 ms timer
// noting the longest gap between its ticks.
Round measure(bool withMapper)
{
    Round round;
    PortMapper::Options options;
    PortMapper mapper(options);
    if (!withMapper) {
        // The same loop and timer with nothing asked: what the machine itself costs.
        QTimer::singleShot(1500, [] { QCoreApplication::quit(); });
    }
    QElapsedTimer clock;
    QElapsedTimer gap;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { round.longestStallMs = std::max(round.longestStallMs, gap.restart()); });
    QObject::connect(&mapper, &PortMapper::statusChanged, [&](const ReachStatus &status) {
        if (status.way == ReachStatus::Way::Asking)
            return;
        round.statusMs = clock.elapsed();
        round.text = status.text;
        QCoreApplication::quit();
    });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::quit(); });
    giveUp.start(10000);
    clock.start();
    gap.start();
    tick.start();
    if (withMapper)
        mapper.start();
    QCoreApplication::exec();
    return round;
}

void report(const char *what, int rounds, bool withMapper = true)
{
    qint64 worstStatus = 0;
    qint64 sumStatus = 0;
    std::vector<qint64> stalls;
    QString text;
    for (int i = 0; i < rounds; ++i) {
        const Round round = measure(withMapper);
        worstStatus = std::max(worstStatus, round.statusMs);
        sumStatus += round.statusMs;
        stalls.push_back(round.longestStallMs);
        text = round.text;
    }
    // The machine itself stalls now and then; the median round shows what the
    // mapping costs, the worst round what the machine added on top.
    std::sort(stalls.begin(), stalls.end());
    const long long over =
        std::count_if(stalls.begin(), stalls.end(), [](qint64 ms) { return ms >= 16; });
    std::printf("%s: status after %lld ms on average, %lld ms at worst; longest stall per round "
                "%lld ms median, %lld ms worst, %lld of %d rounds at 16 ms or more\n"
                "  \"%s\"\n",
                what, static_cast<long long>(sumStatus / rounds),
                static_cast<long long>(worstStatus),
                static_cast<long long>(stalls[stalls.size() / 2]),
                static_cast<long long>(stalls.back()), over, rounds, qPrintable(text));
}

} // namespace

int main(int argc, char **argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (::geteuid() != 0) {
        std::fprintf(stderr, "bench_reach_status: needs root for the lab's network namespaces\n");
        return 2;
    }
    if (!shell(kScript + " up " + kLab + " single >/dev/null")) {
        shell(kScript + " down " + kLab);
        return 1;
    }
    const std::string config = "/tmp/" + kLab + "/miniupnpd.conf";
    shell(kScript + " config " + kLab + " yes yes >/dev/null");
    const pid_t router = ::fork();
    if (router == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        // The router's log must not reach a serial console: writing there
        // stalls the whole machine and would be counted against the table.
        ::execlp("ip", "ip", "netns", "exec", (kLab + "-router").c_str(), "unshare", "-m", "sh",
                 "-c", "mount --bind /dev/null /dev/console && exec \"$0\" \"$@\"",
                 "/usr/sbin/miniupnpd", "-d", "-f", config.c_str(), "-P",
                 ("/tmp/" + kLab + "/pid").c_str(), nullptr);
        ::_exit(127);
    }
    ::sleep(1);
    const int own = ::open("/proc/self/ns/net", O_RDONLY);
    // From here on this process and every thread it makes live in the lab's home.
    const int home = ::open(("/run/netns/" + kLab + "-home").c_str(), O_RDONLY);
    if (home < 0 || ::setns(home, CLONE_NEWNET) != 0) {
        std::perror("bench_reach_status: setns");
        return 1;
    }
    QCoreApplication app(argc, argv);
    report("nothing asked (the loop alone, 1.5 s)", rounds, false);
    report("router answers (UPnP)", rounds);
    ::kill(router, SIGTERM);
    ::waitpid(router, nullptr, 0);
    report("no router answers", rounds);
    std::fflush(stdout);
    // Back out of the lab, which is removed with whatever still runs inside it.
    ::setns(own, CLONE_NEWNET);
    shell(kScript + " down " + kLab);
    return 0;
}
