#include "reach/invitation.h"

#include "protocol/joinlink.h"

#include <QStringList>

QString invitationText(const ReachStatus &status)
{
    QStringList links;
    for (const ReachAddress &address : status.addresses) {
        const QString link = joinLink(JoinTarget{address.host, address.port});
        if (!link.isEmpty())
            links << link;
    }
    return links.join(QLatin1Char('\n'));
}
