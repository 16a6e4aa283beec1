#include "client/reconnection.h"

#include <algorithm>

Reconnection::Reconnection(QObject *parent) : QObject(parent)
{
    m_attemptTimer.setObjectName(QStringLiteral("reconnect_timer"));
    m_attemptTimer.setSingleShot(true);
    connect(&m_attemptTimer, &QTimer::timeout, this, [this] {
        ++m_attempts;
        // The attempt has until the next one to reach the host: an address
        // that does not answer is not waited for the platform's two minutes.
        scheduleNext();
        emit attemptWanted();
    });
    m_giveUpTimer.setSingleShot(true);
    m_giveUpTimer.setInterval(kGiveUpMs);
    connect(&m_giveUpTimer, &QTimer::timeout, this, [this] {
        stop();
        emit gaveUp();
    });
}

int Reconnection::delayBefore(int attempt)
{
    const int doublings = std::clamp(attempt, 0, 16);
    return std::min(kLongestDelayMs, kFirstDelayMs << doublings);
}

void Reconnection::start()
{
    if (m_active)
        return;
    m_active = true;
    m_attempts = 0;
    m_giveUpTimer.start();
    scheduleNext();
}

void Reconnection::scheduleNext()
{
    m_attemptTimer.start(delayBefore(m_attempts));
}

void Reconnection::reached()
{
    m_attemptTimer.stop();
}

void Reconnection::attemptEnded()
{
    if (m_active && !m_attemptTimer.isActive())
        scheduleNext();
}

void Reconnection::stop()
{
    m_active = false;
    m_attemptTimer.stop();
    m_giveUpTimer.stop();
}
