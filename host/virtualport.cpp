#include "host/virtualport.h"

#include "host/tserver.h"

bool VirtualPort::accept(int n)
{
    if (refuseAccepts || n < 1 || n > 10)
        return false;
    open[n] = true;
    return true;
}

void VirtualPort::send(int n, const QByteArray &bytes)
{
    ++sentCount;
    if (!recording || n < 1 || n > 10)
        return;
    QByteArray message = bytes;
    if (message.endsWith(char(0xFF)))
        message.chop(1);
    log.push_back({n, message});
    m_inbox[n] << message;
}

void VirtualPort::close(int n)
{
    if (n >= 1 && n <= 10)
        open[n] = false;
    closedByHost << n;
}

void VirtualPort::startTimer1()
{
    m_timer1Due = m_now + timer1Interval;
}
void VirtualPort::stopTimer1()
{
    m_timer1Due = -1;
}

void VirtualPort::startComputerTimer(int milliseconds)
{
    m_computerDelay = milliseconds;
    m_computerDue = m_now + milliseconds;
}

void VirtualPort::stopComputerTimer()
{
    m_computerDue = -1;
}

bool VirtualPort::step()
{
    if (m_timer1Due < 0 && m_computerDue < 0)
        return false;
    const bool computerFirst =
        m_computerDue >= 0 && (m_timer1Due < 0 || m_computerDue <= m_timer1Due);
    if (computerFirst) {
        m_now = m_computerDue;
        m_computerDue = -1; // one shot
        if (m_server)
            m_server->computertimerTimer();
    } else {
        m_now = m_timer1Due;
        m_timer1Due = m_now + timer1Interval; // repeats until stopped
        if (m_server)
            m_server->timer1Timer();
    }
    return true;
}

void VirtualPort::advance(std::int64_t ms)
{
    const std::int64_t until = m_now + ms;
    for (;;) {
        std::int64_t next = -1;
        if (m_computerDue >= 0)
            next = m_computerDue;
        if (m_timer1Due >= 0 && (next < 0 || m_timer1Due < next))
            next = m_timer1Due;
        if (next < 0 || next > until)
            break;
        step();
    }
    m_now = until;
}

QList<QByteArray> VirtualPort::take(int n)
{
    if (n < 1 || n > 10)
        return {};
    QList<QByteArray> out;
    out.swap(m_inbox[n]);
    return out;
}

void VirtualPort::clearRecords()
{
    log.clear();
    alerts.clear();
    closedByHost.clear();
    for (auto &inbox : m_inbox)
        inbox.clear();
}
