#pragma once

#include "protocol/hostresolver.h"

#include <QPointer>
#include <QTcpServer>

namespace testsupport {

// A name service that answers only when the test says so.
struct FakeResolver : HostResolver
{
    struct Question
    {
        QString name;
        QPointer<QObject> context;
        Answer answer;
        bool cancelled = false;
    };
    QList<Question> asked;

    int lookup(const QString &name, QObject *context, Answer answer) override
    {
        asked.append({name, context, std::move(answer)});
        return int(asked.size()) - 1;
    }
    void cancel(int id) override { asked[id].cancelled = true; }
    void reply(int id, const QList<QHostAddress> &addresses)
    {
        if (!asked[id].cancelled && asked[id].context)
            asked[id].answer(addresses);
    }
};

// Whether this machine can use the IPv6 loopback address.
inline bool ipv6LoopbackWorks()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHostIPv6, 0);
}

} // namespace testsupport
