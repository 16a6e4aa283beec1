#pragma once

#include <QtGlobal>

// When to ask the router again for the mapping, on a clock the caller gives
// (milliseconds from any start). A lease is renewed halfway through, so one
// lost answer still leaves time to try again before it ends; a failed renewal
// is tried again sooner and sooner as the end comes near. A lease without end
// is never renewed.
class LeasePlan
{
public:
    static constexpr int kAskSeconds = 3600;
    static constexpr qint64 kShortestWaitMs = 5000;
    static constexpr qint64 kFirstRetryMs = 15000;

    // A lease of `seconds` was granted at `now` (0: without end).
    void granted(qint64 now, int seconds);
    // Asking at `now` failed.
    void failed(qint64 now);
    void clear();

    // When to ask next, or -1 when nothing needs asking.
    qint64 nextAskAt() const { return m_nextAsk; }
    // Whether the last granted lease has run out by `now` (a lease without end never does).
    bool expired(qint64 now) const { return m_endsAt >= 0 && now >= m_endsAt; }
    bool holding() const { return m_holding; }

private:
    bool m_holding = false;
    qint64 m_endsAt = -1;
    qint64 m_nextAsk = -1;
    int m_failures = 0;
};
