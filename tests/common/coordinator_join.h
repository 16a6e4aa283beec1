#pragma once

// Asking a coordinator for a code as a joiner does, and the answer.
#include "coordinator/coordinatorclient.h"
#include "test_support.h"

namespace testsupport {

struct JoinAnswer
{
    bool answered = false;
    std::optional<Endpoint> direct;
    std::optional<Endpoint> relay;
    QByteArray ticket;
    QString refused;
};

inline JoinAnswer askCoordinator(const QString &coordinator, const QByteArray &code)
{
    CoordinatorClient client({coordinator});
    JoinAnswer answer;
    QObject::connect(&client, &CoordinatorClient::joinDirect, [&](const Endpoint &table) {
        answer.direct = table;
        answer.answered = true;
    });
    QObject::connect(&client, &CoordinatorClient::joinViaRelay,
                     [&](const Endpoint &relay, const QByteArray &ticket) {
                         answer.relay = relay;
                         answer.ticket = ticket;
                         answer.answered = true;
                     });
    QObject::connect(&client, &CoordinatorClient::refused, [&](const QString &why) {
        answer.refused = why;
        answer.answered = true;
    });
    client.join(QString::fromLatin1(code));
    waitUntil([&] { return answer.answered; }, 10000);
    return answer;
}

} // namespace testsupport
