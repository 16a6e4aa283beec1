#pragma once

#include "coordinator/coordinatorcore.h"
#include "coordinator/memorystore.h"

#include <QList>
#include <QPair>

// A port that records what the core does, on virtual time, with random bytes
// that count up so every code and ticket differs.
struct RecordingPort : CoordinatorPort
{
    qint64 clock = 0;
    quint8 counter = 0;
    QList<QPair<int, QByteArray>> sent;
    QList<int> closed;
    QList<QPair<int, Endpoint>> probes;

    void send(int n, const QByteArray &line) override { sent.append({n, line}); }
    void close(int n) override { closed.append(n); }
    void probe(int n, const Endpoint &candidate) override { probes.append({n, candidate}); }
    qint64 now() const override { return clock; }
    QByteArray randomBytes(int count) override
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes += char(++counter);
        return bytes;
    }
    // What connection n was sent last, and forgets everything sent.
    QByteArray lastTo(int n)
    {
        QByteArray last;
        for (const auto &[to, line] : std::as_const(sent)) {
            if (to == n)
                last = line;
        }
        return last;
    }
};
