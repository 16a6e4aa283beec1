// A relay for Spades tables nobody can reach: a joiner and the table's host
// each connect here and show the ticket a coordinator gave them; the relay
// joins the two connections and from then on only copies bytes. It finds its
// tickets, and announces itself to coordinators, through Redis.
#include "relay/relayserver.h"
#include "serviceoptions.h"

namespace {

void usage(std::FILE *to)
{
    std::fprintf(to, "usage: spades-relay --redis HOST[:PORT] [--port N] [--listen ADDRESS]\n"
                     "          [--address HOST:PORT] [--id NAME] [--per-address N]\n"
                     "Relays on port N (default 7774; 0 picks a free one), announced to the\n"
                     "coordinators sharing the Redis as --address (default: this machine's\n"
                     "loopback address and the port).\n"
                     "--per-address caps the connections one address may hold (default 16).\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const auto values = service::options(
        app.arguments(), {"port", "listen", "redis", "id", "address", "per-address"});
    const auto port = values ? service::portOption(*values, "port", 7774) : std::nullopt;
    const auto address = values ? service::listenOption(*values) : std::nullopt;
    const auto perAddress =
        values ? service::countOption(*values, "per-address", 16) : std::nullopt;
    const auto id = values ? service::idOption(*values) : std::nullopt;
    const auto advertised = values ? service::advertisedOption(*values, "address") : std::nullopt;
    if (!values || !port || !values->contains("redis") || !address || !perAddress || !id ||
        !advertised) {
        usage(stderr);
        return 2;
    }
    std::unique_ptr<CoordinatorStore> store = service::storeOption(*values);
    if (!store) {
        std::fprintf(stderr, "spades-relay: cannot find the Redis server %s\n",
                     qPrintable(values->value("redis")));
        return 1;
    }
    RelayLimits limits;
    limits.perAddress = *perAddress;
    limits.connections = std::min(limits.connections, service::connectionBudget());
    RelayServer relay(*id, *store, limits);
    if (!relay.listen(*address, *port, *advertised)) {
        std::fprintf(stderr, "spades-relay: cannot listen on port %d\n", int(*port));
        return 1;
    }
    service::say("listening on port " + QByteArray::number(relay.port()));
    quitOnTerminationSignals(app);
    return app.exec();
}
