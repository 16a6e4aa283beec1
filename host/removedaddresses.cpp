#include "host/removedaddresses.h"

void RemovedAddresses::add(const QByteArray &block)
{
    if (block.isEmpty() || holds(block))
        return;
    if (m_blocks.size() >= kMost)
        m_blocks.removeFirst();
    m_blocks.append(block);
}

bool RemovedAddresses::holds(const QByteArray &block) const
{
    return !block.isEmpty() && m_blocks.contains(block);
}
