#include "reach/mappingworker.h"

#include <algorithm>

MappingWorker::MappingWorker(MappingRequest request, CallLimits limits)
    : m_request(request), m_limits(limits), m_renewal(this)
{
    m_renewal.setSingleShot(true);
    connect(&m_renewal, &QTimer::timeout, this, &MappingWorker::renew);
    m_clock.start();
}

std::optional<RouterAnswer> MappingWorker::ask(const std::function<RouterAnswer()> &call) const
{
    const std::optional<QByteArray> reply =
        runBounded([&call] { return encodeAnswer(call()); }, m_limits);
    if (!reply)
        return std::nullopt;
    return decodeAnswer(*reply);
}

void MappingWorker::map()
{
    const MappingRequest request = m_request;
    std::optional<RouterAnswer> answer = ask([request] { return askRouter(request); });
    if (!answer) {
        RouterAnswer late;
        late.failure = QStringLiteral("the router did not answer in time");
        emit answered(late);
        return;
    }
    if (answer->mapped) {
        m_held = *answer;
        m_plan.granted(m_clock.elapsed(), answer->leaseSeconds);
        planNext();
    }
    emit answered(*answer);
}

void MappingWorker::renew()
{
    const RouterAnswer held = m_held;
    const MappingRequest request = m_request;
    std::optional<RouterAnswer> answer =
        ask([held, request] { return renewMapping(held, request); });
    const qint64 now = m_clock.elapsed();
    if (answer && answer->mapped && answer->outsidePort == m_held.outsidePort) {
        m_held.leaseSeconds = answer->leaseSeconds;
        if (!answer->outsideAddress.isEmpty())
            m_held.outsideAddress = answer->outsideAddress;
        m_plan.granted(now, answer->leaseSeconds);
        emit answered(m_held);
    } else {
        m_plan.failed(now);
        if (!m_plan.holding()) {
            // The lease ran out unrenewed: the way in is gone.
            RouterAnswer lost;
            lost.method = m_held.method;
            lost.lanAddress = m_held.lanAddress;
            lost.failure = QStringLiteral("the router stopped renewing the mapping");
            m_held = RouterAnswer();
            emit answered(lost);
        }
    }
    planNext();
}

void MappingWorker::planNext()
{
    const qint64 at = m_plan.nextAskAt();
    if (at < 0) {
        m_renewal.stop();
        return;
    }
    m_renewal.start(int(std::clamp<qint64>(at - m_clock.elapsed(), 0, 1 << 30)));
}

void MappingWorker::release()
{
    m_renewal.stop();
    if (!m_held.mapped)
        return;
    const RouterAnswer held = m_held;
    const MappingRequest request = m_request;
    runBounded([held, request] { return QByteArray(releaseMapping(held, request) ? "1" : "0"); },
               m_limits);
    m_held = RouterAnswer();
    m_plan.clear();
}
