#pragma once

#include <QByteArray>
#include <QList>

// The addresses of connections the hosting player removed, kept away until
// the host closes. Held as address blocks (addressBlock): an IPv6 home picks
// new addresses in its /64 at will. Bounded: past kMost the oldest goes, so a
// stream of removals cannot make the host hold more.
class RemovedAddresses
{
public:
    static constexpr int kMost = 64;

    // An empty block (a connection without an address of its own) is never
    // kept.
    void add(const QByteArray &block);
    bool holds(const QByteArray &block) const;
    int size() const { return int(m_blocks.size()); }

private:
    QList<QByteArray> m_blocks; // oldest first
};
