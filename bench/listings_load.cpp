// What public listings cost coordinators that share one Redis, and how fast a
// lobby is answered a page of them. Starts a redis-server and two
// spades-coordinators on loopback, lists TABLES tables through them (half on
// each) that beat every second instead of every 30 and change their listing
// every five beats, and asks for pages: the first, a later one, one with
// filters, and one whose rules no table has (the coordinator then looks at
// its most listings), taking turns between the coordinators. Then it lists
// more tables, up to MANY, beating every 10 seconds, asks again and reads each
// coordinator's memory. The tables run in a second copy of this program, so
// the lobbies' event loop does not wait on thousands of table sockets.
//   bench_listings_load [tables] [queries] [many]      (default 1000, 2000, 10000)
#include "bench/service_bench.h"
#include "coordinator/coordinatormessages.h"

#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QWebSocket>
#include <array>
#include <unistd.h>

namespace {

PublicListing listingOf(int i, int change)
{
    PublicListing listing;
    listing.name = listingname::defaultFor(QString("Player %1").arg(i));
    listing.playtoscore = 250 * (1 + i % 4);
    listing.sandbag = i % 2;
    listing.blind = i % 3 == 0;
    listing.seated = (i + change) % 4;
    listing.free = 4 - listing.seated;
    listing.watchers = i % 6;
    return listing;
}

struct Hosts
{
    std::vector<std::unique_ptr<QWebSocket>> sockets;
    std::vector<int> beats;
    int listed = 0;

    void add(const QUrl &url)
    {
        const int i = int(sockets.size());
        QWebSocket *socket = sockets.emplace_back(std::make_unique<QWebSocket>()).get();
        beats.push_back(0);
        QObject::connect(socket, &QWebSocket::connected, [socket] {
            QByteArray key(16, '\0');
            QRandomGenerator::global()->generate(key.begin(), key.end());
            socket->sendTextMessage(
                QString::fromLatin1(coord::toCoordinator::Host{9, key.toHex(), {}, {}}.encode()));
        });
        QObject::connect(
            socket, &QWebSocket::textMessageReceived, [this, socket, i](const QString &text) {
                if (!text.startsWith("hosted "))
                    return;
                ++listed;
                socket->sendTextMessage(
                    QString::fromLatin1(coord::toCoordinator::List{listingOf(i, 0)}.encode()));
            });
        socket->open(url);
    }
    // A beat from host i; every fifth also says its seats changed.
    void beat(int i)
    {
        QWebSocket &socket = *sockets[size_t(i)];
        if (socket.state() != QAbstractSocket::ConnectedState)
            return;
        socket.sendTextMessage("beat");
        if (++beats[size_t(i)] % 5 == 0)
            socket.sendTextMessage(QString::fromLatin1(
                coord::toCoordinator::List{listingOf(i, beats[size_t(i)] / 5)}.encode()));
    }
};

struct Lobby
{
    std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
    int tables = 0;
    std::optional<std::optional<QByteArray>> next; // set when a page is over
    bool refused = false;
    QElapsedTimer lastAsked;

    explicit Lobby(const QUrl &url)
    {
        QObject::connect(
            socket.get(), &QWebSocket::textMessageReceived, [this](const QString &text) {
                const auto message = coord::decodeFromCoordinator(text.toLatin1());
                if (!message)
                    return;
                if (std::holds_alternative<coord::fromCoordinator::Table>(*message))
                    ++tables;
                else if (const auto *page = std::get_if<coord::fromCoordinator::Page>(&*message))
                    next = page->next;
                else
                    refused = true;
            });
        socket->open(url);
    }
    // The time from asking to the end of the page, in milliseconds; nothing
    // when no page came.
    std::optional<double> ask(const coord::toCoordinator::Tables &query)
    {
        // A lobby asks a few times a second at most, as the coordinator allows.
        if (lastAsked.isValid() && lastAsked.elapsed() < 250)
            testsupport::waitUntil([] { return false; }, int(250 - lastAsked.elapsed()));
        lastAsked.start();
        tables = 0;
        next.reset();
        refused = false;
        QElapsedTimer clock;
        clock.start();
        socket->sendTextMessage(QString::fromLatin1(query.encode()));
        if (!bench::awaitAnswer([this] { return next.has_value() || refused; }, 5000) || refused)
            return std::nullopt;
        return double(clock.nsecsElapsed()) / 1e6;
    }
};

// Times `queries` pages over lobbies that take turns between the coordinators.
void askPages(const char *label, const std::array<QUrl, 2> &urls, int queries)
{
    std::vector<std::unique_ptr<Lobby>> lobbies;
    for (int i = 0; i < 64; ++i)
        lobbies.push_back(std::make_unique<Lobby>(urls[size_t(i % 2)]));
    testsupport::waitUntil(
        [&] {
            return std::all_of(lobbies.begin(), lobbies.end(), [](const auto &lobby) {
                return lobby->socket->state() == QAbstractSocket::ConnectedState;
            });
        },
        10000);
    const char *kinds[] = {"first page", "next page", "filtered", "no match"};
    std::array<std::vector<double>, 4> times;
    std::vector<double> all;
    std::optional<QByteArray> cursor;
    int failed = 0;
    int shown = 0;
    for (int q = 0; q < queries; ++q) {
        coord::toCoordinator::Tables query;
        const int kind = q % 4;
        if (kind == 1)
            query.after = cursor;
        if (kind == 2) {
            query.filter.blind = true;
            query.filter.freeSeat = true;
        }
        if (kind == 3)
            query.filter.computers = false;
        Lobby &lobby = *lobbies[size_t(q) % lobbies.size()];
        const std::optional<double> ms = lobby.ask(query);
        if (!ms) {
            ++failed;
            continue;
        }
        times[size_t(kind)].push_back(*ms);
        all.push_back(*ms);
        shown += lobby.tables;
        if (kind <= 1)
            cursor = *lobby.next;
    }
    std::printf("%s: %zu pages (%d failed, %.1f tables a page): p50 %.2f ms, p99 %.2f ms\n", label,
                all.size(), failed, double(shown) / qMax<size_t>(1, all.size()),
                bench::percentile(all, 50), bench::percentile(all, 99));
    for (size_t k = 0; k < times.size(); ++k)
        std::printf("%s:   %s: p50 %.2f ms, p99 %.2f ms\n", label, kinds[k],
                    bench::percentile(times[k], 50), bench::percentile(times[k], 99));

    // Every listed table once, paging from the start.
    coord::toCoordinator::Tables query;
    int seen = 0;
    for (size_t page = 0;; ++page) {
        Lobby &lobby = *lobbies[page % lobbies.size()];
        if (!lobby.ask(query))
            break;
        seen += lobby.tables;
        query.after = *lobby.next;
        if (!query.after)
            break;
    }
    std::printf("%s: paging from the start shows %d tables\n", label, seen);
}

} // namespace

// The tables' side: lists TABLES, says so, beats; on "more" lists up to MANY.
int runHosts(QCoreApplication &app, const std::array<QUrl, 2> &urls, int tables, int many)
{
    Hosts hosts;
    const auto listUpTo = [&](int count) {
        while (int(hosts.sockets.size()) < count) {
            hosts.add(urls[hosts.sockets.size() % 2]);
            if (hosts.sockets.size() % 100 == 0)
                testsupport::waitUntil(
                    [&] { return hosts.listed + 50 >= int(hosts.sockets.size()); }, 10000);
        }
        testsupport::waitUntil([&] { return hosts.listed == count; }, 60000);
        std::printf("listed %d\n", hosts.listed);
    };
    listUpTo(tables);
    // The first tables beat every second, the rest every 10 s, spread out.
    QTimer beat;
    int tick = 0;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        ++tick;
        for (int i = 0; i < int(hosts.sockets.size()); ++i) {
            if (i < tables ? i % 10 == tick % 10 : i % 100 == tick % 100)
                hosts.beat(i);
        }
    });
    beat.start(100);
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char line[16] = {};
        if (::read(0, line, sizeof line - 1) <= 0) {
            input.setEnabled(false);
            app.quit();
            return;
        }
        listUpTo(many);
    });
    return app.exec();
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 6 && QByteArray(argv[1]) == "--hosts")
        return runHosts(app, {QUrl(argv[2]), QUrl(argv[3])}, std::atoi(argv[4]),
                        std::atoi(argv[5]));
    const int tables = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int queries = argc > 2 ? std::atoi(argv[2]) : 2000;
    const int many = argc > 3 ? std::atoi(argv[3]) : 10000;
    testsupport::RedisProcess redis;
    if (!redis.port) {
        std::printf("%s\n", qPrintable(redis.why));
        return 1;
    }
    const QStringList arguments{"--port",
                                "0",
                                "--listen",
                                "127.0.0.1",
                                "--redis",
                                "127.0.0.1:" + QString::number(redis.port),
                                "--per-address",
                                "100000",
                                "--hosts-per-minute",
                                "1000000",
                                "--listings-per-minute",
                                "1000000",
                                "--queries-per-minute",
                                "1000000"};
    bench::Service east(SPADES_COORDINATOR, arguments + QStringList{"--id", "east"});
    bench::Service west(SPADES_COORDINATOR, arguments + QStringList{"--id", "west"});
    if (!east.port || !west.port) {
        std::printf("spades-coordinator did not start: %s %s\n", east.out.constData(),
                    west.out.constData());
        return 1;
    }
    const std::array<QUrl, 2> urls{QUrl(QString("ws://127.0.0.1:%1/").arg(east.port)),
                                   QUrl(QString("ws://127.0.0.1:%1/").arg(west.port))};
    const std::array<qint64, 2> pids{east.process.processId(), west.process.processId()};
    const auto memory = [&pids](const char *label) {
        std::printf("%s: resident %lld KB and %lld KB\n", label, bench::residentKb(pids[0]),
                    bench::residentKb(pids[1]));
    };
    memory("before");

    bench::Service hosts(QCoreApplication::applicationFilePath(),
                         {"--hosts", urls[0].toString(), urls[1].toString(),
                          QString::number(tables), QString::number(many)},
                         0);
    QByteArray said;
    const auto listed = [&](int count) {
        const QByteArray line = "listed " + QByteArray::number(count) + '\n';
        testsupport::waitUntil(
            [&] {
                said += hosts.process.readAllStandardOutput();
                return said.contains(line);
            },
            600000);
        std::printf("%s", said.constData());
        said.clear();
        testsupport::waitUntil([] { return false; }, 3000);
    };
    listed(tables);
    memory("with them");
    askPages("listed", urls, queries);

    hosts.process.write("more\n");
    listed(many);
    memory("with them");
    askPages("many listed", urls, queries / 4);
    memory("after the pages");
    return 0;
}
