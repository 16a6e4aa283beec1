#pragma once

// A plain TCP client that plays as a scripted seat, outside any Qt loop.
#include "host_harness.h"
#include "tests/common/loopback.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace hosttest {

inline constexpr char kEnd = char(0xFF);

// A plain TCP client that logs in and plays as a scripted seat.
struct RawClient
{
    int fd = -1;
    QByteArray name;
    QByteArray pending;
    hosttest::ScriptedSeat script;
    bool gone = false;

    RawClient(int port, QByteArray playerName)
        : RawClient(testsupport::connectLoopback(port), std::move(playerName), true)
    {
    }
    // Takes a connected socket made elsewhere (another network namespace).
    RawClient(int connected, QByteArray playerName, bool)
        : fd(connected), name(std::move(playerName))
    {
        script.closes = false;
    }
    ~RawClient()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void send(const QByteArray &bytes) const
    {
        ASSERT_EQ(::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL),
                  ssize_t(bytes.size()));
    }
    int me() const { return script.seat; }
    QList<QByteArray> all(const char *command) const { return named(script.received, command); }

    void react(const QByteArray &m)
    {
        if (m.startsWith("CMD_sendlogininfo+")) {
            script.seat = ints(m).value(0);
            send("CMD_logininfo+" + QByteArray::number(me()) + "+1.0.6+" + name + kEnd + kEnd);
        }
        const QByteArray reply = script.react(m);
        if (!reply.isEmpty())
            send(reply);
    }

    void readSome()
    {
        char area[4096];
        const ssize_t got = ::recv(fd, area, sizeof area, 0);
        if (got <= 0) {
            gone = true;
            return;
        }
        pending.append(area, got);
        for (qsizetype end; (end = pending.indexOf(kEnd)) >= 0;) {
            const QByteArray message = pending.left(end);
            pending.remove(0, end + 1);
            react(message);
        }
    }
};

using Clients = std::vector<std::unique_ptr<RawClient>>;

inline bool everyoneGot(const Clients &clients, const char *command)
{
    return std::all_of(clients.begin(), clients.end(),
                       [&](const auto &c) { return !c->all(command).isEmpty(); });
}

// Serves every client until `done` holds; false when the time runs out.
template <typename Done> bool serve(Clients &clients, Done done, int seconds = 30)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::vector<pollfd> fds;
        for (const auto &c : clients)
            fds.push_back({c->fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].revents != 0 && !clients[i]->gone)
                clients[i]->readSome();
        }
    }
    return true;
}

} // namespace hosttest
