// A Spades table without a window: the game host alone, for a machine with no
// desktop. The first connection to arrive gets number 1 and acts as the
// hosting player (it starts games, removes people and sets the bot speed).
// When that player leaves, the computer plays seat 1 like any other, and the
// next to take number 1 runs the table.
#include "coordinator/coordinatorclient.h"
#include "host/hostruntime.h"
#include "host/shuffle.h"
#include "lan/hostannouncement.h"
#include "protocol/invitecode.h"
#include "protocol/terminationsignals.h"
#include "reach/hostlisting.h"
#include "reach/localaddresses.h"
#include "reach/portmapper.h"
#include "reach/tablelisting.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QSysInfo>
#include <algorithm>

#include <cstdio>
#include <memory>

namespace {

void usage(std::FILE *to)
{
    std::fprintf(to, "usage: spades-server [--port N] [--tick MS] [--computer classic|expert]\n"
                     "                    [--grace SECONDS] [--no-port-mapping]\n"
                     "                    [--coordinator HOST[:PORT]] [--list | --no-list]\n"
                     "                    [--table-name NAME]\n"
                     "Hosts a Spades table on TCP port N (default 7772).\n"
                     "--tick sets the length of one pause tick (default 1000 ms):\n"
                     "three ticks after each trick, fifteen after each hand.\n"
                     "--computer chooses the players of empty seats (default classic).\n"
                     "--grace is how long the seat of a player whose connection was lost\n"
                     "is kept for them to come back (default 120 s, 0: not kept).\n"
                     "--no-port-mapping does not ask the router (UPnP IGD, NAT-PMP) to\n"
                     "forward the port to this machine; it is asked by default.\n"
                     "--coordinator lists the table with a coordinator (port 7773 unless\n"
                     "given; several separated by commas) under an invite code: friends\n"
                     "join with the code, directly when the coordinator can reach this\n"
                     "table, otherwise through its relay. None is used unless given.\n"
                     "--list also shows the table in Open Tables, where anyone's lobby\n"
                     "finds it, under NAME (at most 40 characters; default: this\n"
                     "machine's name and \"'s table\"); it needs --coordinator.\n"
                     "SPADES_LIST=yes and SPADES_TABLE_NAME in the environment do the\n"
                     "same unless the options say otherwise.\n");
}

// A table name as given, or why it cannot be one.
std::optional<QString> tableNameOf(const QString &given, const char *what)
{
    const QString name = given.trimmed();
    if (name.isEmpty()) {
        std::fprintf(stderr, "spades-server: %s names no table\n", what);
        return std::nullopt;
    }
    if (name.toUcs4().size() > PublicListing::kLongestName) {
        std::fprintf(stderr, "spades-server: %s is longer than %d characters\n", what,
                     PublicListing::kLongestName);
        return std::nullopt;
    }
    return listingname::plain(name);
}

// Lines carry names and texts from the network: they are shown with control
// characters escaped, so a name cannot drive the terminal.
QByteArray printable(const QByteArray &line)
{
    QByteArray out;
    out.reserve(line.size());
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0) || byte == '\\') {
            out += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        } else {
            // Names travel as 8-bit characters; the terminal reads UTF-8.
            out += QString(QChar(byte)).toUtf8();
        }
    }
    return out;
}

void say(const QByteArray &line)
{
    std::fprintf(stdout, "%s\n", printable(line).constData());
    std::fflush(stdout);
}

// A line with a table name, which listingname::plain has made printable.
void sayNamed(const char *what, const QString &name)
{
    std::fprintf(stdout, "%s %s\n", what, name.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    int port = 7772;
    HostRuntime::Timing timing;
    ComputerKind computers = ComputerKind::Classic;
    bool portMapping = true;
    QString coordinator;
    // The service passes these in its environment; the options override them.
    const QByteArray listWord = qgetenv("SPADES_LIST").trimmed();
    if (!listWord.isEmpty() && listWord != "yes" && listWord != "no") {
        std::fprintf(stderr, "spades-server: bad value '%s' for SPADES_LIST (yes or no)\n",
                     listWord.constData());
        return 2;
    }
    bool listPublicly = listWord == "yes";
    std::optional<QString> tableName;
    if (const QString fromService = qEnvironmentVariable("SPADES_TABLE_NAME");
        !fromService.trimmed().isEmpty()) {
        tableName = tableNameOf(fromService, "SPADES_TABLE_NAME");
        if (!tableName)
            return 2;
    }
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        }
        if (arg == "--no-port-mapping") {
            portMapping = false;
            continue;
        }
        if (arg == "--list" || arg == "--no-list") {
            listPublicly = arg == "--list";
            continue;
        }
        if (arg == "--table-name" && i + 1 < argc) {
            tableName = tableNameOf(QString::fromLocal8Bit(argv[++i]), "--table-name");
            if (!tableName)
                return 2;
            continue;
        }
        if (arg == "--coordinator" && i + 1 < argc) {
            // Empty means none, as the service passes an unset one.
            coordinator = QString::fromLocal8Bit(argv[++i]).trimmed();
            const QStringList each = CoordinatorClient::listOf(coordinator);
            if (!coordinator.isEmpty() &&
                (each.isEmpty() || std::any_of(each.begin(), each.end(), [](const QString &one) {
                     return CoordinatorClient::urlOf(one).isEmpty();
                 }))) {
                std::fprintf(stderr, "spades-server: bad value '%s' for --coordinator\n", argv[i]);
                return 2;
            }
            continue;
        }
        if (arg == "--computer" && i + 1 < argc) {
            const QByteArray value = argv[++i];
            const std::optional<ComputerKind> kind = computerKindNamed(value);
            if (!kind) {
                std::fprintf(stderr, "spades-server: bad value '%s' for --computer\n",
                             value.constData());
                return 2;
            }
            computers = *kind;
            continue;
        }
        const bool isPort = arg == "--port";
        const bool isGrace = arg == "--grace";
        if ((!isPort && !isGrace && arg != "--tick") || i + 1 >= argc) {
            usage(stderr);
            return 2;
        }
        const QByteArray value = argv[++i];
        bool ok = false;
        const int number = value.toInt(&ok);
        const int lowest = isPort || isGrace ? 0 : 1;
        const int highest = isPort ? 65535 : isGrace ? 3600 : 60000;
        if (!ok || number < lowest || number > highest) {
            std::fprintf(stderr, "spades-server: bad value '%s' for %s\n", value.constData(),
                         arg.constData());
            return 2;
        }
        if (isPort)
            port = number;
        else if (isGrace)
            timing.graceMs = number * 1000;
        else
            timing.timer1 = number;
    }

    if (listPublicly && coordinator.isEmpty()) {
        std::fprintf(stderr, "spades-server: --list needs --coordinator: Open Tables are kept "
                             "by a coordinator\n");
        return 2;
    }

    QCoreApplication app(argc, argv);

    // SIGINT and SIGTERM end the loop; the table then closes in order.
    quitOnTerminationSignals(app);

    const auto seed = Lcg::timeOfDaySeed(QDateTime::currentMSecsSinceEpoch());
    int status = 0;
    {
        // Outlives the host, whose last notes still count seats.
        TableAnnouncer announcer;
        QObject::connect(&announcer, &TableAnnouncer::stateChanged, &app, [&announcer] {
            if (!announcer.problem().isEmpty())
                say(announcer.problem().toUtf8());
            else if (!announcer.serviceName().isEmpty())
                say("shown on the local network as " + announcer.serviceName().toUtf8());
        });
        HostRuntime host(seed, timing);
        host.server().setComputerKind(computers);
        host.server().setSeatOne(TServer::SeatOne::Remote);
        host.onNote = say;
        host.onAlert = [](const QByteArray &text) { say("alert: " + text); };
        try {
            host.listen(port);
        } catch (const ESockException &e) {
            std::fprintf(stderr, "spades-server: %s (port %d)\n", e.what(), port);
            return 1;
        }
        say("listening on port " + QByteArray::number(host.port()));
        say(QByteArray(nameOf(computers)) + " computer players");
        TableListing listing(coordinator);
        listing.onRelayed = [&host](int fd, const QString &peer) { host.takeRelayed(fd, peer); };
        QByteArray shownCode;
        bool shownPublic = false;
        QObject::connect(&listing, &TableListing::changed, &app, [&] {
            if (!listing.code().isEmpty() && listing.code() != shownCode) {
                shownCode = listing.code();
                say("code: " + invite::display(shownCode));
            }
            say("reach: " + listing.text().toUtf8());
            const bool inOpenTables = listing.isPublic() && listing.isListed();
            if (inOpenTables != shownPublic) {
                shownPublic = inOpenTables;
                if (inOpenTables)
                    sayNamed("listed in Open Tables as", listing.publicListing()->name);
                else
                    say("no longer listed in Open Tables");
            }
        });
        QObject::connect(&listing, &TableListing::note, &app,
                         [](const QString &line) { say(line.toUtf8()); });
        const auto reached = [&listing, &host](const ReachStatus &reach) {
            say("reach: " + reach.text.toUtf8());
            // The router's answer comes first: it may add a way in.
            if (reach.way != ReachStatus::Way::Asking)
                listing.list(quint16(host.port()), reach);
        };
        std::unique_ptr<PortMapper> mapper;
        if (portMapping) {
            PortMapper::Options options;
            options.request.internalPort = host.port();
            options.request.wantedPort = host.port();
            mapper = std::make_unique<PortMapper>(options);
            QObject::connect(mapper.get(), &PortMapper::statusChanged, &app, reached);
            mapper->start();
        } else {
            reached(offStatus(host.port(), findLocalAddresses()));
        }
        announceHost(host, announcer, QSysInfo::machineHostName());
        if (listPublicly) {
            keepPublicListingCurrent(host, listing);
            showHostPublicly(
                host, listing,
                tableName.value_or(listingname::defaultFor(QSysInfo::machineHostName())));
        }
        status = app.exec();
        // The coordinator hears the table is gone; a second is enough for
        // that goodbye, and the listing lapses by itself otherwise.
        listing.stop();
        for (const QDeadlineTimer deadline(1000); listing.closing() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        // The mapping goes before the table does, while its lease is still ours.
        mapper.reset();
    }
    say("stopped");
    return status;
}
