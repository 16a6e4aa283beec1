#include "protocol/hostresolver.h"

#include <QHash>
#include <QHostInfo>
#include <QSet>
#include <QTimer>

namespace {

class SystemHostResolver : public HostResolver
{
public:
    int lookup(const QString &name, QObject *context, Answer answer) override
    {
        const auto cached = m_cache.constFind(name);
        if (cached != m_cache.constEnd()) {
            // Even a remembered name answers from the loop, as a lookup would.
            const int id = --m_cachedIds;
            m_pending.insert(id);
            QTimer::singleShot(0, context, [this, id, found = *cached, answer] {
                if (m_pending.remove(id))
                    answer(found);
            });
            return id;
        }
        return QHostInfo::lookupHost(name, context, [this, name, answer](const QHostInfo &info) {
            QList<QHostAddress> found;
            if (info.error() == QHostInfo::NoError) {
                for (const QHostAddress &address : info.addresses()) {
                    const auto family = address.protocol();
                    if ((family == QAbstractSocket::IPv4Protocol ||
                         family == QAbstractSocket::IPv6Protocol) &&
                        !found.contains(address))
                        found.append(address);
                }
            }
            if (!found.isEmpty())
                m_cache.insert(name, found);
            answer(found);
        });
    }

    void cancel(int id) override
    {
        if (id < 0)
            m_pending.remove(id);
        else
            QHostInfo::abortHostLookup(id);
    }

private:
    QHash<QString, QList<QHostAddress>> m_cache;
    QSet<int> m_pending; // answers from the cache not yet delivered
    int m_cachedIds = 0;
};

} // namespace

HostResolver &systemHostResolver()
{
    static SystemHostResolver resolver;
    return resolver;
}
