// What a thousand listed tables cost a coordinator, and how fast it answers a
// join by code. Starts spades-coordinator (in memory, then on a redis-server
// of its own), lists N tables that beat every second instead of every 30,
// then asks for their codes one after the other.
//   bench_coordinator_load [tables] [joins]      (default 1000, 2000)
#include "bench/service_bench.h"
#include "coordinator/coordinatormessages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>
#include <QWebSocket>

namespace {

void measure(const char *label, const QStringList &extra, int tables, int joins)
{
    bench::Service coordinator(SPADES_COORDINATOR,
                               QStringList{"--port", "0", "--listen", "127.0.0.1", "--relay-port",
                                           "0", "--per-address", "100000", "--hosts-per-minute",
                                           "100000", "--joins-per-minute", "1000000"} +
                                   extra,
                               2);
    if (!coordinator.port) {
        std::printf("%s: spades-coordinator did not start: %s\n", label,
                    coordinator.out.constData());
        return;
    }
    const qint64 pid = coordinator.process.processId();
    const qint64 before = bench::residentKb(pid);
    const QUrl url(QString("ws://127.0.0.1:%1/").arg(coordinator.port));

    // Each table names a port nobody listens on, so each is relayed: the
    // dearer answer to a join.
    std::vector<std::unique_ptr<QWebSocket>> hosts;
    QList<QByteArray> codes;
    for (int i = 0; i < tables; ++i) {
        auto &socket = hosts.emplace_back(std::make_unique<QWebSocket>());
        QWebSocket *raw = socket.get();
        QObject::connect(raw, &QWebSocket::connected, [raw] {
            QByteArray key(16, '\0');
            QRandomGenerator::global()->generate(key.begin(), key.end());
            raw->sendTextMessage(
                QString::fromLatin1(coord::toCoordinator::Host{9, key.toHex(), {}, {}}.encode()));
        });
        QObject::connect(raw, &QWebSocket::textMessageReceived, [&codes](const QString &text) {
            const auto message = coord::decodeFromCoordinator(text.toLatin1());
            if (message && std::holds_alternative<coord::fromCoordinator::Hosted>(*message))
                codes.append(std::get<coord::fromCoordinator::Hosted>(*message).code);
        });
        raw->open(url);
        if (i % 100 == 99)
            testsupport::waitUntil([&] { return codes.size() > i - 50; }, 10000);
    }
    testsupport::waitUntil([&] { return codes.size() == tables; }, 30000);
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&hosts] {
        for (auto &host : hosts)
            host->sendTextMessage("beat");
    });
    beat.start(1000);
    testsupport::waitUntil([] { return false; }, 3000);
    const qint64 listed = bench::residentKb(pid);

    QWebSocket joiner;
    QList<QByteArray> answers;
    QObject::connect(&joiner, &QWebSocket::textMessageReceived,
                     [&answers](const QString &text) { answers.append(text.toLatin1()); });
    joiner.open(url);
    testsupport::waitUntil([&] { return joiner.state() == QAbstractSocket::ConnectedState; }, 5000);
    std::vector<double> times;
    int relayed = 0;
    QElapsedTimer clock;
    for (int i = 0; i < joins && !codes.isEmpty(); ++i) {
        answers.clear();
        clock.start();
        joiner.sendTextMessage(QString::fromLatin1("join " + codes[i % codes.size()]));
        if (!bench::awaitAnswer([&] { return !answers.isEmpty(); }, 5000))
            break;
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        relayed += answers.front().startsWith("relay ");
        // A joiner sends a few lines a second at most; the benchmark keeps
        // under the coordinator's allowance by taking turns with a fresh one.
        if (i % 15 == 14) {
            joiner.close();
            joiner.open(url);
            testsupport::waitUntil(
                [&] { return joiner.state() == QAbstractSocket::ConnectedState; }, 5000);
        }
    }
    std::printf("%s: %lld tables listed; resident %lld KB before, %lld KB with them "
                "(%.1f KB per table)\n",
                label, qint64(codes.size()), before, listed,
                double(listed - before) / qMax<qsizetype>(1, codes.size()));
    std::printf("%s: %zu joins by code (%d answered with a relay): p50 %.2f ms, p99 %.2f ms\n",
                label, times.size(), relayed, bench::percentile(times, 50),
                bench::percentile(times, 99));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int tables = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int joins = argc > 2 ? std::atoi(argv[2]) : 2000;
    measure("in memory", {}, tables, joins);
    testsupport::RedisProcess redis;
    if (redis.port)
        measure("on redis", {"--redis", "127.0.0.1:" + QString::number(redis.port)}, tables, joins);
    else
        std::printf("on redis: %s\n", qPrintable(redis.why));
    return 0;
}
