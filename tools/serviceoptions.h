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
#include <QHostInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

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

// An address to listen on: every address when none is given.
inline std::optional<QHostAddress> listenOption(const QHash<QString, QString> &values)
{
    const QHostAddress address(values.value("listen", "::"));
    if (address.isNull())
        return std::nullopt;
    return address;
}

// The "HOST:PORT" players reach a relay at, or empty for the default.
inline std::optional<QByteArray> advertisedOption(const QHash<QString, QString> &values,
                                                  const QString &name)
{
    const QByteArray text = values.value(name).toLatin1();
    if (!text.isEmpty() && !Endpoint::parse(text))
        return std::nullopt;
    return text;
}

// How many connections the process may hold: the descriptors it may open
// (raised to what the system allows) less a few for everything else. A server
// that ran out would stop accepting.
inline int connectionBudget()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1000;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::getrlimit(RLIMIT_NOFILE, &limit);
    }
    return int(std::clamp<rlim_t>(limit.rlim_cur, 128, 1 << 20)) - 64;
}

// A count such as a limit: a whole number from 1 to a million.
inline std::optional<int> countOption(const QHash<QString, QString> &values, const QString &name,
                                      int fallback)
{
    if (!values.contains(name))
        return fallback;
    bool ok = false;
    const int count = values.value(name).toInt(&ok);
    if (!ok || count < 1 || count > 1000000)
        return std::nullopt;
    return count;
}

// A name for this process in the store, unless the operator gave one; the
// store keeps it among words, so it is one word of plain characters.
inline std::optional<QByteArray> idOption(const QHash<QString, QString> &values)
{
    if (!values.contains("id"))
        return QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    const QByteArray id = values.value("id").toLatin1();
    if (id.isEmpty() || id.size() > 64)
        return std::nullopt;
    for (const char c : id) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-')
            return std::nullopt;
    }
    return id;
}

// The Redis store for "--redis HOST[:PORT]", else one in memory; null when
// the name cannot be found. A name is looked up once, here: the store
// reconnects on the event loop, where a lookup would stall everything.
inline std::unique_ptr<CoordinatorStore> storeOption(const QHash<QString, QString> &values)
{
    if (!values.contains("redis")) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        return std::make_unique<MemoryStore>([clock] { return clock->elapsed(); });
    }
    const QByteArray text = values.value("redis").toLatin1();
    const std::optional<Endpoint> given = Endpoint::parse(text);
    Endpoint endpoint = given ? *given : Endpoint{text, 6379};
    if (!endpoint.address()) {
        const QHostInfo found = QHostInfo::fromName(QString::fromLatin1(endpoint.host));
        if (found.addresses().isEmpty())
            return nullptr;
        endpoint.host = found.addresses().first().toString().toLatin1();
    }
    return std::make_unique<RedisStore>(endpoint.host, endpoint.port);
}

inline void say(const QByteArray &line)
{
    std::fprintf(stdout, "%s\n", line.constData());
    std::fflush(stdout);
}

} // namespace service
