#pragma once

// What spades-coordinator and spades-relay share: reading their options and
// the store they name; both stop cleanly on signals (terminationsignals.h).
#include "coordinator/endpoint.h"
#include "coordinator/memorystore.h"
#include "coordinator/redisstore.h"
#include "protocol/terminationsignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <memory>

namespace service {

// "--name value" pairs; a flag without a value, or one not in `known`, is an error.
inline std::optional<QHash<QString, QString>> options(const QStringList &arguments,
                                                      const QStringList &known)
{
    QHash<QString, QString> values;
    for (qsizetype i = 1; i < arguments.size(); i += 2) {
        const QString name = arguments[i];
        if (!name.startsWith("--") || !known.contains(name.mid(2)) || i + 1 >= arguments.size())
            return std::nullopt;
        values.insert(name.mid(2), arguments[i + 1]);
    }
    return values;
}

inline std::optional<quint16> portOption(const QHash<QString, QString> &values, const QString &name,
                                         quint16 fallback)
{
    if (!values.contains(name))
        return fallback;
    bool ok = false;
    const uint port = values.value(name).toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}

// A name for this process in the store, unless the operator gave one.
inline QByteArray idOption(const QHash<QString, QString> &values)
{
    if (values.contains("id"))
        return values.value("id").toLatin1();
    return QByteArray::number(QRandomGenerator::system()->generate64(), 16);
}

// The Redis store for "--redis HOST[:PORT]", else one in memory.
inline std::unique_ptr<CoordinatorStore> storeOption(const QHash<QString, QString> &values)
{
    if (!values.contains("redis")) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        return std::make_unique<MemoryStore>([clock] { return clock->elapsed(); });
    }
    const QByteArray text = values.value("redis").toLatin1();
    const std::optional<Endpoint> endpoint = Endpoint::parse(text);
    if (endpoint)
        return std::make_unique<RedisStore>(endpoint->host, endpoint->port);
    return std::make_unique<RedisStore>(text, 6379);
}

inline void say(const QByteArray &line)
{
    std::fprintf(stdout, "%s\n", line.constData());
    std::fflush(stdout);
}

} // namespace service
