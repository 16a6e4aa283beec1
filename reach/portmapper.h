#pragma once

#include "reach/boundedcall.h"
#include "reach/reachstatus.h"
#include "reach/routerclient.h"

#include <QObject>
#include <QThread>
#include <functional>

class MappingWorker;

// Asks the router to forward the table's port, keeps the lease, and removes
// the mapping when the table closes; tells the result as a ReachStatus. All
// router traffic runs on a thread of its own, each exchange in a child process
// with a deadline (boundedcall.h), so neither the window nor the host waits.
//
// Use: make one on the window's or the console's thread, connect
// statusChanged, call start(). Destroying it removes the mapping it made,
// waiting a few seconds at most.
class PortMapper : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        MappingRequest request;
        CallLimits limits;
        // This machine's own addresses; tests give fixed ones.
        std::function<LocalAddresses()> localAddresses;
    };

    explicit PortMapper(Options options, QObject *parent = nullptr);
    ~PortMapper() override;

    void start();
    ReachStatus status() const { return m_status; }

signals:
    void statusChanged(const ReachStatus &status);

private:
    void answered(const RouterAnswer &answer);

    Options m_options;
    ReachStatus m_status;
    QThread m_thread;
    MappingWorker *m_worker = nullptr;
    bool m_started = false;
};
