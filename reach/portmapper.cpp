#include "reach/portmapper.h"

#include "reach/localaddresses.h"
#include "reach/mappingworker.h"

PortMapper::PortMapper(Options options, QObject *parent)
    : QObject(parent), m_options(std::move(options))
{
    if (!m_options.localAddresses)
        m_options.localAddresses = findLocalAddresses;
    qRegisterMetaType<RouterAnswer>();
    qRegisterMetaType<ReachStatus>();
    m_status = askingStatus(m_options.request.internalPort);
    m_worker = new MappingWorker(m_options.request, m_options.limits);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &MappingWorker::answered, this, &PortMapper::answered, Qt::QueuedConnection);
    m_thread.setObjectName(QStringLiteral("port mapping"));
    m_thread.start();
}

PortMapper::~PortMapper()
{
    // Waits for the exchange under way, then for the removal: both have deadlines.
    if (m_started)
        QMetaObject::invokeMethod(m_worker, &MappingWorker::release, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

void PortMapper::start()
{
    if (m_started)
        return;
    m_started = true;
    emit statusChanged(m_status);
    QMetaObject::invokeMethod(m_worker, &MappingWorker::map, Qt::QueuedConnection);
}

void PortMapper::answered(const RouterAnswer &answer)
{
    const ReachStatus status =
        describeReach(answer, m_options.request.internalPort, m_options.localAddresses());
    if (status.text == m_status.text && status.addresses == m_status.addresses)
        return;
    m_status = status;
    emit statusChanged(m_status);
}
