#pragma once

// Table clients and a host on real sockets and timers.
#include "host/hostruntime.h"
#include "host_harness.h"
#include "tests/common/test_support.h"

#include <memory>
#include <vector>

namespace hosttest {

// A table client over a real socket, as far as the game needs one.
struct SocketSeat
{
    TSock sock;
    ReceiveQueue buffer{limits::kClient};
    ScriptedSeat script;
    int number = 0;
    bool closedByHost = false;

    SocketSeat(int port, const QByteArray &name)
    {
        sock.setHostName("127.0.0.1");
        sock.setPortName(QString::number(port));
        answerAs(name);
        sock.Open();
    }
    // Over a socket connected elsewhere, as a relay hands one over.
    SocketSeat(const QByteArray &name, int connected)
    {
        answerAs(name);
        sock.OpenConnected(connected, QStringLiteral("relay"));
    }

    void answerAs(const QByteArray &name)
    {
        sock.OnRead = [this, name](TSock *s, int) {
            if (!buffer.append(s->Receive()))
                return;
            for (const QByteArray &m : buffer.takeAll()) {
                if (nameOf(m) == "CMD_sendlogininfo") {
                    number = ints(m).value(0);
                    script.seat = number;
                    s->Send(wire::toHost::LoginInfo{number, wire::kVersion, name}.encode());
                }
                const QByteArray reply = script.react(m);
                if (!reply.isEmpty())
                    s->Send(reply);
            }
        };
        sock.OnInfo = [this](TSock *, TSocketInfo kind, const QByteArray &) {
            if (kind == siClose)
                closedByHost = true;
        };
    }

    QList<QByteArray> all(const char *name) const { return named(script.received, name); }
};

struct RuntimeTable
{
    HostRuntime host;
    std::vector<std::unique_ptr<SocketSeat>> seats;
    QList<QByteArray> alerts;

    explicit RuntimeTable(HostRuntime::Timing timing = {1, 5, 1}) : host(12345, timing)
    {
        host.onAlert = [this](const QByteArray &text) { alerts << text; };
        host.listen(0);
    }

    bool everyoneSees(const char *name, int count = 1) const
    {
        for (const auto &s : seats) {
            if (s->all(name).size() < count)
                return false;
        }
        return true;
    }

    SocketSeat &join(const QByteArray &name)
    {
        seats.push_back(std::make_unique<SocketSeat>(host.port(), name));
        SocketSeat &seat = *seats.back();
        testsupport::waitUntil([&] { return !seat.all("CMD_newplayerinfo").isEmpty(); });
        return seat;
    }
};

} // namespace hosttest
