// What a relay holds per paired connection, and the time it adds to a round
// trip on loopback. Starts spades-relay and a redis-server of its own, hands
// out tickets as a coordinator would, pairs N joiners with N hosts, then
// bounces small messages through one pair and through a direct connection.
//   bench_relay_load [pairs] [round-trips]      (default 500, 20000)
#include "bench/service_bench.h"
#include "coordinator/redisstore.h"
#include "coordinator/relaypreamble.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool readExactly(int fd, char *into, size_t size)
{
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, into + got, size - got);
        if (n <= 0)
            return false;
        got += size_t(n);
    }
    return true;
}

bool readOk(int fd)
{
    const QByteArray ok = relay::okLine();
    QByteArray answer(ok.size(), '\0');
    return readExactly(fd, answer.data(), size_t(answer.size())) && answer == ok;
}

// Round trips of a 24-byte message, in microseconds.
std::vector<double> roundTrips(int a, int b, int count)
{
    std::vector<double> times;
    char message[24] = "CMD_playcard+2+7\xFF";
    char echo[24];
    QElapsedTimer clock;
    for (int i = 0; i < count; ++i) {
        clock.start();
        if (::write(a, message, sizeof message) != sizeof message ||
            !readExactly(b, echo, sizeof echo) || ::write(b, echo, sizeof echo) != sizeof echo ||
            !readExactly(a, echo, sizeof echo))
            break;
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    return times;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = argc > 1 ? std::atoi(argv[1]) : 500;
    const int trips = argc > 2 ? std::atoi(argv[2]) : 20000;
    testsupport::RedisProcess redis;
    if (!redis.port) {
        std::printf("%s: nothing measured\n", qPrintable(redis.why));
        return 0;
    }
    const quint16 redisPort = redis.port;
    bench::Service relayProcess(SPADES_RELAY, {"--port", "0", "--listen", "127.0.0.1", "--redis",
                                               "127.0.0.1:" + QString::number(redisPort), "--id",
                                               "bench", "--per-address", "100000"});
    if (!relayProcess.port) {
        std::printf("spades-relay did not start: %s\n", relayProcess.out.constData());
        return 1;
    }
    RedisStore store("127.0.0.1", redisPort);
    const qint64 pid = relayProcess.process.processId();
    const qint64 before = bench::residentKb(pid);

    std::vector<std::pair<int, int>> sides;
    for (int i = 0; i < pairs; ++i) {
        const QByteArray ticket = QByteArray::number(i).rightJustified(32, '0');
        store.putTicket(ticket, "7KQ2M9XD bench", 60000);
        const int host = connectTo(relayProcess.port);
        const int joiner = connectTo(relayProcess.port);
        const QByteArray hostLine = relay::Preamble{relay::Role::Host, ticket}.encode();
        const QByteArray joinLine = relay::Preamble{relay::Role::Join, ticket}.encode();
        if (::write(host, hostLine.constData(), size_t(hostLine.size())) != hostLine.size() ||
            ::write(joiner, joinLine.constData(), size_t(joinLine.size())) != joinLine.size() ||
            !readOk(host) || !readOk(joiner)) {
            std::printf("pair %d failed\n", i);
            return 1;
        }
        sides.emplace_back(host, joiner);
    }
    // Every pair carries a little traffic, as tables do.
    for (auto [host, joiner] : sides)
        roundTrips(joiner, host, 2);
    QThread::msleep(200);
    const qint64 after = bench::residentKb(pid);

    const std::vector<double> relayed = roundTrips(sides[0].second, sides[0].first, trips);
    // The same bounce over a direct loopback connection.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::listen(listener, 1);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    const int a = connectTo(ntohs(address.sin_port));
    const int b = ::accept(listener, nullptr, nullptr);
    const int one = 1;
    ::setsockopt(b, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const std::vector<double> direct = roundTrips(a, b, trips);

    std::printf("relay: %d pairs, resident %lld KB before, %lld KB after: %.1f KB per pair\n",
                pairs, before, after, double(after - before) / pairs);
    std::printf("round trip, direct:  p50 %.1f us, p99 %.1f us\n", bench::percentile(direct, 50),
                bench::percentile(direct, 99));
    std::printf("round trip, relayed: p50 %.1f us, p99 %.1f us (%zu trips)\n",
                bench::percentile(relayed, 50), bench::percentile(relayed, 99), relayed.size());
    // A round trip crosses the relay twice, once each way.
    std::printf("added by the relay at p99: %.1f us per round trip, %.1f us per message\n",
                bench::percentile(relayed, 99) - bench::percentile(direct, 99),
                (bench::percentile(relayed, 99) - bench::percentile(direct, 99)) / 2);
    for (auto [host, joiner] : sides) {
        ::close(host);
        ::close(joiner);
    }
    return 0;
}
