#include "relay/relaypair.h"

#include <QTcpSocket>

RelayPair::RelayPair(QTcpSocket *a, QTcpSocket *b, const RelayLimits &limits, QObject *parent)
    : QObject(parent), m_a(a), m_b(b), m_limits(limits)
{
    for (QTcpSocket *socket : {m_a, m_b}) {
        socket->setParent(this);
        socket->setReadBufferSize(m_limits.readAhead);
        // Card traffic is small messages: each goes on at once.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    }
    for (QTimer *timer : {&m_slowA, &m_slowB}) {
        timer->setSingleShot(true);
        timer->setInterval(m_limits.slowReaderMs);
        connect(timer, &QTimer::timeout, this, &RelayPair::finish);
    }
    connect(m_a, &QTcpSocket::readyRead, this, [this] { pump(m_a, m_b); });
    connect(m_b, &QTcpSocket::readyRead, this, [this] { pump(m_b, m_a); });
    connect(m_b, &QTcpSocket::bytesWritten, this, [this] { pump(m_a, m_b); });
    connect(m_a, &QTcpSocket::bytesWritten, this, [this] { pump(m_b, m_a); });
    connect(m_a, &QTcpSocket::disconnected, this, [this] { closed(m_a, m_b); });
    connect(m_b, &QTcpSocket::disconnected, this, [this] { closed(m_b, m_a); });
    connect(m_a, &QTcpSocket::errorOccurred, this, [this] { closed(m_a, m_b); });
    connect(m_b, &QTcpSocket::errorOccurred, this, [this] { closed(m_b, m_a); });
}

void RelayPair::start()
{
    // Bytes that came with or after a preamble are waiting already.
    pump(m_a, m_b);
    pump(m_b, m_a);
}

void RelayPair::pump(QTcpSocket *from, QTcpSocket *to)
{
    if (m_finished)
        return;
    while (from->bytesAvailable() > 0) {
        const qint64 room = m_limits.unsentBytes - to->bytesToWrite();
        if (room <= 0)
            break;
        const QByteArray chunk = from->read(qMin(room, m_limits.readAhead));
        if (chunk.isEmpty())
            break;
        to->write(chunk);
        // Straight on to the kernel, not on the next turn of the event loop.
        to->flush();
    }
    watchSlowReader(to, to == m_a ? m_slowA : m_slowB);
}

void RelayPair::watchSlowReader(QTcpSocket *to, QTimer &timer)
{
    if (to->bytesToWrite() >= m_limits.unsentBytes) {
        if (!timer.isActive())
            timer.start();
    } else {
        timer.stop();
    }
}

void RelayPair::closed(QTcpSocket *from, QTcpSocket *to)
{
    if (m_finished)
        return;
    // What the closing side sent before it went is still delivered.
    if (from->isOpen())
        to->write(from->readAll());
    m_finished = true;
    to->disconnectFromHost();
    from->abort();
    if (to->state() == QAbstractSocket::UnconnectedState)
        finish();
    else
        connect(to, &QTcpSocket::disconnected, this, &RelayPair::finish);
    // A peer that never takes the rest gets the slow reader's time and no more.
    QTimer::singleShot(m_limits.slowReaderMs, this, &RelayPair::finish);
}

void RelayPair::finish()
{
    if (m_a->state() != QAbstractSocket::UnconnectedState)
        m_a->abort();
    if (m_b->state() != QAbstractSocket::UnconnectedState)
        m_b->abort();
    m_finished = true;
    if (m_done)
        return;
    m_done = true;
    emit finished();
    deleteLater();
}
