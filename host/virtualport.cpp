#include "host/virtualport.h"

#include "host/tserver.h"

bool VirtualPort::accept(int n)
{
    if (refuseAccepts || n < 1 || n > 10)
        return false;
    open[n] = true;
    m_origins[n] = waitingFrom;
    return true;
}

QByteArray VirtualPort::originOf(int n) const
{
    return n >= 1 && n <= 10 ? m_origins[n] : QByteArray();
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

void VirtualPort::startLoginTimer(int n, int milliseconds)
{
    if (n >= 1 && n <= 10)
        m_loginDue[n] = m_now + milliseconds;
}

void VirtualPort::stopLoginTimer(int n)
{
    if (n >= 1 && n <= 10)
        m_loginDue[n] = -1;
}

void VirtualPort::startGraceTimer(int seat, int milliseconds)
{
    if (seat >= 1 && seat <= 4)
        m_graceDue[seat] = m_now + milliseconds;
}

void VirtualPort::stopGraceTimer(int seat)
{
    if (seat >= 1 && seat <= 4)
        m_graceDue[seat] = -1;
}

void VirtualPort::renumber(int from, int to)
{
    if (from < 1 || from > 10 || to < 1 || to > 10)
        return;
    open[to] = open[from];
    open[from] = false;
    m_origins[to] = std::exchange(m_origins[from], QByteArray());
    renumbered << std::pair{from, to};
}

// Not secret, only different each time, so runs repeat.
QByteArray VirtualPort::randomBytes(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        m_random = m_random * 6364136223846793005ull + 1442695040888963407ull;
        bytes += char(m_random >> 56);
    }
    return bytes;
}

std::int64_t VirtualPort::nextDue() const
{
    std::int64_t next = -1;
    auto consider = [&next](std::int64_t due) {
        if (due >= 0 && (next < 0 || due < next))
            next = due;
    };
    consider(m_computerDue);
    consider(m_timer1Due);
    for (std::int64_t due : m_loginDue)
        consider(due);
    for (std::int64_t due : m_graceDue)
        consider(due);
    return next;
}

bool VirtualPort::step()
{
    const std::int64_t next = nextDue();
    if (next < 0)
        return false;
    m_now = next;
    // Ties go to the computer move, then the pause tick, then the deadlines.
    if (m_computerDue == next) {
        m_computerDue = -1; // one shot
        if (m_server)
            m_server->computertimerTimer();
    } else if (m_timer1Due == next) {
        m_timer1Due = m_now + timer1Interval; // repeats until stopped
        if (m_server)
            m_server->timer1Timer();
    } else {
        for (int n = 1; n <= 10; ++n) {
            if (m_loginDue[n] == next) {
                m_loginDue[n] = -1;
                if (m_server)
                    m_server->loginTimer(n);
                return true;
            }
        }
        for (int seat = 1; seat <= 4; ++seat) {
            if (m_graceDue[seat] == next) {
                m_graceDue[seat] = -1;
                if (m_server)
                    m_server->graceTimer(seat);
                return true;
            }
        }
    }
    return true;
}

void VirtualPort::advance(std::int64_t ms)
{
    const std::int64_t until = m_now + ms;
    for (std::int64_t next = nextDue(); next >= 0 && next <= until; next = nextDue())
        step();
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
    renumbered.clear();
    for (auto &inbox : m_inbox)
        inbox.clear();
}
