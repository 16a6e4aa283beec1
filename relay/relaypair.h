#pragma once

#include "relay/relaylimits.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

// Two connections joined at a relay: each byte one sends goes to the other in
// order, and nothing is looked at. Reading from a side stops while its peer
// has more than the limit untaken; a peer that stays so for too long ends the
// pair. When one side closes, what it sent is delivered and the other side is
// closed too. The pair owns both sockets and deletes itself when done.
class RelayPair : public QObject
{
    Q_OBJECT
public:
    RelayPair(QTcpSocket *a, QTcpSocket *b, const RelayLimits &limits, QObject *parent);
    // Sends on what both sides sent before they were paired; call once the
    // caller listens for `finished`, which this may already bring.
    void start();

signals:
    void finished();

private:
    void pump(QTcpSocket *from, QTcpSocket *to);
    void watchSlowReader(QTcpSocket *to, QTimer &timer);
    void closed(QTcpSocket *from, QTcpSocket *to);
    void finish();

    QTcpSocket *m_a;
    QTcpSocket *m_b;
    RelayLimits m_limits;
    QTimer m_slowA; // a leaves bytes untaken
    QTimer m_slowB;
    bool m_finished = false; // no more copying
    bool m_done = false;     // told and on its way out
};
