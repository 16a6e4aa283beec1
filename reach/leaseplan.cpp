#include "reach/leaseplan.h"

#include <algorithm>

void LeasePlan::granted(qint64 now, int seconds)
{
    m_holding = true;
    m_failures = 0;
    if (seconds <= 0) {
        m_endsAt = -1;
        m_nextAsk = -1;
        return;
    }
    const qint64 length = qint64(seconds) * 1000;
    m_endsAt = now + length;
    m_nextAsk = now + std::max(length / 2, std::min(kShortestWaitMs, length));
}

void LeasePlan::failed(qint64 now)
{
    if (!m_holding || m_endsAt < 0) {
        // Nothing held (or nothing that runs out): the first answer decided the status.
        m_nextAsk = -1;
        return;
    }
    if (now >= m_endsAt) {
        clear();
        return;
    }
    ++m_failures;
    const qint64 backoff = kFirstRetryMs << std::min(m_failures - 1, 6);
    const qint64 left = m_endsAt - now;
    // Never wait past half of what is left, and never spin.
    m_nextAsk = now + std::max(kShortestWaitMs, std::min(backoff, left / 2));
    if (m_nextAsk >= m_endsAt)
        m_nextAsk = m_endsAt;
}

void LeasePlan::clear()
{
    m_holding = false;
    m_endsAt = -1;
    m_nextAsk = -1;
    m_failures = 0;
}
