#include "reach/reachstatus.h"

#include "protocol/addresskind.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ReachStatus", text);
}

QString hostAndPort(const QString &host, int port, int usual)
{
    if (port == usual)
        return host;
    if (host.contains(QLatin1Char(':')))
        return QStringLiteral("[%1]:%2").arg(host).arg(port);
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

// The ways that need no router: a global IPv6 address, and the home network.
void addOwnWays(ReachStatus &status, int port, const LocalAddresses &local, bool sayIpv6)
{
    if (classifyAddress(local.globalIpv6) == AddressKind::Public) {
        if (sayIpv6)
            status.text += tr(" Friends can join at this machine's IPv6 address %1 if its "
                              "firewall lets TCP %2 in.")
                               .arg(hostAndPort(local.globalIpv6, port, 7772))
                               .arg(port);
        status.addresses.append({local.globalIpv6, port});
    }
    if (!local.lan.isEmpty() && classifyAddress(local.lan) != AddressKind::NotAnAddress) {
        status.text +=
            tr(" At home, friends can join at %1.").arg(hostAndPort(local.lan, port, 7772));
        status.addresses.append({local.lan, port});
    }
}

} // namespace

ReachStatus askingStatus(int port)
{
    ReachStatus status;
    status.text = tr("Asking the router to open port %1...").arg(port);
    return status;
}

ReachStatus offStatus(int port, const LocalAddresses &local)
{
    ReachStatus status;
    status.way = ReachStatus::Way::Off;
    status.text = tr("Port mapping is off: the router was not asked to open the port.");
    addOwnWays(status, port, local, true);
    return status;
}

ReachStatus describeReach(const RouterAnswer &answer, int port, const LocalAddresses &given)
{
    LocalAddresses local = given;
    if (classifyAddress(answer.lanAddress) != AddressKind::NotAnAddress &&
        answer.lanAddress.count(QLatin1Char('.')) == 3)
        local.lan = answer.lanAddress.trimmed();

    ReachStatus status;
    const AddressKind outside = classifyAddress(answer.outsideAddress);
    const bool validPort = answer.outsidePort > 0 && answer.outsidePort <= 65535;
    if (answer.mapped && validPort && isReachableFromInternet(outside)) {
        const QString host = answer.outsideAddress.trimmed();
        status.way = ReachStatus::Way::Router;
        status.text =
            answer.outsidePort == port
                ? tr("Friends can join at %1 (the router opened port %2).").arg(host).arg(port)
                : tr("Friends can join at %1 (port %2 was taken on the router, so it "
                     "opened port %3).")
                      .arg(hostAndPort(host, answer.outsidePort, port))
                      .arg(port)
                      .arg(answer.outsidePort);
        status.addresses.append({host, answer.outsidePort});
        addOwnWays(status, port, local, false);
        return status;
    }
    if (isBehindAnotherNat(outside) ||
        (answer.noOutsideAddress && answer.method != RouterAnswer::Method::None)) {
        status.way = ReachStatus::Way::BehindNat;
        status.text = isBehindAnotherNat(outside)
                          ? tr("The router's own outside address %1 is not public: it sits "
                               "behind another NAT, and friends outside cannot reach this "
                               "table this way.")
                                .arg(answer.outsideAddress.trimmed())
                          : tr("The router has no public outside address: it sits behind "
                               "another NAT, and friends outside cannot reach this table "
                               "this way.");
    } else {
        status.way = ReachStatus::Way::NotOpened;
        QString why = answer.failure.trimmed();
        if (answer
                .mapped) // a mapping whose outside address is no address opens nothing we can name
            why = tr("it gave no usable outside address");
        if (why.isEmpty())
            why = tr("no reason given");
        status.text = tr("The router did not open the port (%1).").arg(why);
    }
    addOwnWays(status, port, local, true);
    if (status.way == ReachStatus::Way::NotOpened && !status.addresses.isEmpty() &&
        classifyAddress(status.addresses.first().host) == AddressKind::Public)
        status.way = ReachStatus::Way::Ipv6;
    return status;
}
