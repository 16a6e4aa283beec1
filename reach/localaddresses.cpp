#include "reach/localaddresses.h"

#include "protocol/addresskind.h"

#include <QNetworkInterface>

LocalAddresses findLocalAddresses()
{
    LocalAddresses found;
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            !flags.testFlag(QNetworkInterface::IsRunning) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            const QHostAddress &address = entry.ip();
            const QString text = address.toString();
            const AddressKind kind = classifyAddress(text);
            if (address.protocol() == QAbstractSocket::IPv4Protocol) {
                if (found.lan.isEmpty() &&
                    (kind == AddressKind::Private || kind == AddressKind::Public ||
                     kind == AddressKind::Shared))
                    found.lan = text;
            } else if (found.globalIpv6.isEmpty() && kind == AddressKind::Public &&
                       !entry.isTemporary()) {
                // A temporary address changes within hours; friends get the stable one.
                found.globalIpv6 = text;
            }
        }
    }
    return found;
}
