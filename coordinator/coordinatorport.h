#pragma once

#include "coordinator/endpoint.h"

#include <QByteArray>

// Everything the coordinator's core does to the outside world: the program
// binds it to WebSockets, probes and the clock, tests to a recorder with
// virtual time.
class CoordinatorPort
{
public:
    virtual ~CoordinatorPort() = default;

    // Sends one line to connection n.
    virtual void send(int n, const QByteArray &line) = 0;
    // Closes connection n; the port does not report this close back.
    virtual void close(int n) = 0;
    // Connects to a table's candidate address, reads its first message and
    // hangs up; the answer comes back through CoordinatorCore::probeDone.
    virtual void probe(int n, const Endpoint &candidate) = 0;
    // Milliseconds on a steady clock.
    virtual qint64 now() const = 0;
    // Bytes no peer can predict: codes and tickets are made from them.
    virtual QByteArray randomBytes(int count) = 0;
};
