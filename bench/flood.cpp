// Floods a running spades-server the way a stranger on the internet could,
// while a quiet player chats at the same table and times how long each of
// its lines takes to come back.
//
//   bench_flood PORT MODE [SECONDS=10] [FLOODERS=1]
//
// MODE is one of
//   none         nobody floods: the quiet player alone, for comparison
//   terminators  bare 0xFF bytes, as fast as the host takes them
//   small        short chat lines, as fast as the host takes them
//   large        chat lines of 60,000 bytes, as fast as the host takes them
//   steady       short chat lines, 200 of them in flight, so as to stay just
//                under the host's limit and be served in turn
//   deaf         peers that log in and never read, while a chatter sends
//                lines of 60,000 bytes to everyone
//   silent       nine connections that never log in; the quiet player keeps
//                trying until it gets a seat
// A flooder the host cuts off connects again at once. Plain POSIX sockets;
// one thread and poll().
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kEnd = char(0xFF);

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Peer
{
    int fd = -1;
    int number = 0;
    bool loggedIn = false;
    bool full = false; // turned away with CMD_full
    std::string in;
    std::string out;
    long long relayed = 0; // own chat lines that came back

    Peer(int port, int receiveBuffer)
    {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        // Not waiting for the connect: a full accept queue would stall every
        // other peer of this one thread, the quiet player included.
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(uint16_t(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to) != 0 &&
            errno != EINPROGRESS) {
            std::perror("connect");
            std::exit(1);
        }
    }
    // Still connecting, or a full socket: try again later.
    static bool later() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOTCONN; }
    ~Peer()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool open() const { return fd >= 0; }
    void drop()
    {
        ::close(fd);
        fd = -1;
    }

    // Sends what the socket takes now; false once the host has gone.
    bool flush()
    {
        while (open() && !out.empty()) {
            const ssize_t sent = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (sent > 0) {
                out.erase(0, size_t(sent));
                continue;
            }
            if (sent < 0 && later())
                return true;
            drop();
            return false;
        }
        return open();
    }

    // Reads what has arrived and returns the whole messages.
    std::vector<std::string> read()
    {
        std::vector<std::string> messages;
        char chunk[65536];
        while (open()) {
            const ssize_t got = ::recv(fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got > 0) {
                in.append(chunk, size_t(got));
                continue;
            }
            if (got < 0 && later())
                break;
            drop();
        }
        size_t start = 0;
        for (size_t end; (end = in.find(kEnd, start)) != std::string::npos; start = end + 1)
            messages.push_back(in.substr(start, end - start));
        in.erase(0, start);
        return messages;
    }

    // Answers the login invitation; notes own relays and the refusal.
    void handle(const std::vector<std::string> &messages, const std::string &name)
    {
        for (const std::string &m : messages) {
            if (m.rfind("CMD_sendlogininfo+", 0) == 0) {
                number = std::atoi(m.c_str() + 18);
                if (!name.empty())
                    out +=
                        "CMD_logininfo+" + std::to_string(number) + "+1.0.6+" + name + kEnd + kEnd;
            } else if (m == "CMD_full+") {
                full = true;
            } else if (m.rfind("CMD_newplayerinfo+" + std::to_string(number) + "+", 0) == 0) {
                loggedIn = true;
            } else if (m.rfind("CMD_chat+" + std::to_string(number) + "+", 0) == 0) {
                ++relayed;
            }
        }
    }

    std::string chat(const std::string &text) const
    {
        return "CMD_chat+" + std::to_string(number) + '+' + text + "|clBlack" + kEnd;
    }
};

struct Flooder
{
    std::unique_ptr<Peer> peer;
    long long sent = 0;  // chat lines sent on this connection
    long long lines = 0; // chat lines made, over all connections
    int cutOff = 0;      // times the host closed it
    long long bytes = 0; // bytes the host took
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_flood PORT MODE [SECONDS] [FLOODERS]\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const std::string mode = argv[2];
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10;
    const int flooders = mode == "none"     ? 0
                         : mode == "silent" ? 9
                                            : std::clamp(argc > 4 ? std::atoi(argv[4]) : 1, 1, 8);
    const bool logsIn = mode != "terminators" && mode != "silent";
    const bool reads = mode != "deaf";
    const std::string small = "spam spam spam";
    const std::string large(60000, 'x');

    std::vector<Flooder> flood(static_cast<size_t>(flooders));
    auto connectFlooder = [&](Flooder &f) {
        f.peer = std::make_unique<Peer>(port, reads ? 0 : 4096);
        f.sent = 0;
    };
    std::unique_ptr<Peer> quiet;
    std::unique_ptr<Peer> chatter; // the deaf peers' source of relays
    long long chatterLines = 0;
    const auto start = Clock::now();
    double admittedAfter = -1;
    Clock::time_point lastTry = start;

    if (mode == "silent") {
        for (Flooder &f : flood)
            connectFlooder(f);
    } else {
        quiet = std::make_unique<Peer>(port, 0);
        if (mode == "deaf")
            chatter = std::make_unique<Peer>(port, 0);
        for (Flooder &f : flood)
            connectFlooder(f);
    }

    std::vector<double> delays;
    Clock::time_point pingSent;
    bool pingOut = false;
    Clock::time_point nextPing = start;
    long long pings = 0;
    const std::string terminators(65536, kEnd);

    while (msSince(start) < seconds * 1000) {
        std::vector<pollfd> fds;
        for (Peer *p : {quiet.get(), chatter.get()}) {
            if (p && p->open())
                fds.push_back({p->fd, short(POLLIN | (p->out.empty() ? 0 : POLLOUT)), 0});
        }
        for (Flooder &f : flood) {
            if (f.peer && f.peer->open())
                fds.push_back({f.peer->fd,
                               short((reads ? POLLIN : 0) | (f.peer->out.empty() ? 0 : POLLOUT)),
                               0});
        }
        ::poll(fds.data(), fds.size(), 5);

        // The silent mode's quiet player tries for a seat twice a second.
        const bool tableTaken = std::all_of(flood.begin(), flood.end(), [](const Flooder &f) {
            return !f.peer || f.peer->number != 0;
        });
        if (mode == "silent" && tableTaken && (!quiet || !quiet->open() || quiet->full) &&
            msSince(lastTry) >= 500) {
            lastTry = Clock::now();
            quiet = std::make_unique<Peer>(port, 0);
        }

        if (quiet) {
            quiet->handle(quiet->read(), "Quiet");
            if (quiet->loggedIn && admittedAfter < 0)
                admittedAfter = msSince(start);
            if (pingOut && quiet->relayed > 0) {
                delays.push_back(msSince(pingSent));
                quiet->relayed = 0;
                pingOut = false;
                nextPing = Clock::now() + std::chrono::milliseconds(100);
            }
            if (quiet->loggedIn && !pingOut && Clock::now() >= nextPing) {
                quiet->out += quiet->chat("ping " + std::to_string(++pings));
                pingSent = Clock::now();
                pingOut = true;
            }
            quiet->flush();
        }
        if (chatter) {
            chatter->handle(chatter->read(), "Chatter");
            // Three long lines in flight at a time: the chatter itself stays
            // within what the host holds for it.
            while (chatter->loggedIn && chatterLines - chatter->relayed < 3) {
                chatter->out += chatter->chat(large);
                ++chatterLines;
            }
            chatter->flush();
        }

        for (Flooder &f : flood) {
            if (!f.peer)
                continue;
            Peer &p = *f.peer;
            if (!p.open()) {
                ++f.cutOff;
                if (mode == "silent")
                    f.peer.reset();
                else
                    connectFlooder(f);
                continue;
            }
            if (reads)
                p.handle(p.read(), logsIn ? "Flood" : "");
            else if (!p.loggedIn && p.number == 0)
                p.handle(p.read(), "Deaf");
            if (mode == "terminators") {
                if (p.out.empty())
                    p.out = terminators;
            } else if (logsIn && p.number != 0 && p.out.size() < 65536) {
                if (mode == "small" || (mode == "steady" && f.sent - p.relayed < 200)) {
                    p.out += p.chat(small);
                    ++f.sent;
                    ++f.lines;
                } else if (mode == "large") {
                    p.out += p.chat(large);
                    ++f.lines;
                }
            }
            const size_t before = p.out.size();
            p.flush();
            f.bytes += (long long)(before - p.out.size());
        }
    }

    std::sort(delays.begin(), delays.end());
    auto at = [&](double share) {
        return delays.empty() ? -1.0
                              : delays[std::min(delays.size() - 1, size_t(share * delays.size()))];
    };
    long long bytes = 0;
    long long lines = 0;
    int cutOff = 0;
    for (const Flooder &f : flood) {
        bytes += f.bytes;
        lines += f.lines;
        cutOff += f.cutOff;
    }
    std::printf("mode %s, %d flooder(s), %.0f s: the host took %.1f MB (%lld chat lines made); "
                "%d closes seen\n",
                mode.c_str(), flooders, seconds, double(bytes) / 1e6, lines, cutOff);
    if (mode == "silent")
        std::printf("quiet player admitted after %.0f ms\n", admittedAfter);
    if (chatter)
        std::printf("the chatter's lines of 60,000 bytes relayed to everyone: %lld\n",
                    chatterLines);
    std::printf("quiet player's chat round trip: %zu lines, median %.1f ms, 99th %.1f ms, "
                "max %.1f ms\n",
                delays.size(), at(0.5), at(0.99), delays.empty() ? -1.0 : delays.back());
    return 0;
}
