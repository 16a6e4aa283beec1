#pragma once

#include "reach/boundedcall.h"
#include "reach/leaseplan.h"
#include "reach/routeranswer.h"
#include "reach/routerclient.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>

// The thread side of PortMapper: one router exchange at a time, the lease
// plan and its renewal timer. Lives on the mapper's own thread.
class MappingWorker : public QObject
{
    Q_OBJECT

public:
    MappingWorker(MappingRequest request, CallLimits limits);

    void map();
    // Removes the mapping made here, if any, and stops renewing.
    void release();

signals:
    void answered(const RouterAnswer &answer);

private:
    void renew();
    void planNext();
    std::optional<RouterAnswer> ask(const std::function<RouterAnswer()> &call) const;

    MappingRequest m_request;
    CallLimits m_limits;
    RouterAnswer m_held;
    LeasePlan m_plan;
    QTimer m_renewal;
    QElapsedTimer m_clock;
};
