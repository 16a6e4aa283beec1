// Lists Spades tables under invite codes. A table keeps one connection here;
// the coordinator connects back to see whether others can reach it, answers
// joiners with its address or with a relay and a ticket, and asks the table to
// meet them at the relay. Several coordinators share one Redis.
#include "coordinator/coordinatorserver.h"
#include "relay/relayserver.h"
#include "serviceoptions.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>

namespace {

void usage(std::FILE *to)
{
    std::fprintf(to,
                 "usage: spades-coordinator [--port N] [--listen ADDRESS] [--redis HOST[:PORT]]\n"
                 "          [--id NAME] [--tls-cert FILE --tls-key FILE] [--per-address N]\n"
                 "          [--joins-per-minute N] [--hosts-per-minute N]\n"
                 "          [--listings-per-minute N] [--queries-per-minute N]\n"
                 "          [--relay-port N [--relay-address HOST:PORT]]\n"
                 "Serves tables and joiners on port N (default 7773; 0 picks a free one).\n"
                 "--redis shares tables, codes, tickets and relays with other coordinators;\n"
                 "without it they are kept in this process.\n"
                 "--tls-cert and --tls-key (PEM) make the port speak wss://.\n"
                 "--per-address caps the connections one address may hold (default 16).\n"
                 "--joins-per-minute and --hosts-per-minute cap the codes one address may try\n"
                 "and the tables it may list in a minute (defaults 30 and 10).\n"
                 "--listings-per-minute and --queries-per-minute cap the public listings one\n"
                 "address may have written and the pages of them it may ask for in a minute\n"
                 "(defaults 60 and 120).\n"
                 "--relay-port runs a relay in this process, announced as --relay-address\n"
                 "(default: this machine's loopback address and the relay's port).\n");
}

std::optional<QSslConfiguration> tlsOption(const QHash<QString, QString> &values)
{
    if (!values.contains("tls-cert") && !values.contains("tls-key"))
        return std::nullopt;
    QFile certificateFile(values.value("tls-cert"));
    QFile keyFile(values.value("tls-key"));
    if (!certificateFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QSslCertificate> chain = QSslCertificate::fromDevice(&certificateFile);
    const QByteArray keyBytes = keyFile.readAll();
    QSslKey key(keyBytes, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(keyBytes, QSsl::Ec);
    if (chain.isEmpty() || key.isNull())
        return std::nullopt;
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto values = service::options(
        app.arguments(), {"port", "listen", "redis", "id", "tls-cert", "tls-key", "per-address",
                          "joins-per-minute", "hosts-per-minute", "listings-per-minute",
                          "queries-per-minute", "relay-port", "relay-address"});
    const auto port = values ? service::portOption(*values, "port", 7773) : std::nullopt;
    const auto relayPort = values ? service::portOption(*values, "relay-port", 0) : std::nullopt;
    const auto address = values ? service::listenOption(*values) : std::nullopt;
    const auto perAddress =
        values ? service::countOption(*values, "per-address", 16) : std::nullopt;
    const auto joins =
        values ? service::countOption(*values, "joins-per-minute", 30) : std::nullopt;
    const auto hosts =
        values ? service::countOption(*values, "hosts-per-minute", 10) : std::nullopt;
    const auto listings =
        values ? service::countOption(*values, "listings-per-minute", 60) : std::nullopt;
    const auto queries =
        values ? service::countOption(*values, "queries-per-minute", 120) : std::nullopt;
    const auto id = values ? service::idOption(*values) : std::nullopt;
    const auto relayAddress =
        values ? service::advertisedOption(*values, "relay-address") : std::nullopt;
    if (!values || !port || !relayPort || !address || !perAddress || !joins || !hosts ||
        !listings || !queries || !id || !relayAddress) {
        usage(stderr);
        return 2;
    }
    const std::optional<QSslConfiguration> tls = tlsOption(*values);
    if ((values->contains("tls-cert") || values->contains("tls-key")) && !tls) {
        std::fprintf(stderr, "spades-coordinator: cannot read the certificate and key\n");
        return 1;
    }
    std::unique_ptr<CoordinatorStore> store = service::storeOption(*values);
    if (!store) {
        std::fprintf(stderr, "spades-coordinator: cannot find the Redis server %s\n",
                     qPrintable(values->value("redis")));
        return 1;
    }
    // The relay in this process, if any, shares the descriptors.
    const bool withRelay = values->contains("relay-port");
    const int budget = service::connectionBudget() / (withRelay ? 2 : 1);
    CoordinatorServerLimits serverLimits;
    serverLimits.perAddress = *perAddress;
    serverLimits.connections = std::min(serverLimits.connections, budget);
    CoordinatorLimits limits;
    limits.joinsPerMinute = *joins;
    limits.hostsPerMinute = *hosts;
    limits.listingsPerMinute = *listings;
    limits.queriesPerMinute = *queries;
    CoordinatorServer server(*id, *store, limits, serverLimits);
    if (!server.listen(*address, *port, tls)) {
        std::fprintf(stderr, "spades-coordinator: %s\n", qPrintable(server.errorString()));
        return 1;
    }
    service::say("listening on port " + QByteArray::number(server.port()));

    std::unique_ptr<RelayServer> relay;
    if (withRelay) {
        RelayLimits relayLimits;
        relayLimits.perAddress = serverLimits.perAddress;
        relayLimits.connections = std::min(relayLimits.connections, budget);
        relay = std::make_unique<RelayServer>(*id + "-relay", *store, relayLimits);
        if (!relay->listen(*address, *relayPort, *relayAddress)) {
            std::fprintf(stderr, "spades-coordinator: the relay cannot listen\n");
            return 1;
        }
        service::say("relay on port " + QByteArray::number(relay->port()));
    }
    quitOnTerminationSignals(app);
    return app.exec();
}
