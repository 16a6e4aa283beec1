#include "reach/routerclient.h"

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <natpmp.h>

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <sys/select.h>

#if !defined(MINIUPNPC_API_VERSION) || MINIUPNPC_API_VERSION < 17
#error "miniupnpc API 17 or later is needed"
#endif

namespace {

constexpr const char *kDescription = "Spades table";
constexpr int kConflict = 718;
constexpr int kOnlyPermanentLeases = 725;
constexpr int kPortsToTry = 8;

// Text from a fixed C buffer the library filled; never trusted to be terminated.
QString fromBuffer(const char *buffer, int size)
{
    return QString::fromLatin1(buffer, qstrnlen(buffer, size));
}

QString upnpFailure(int code)
{
    if (code == kConflict)
        return QStringLiteral("UPnP: the port is taken on the router (error 718)");
    if (code == 501)
        return QStringLiteral("UPnP: the router refused the mapping (error 501)");
    if (code == 606)
        return QStringLiteral("UPnP: the router does not allow mappings (error 606)");
    if (code < 0)
        return QStringLiteral("UPnP: the router's answer could not be read");
    return QStringLiteral("UPnP: the router refused the mapping (error %1)").arg(code);
}

// The UPnP control point of the router, found by searching the home network.
struct UpnpRouter
{
    UPNPUrls urls{};
    IGDdatas data{};
    char lan[64] = {};
    int found = 0;

    explicit UpnpRouter(int discoverMs)
    {
        int error = 0;
        // One search for routers only: searching every device type one after the
        // other makes a home without a router wait several times as long.
        UPNPDev *devices = upnpDiscoverDevice("urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                              discoverMs, nullptr, nullptr, 0, 0, 2, &error);
        if (!devices)
            return;
        found = UPNP_GetValidIGD(devices, &urls, &data, lan, sizeof lan);
        freeUPNPDevlist(devices);
    }
    ~UpnpRouter()
    {
        if (found != 0)
            FreeUPNPUrls(&urls);
    }
    UpnpRouter(const UpnpRouter &) = delete;
    UpnpRouter &operator=(const UpnpRouter &) = delete;
};

int addUpnpMapping(const QString &control, const QString &service, int outsidePort,
                   const MappingRequest &request, const QString &lan, int lease)
{
    const QByteArray outside = QByteArray::number(outsidePort);
    const QByteArray inside = QByteArray::number(request.internalPort);
    return UPNP_AddPortMapping(control.toLatin1(), service.toLatin1(), outside, inside,
                               lan.toLatin1(), kDescription, "TCP", nullptr,
                               QByteArray::number(lease));
}

// Asks for the wanted port, then for whatever port the router offers when it
// is taken; a router that only gives leases without end gets asked for one.
void mapWithUpnp(RouterAnswer &answer, const MappingRequest &request)
{
    int lease = request.leaseSeconds;
    int code = addUpnpMapping(answer.controlUrl, answer.serviceType, request.wantedPort, request,
                              answer.lanAddress, lease);
    if (code == kOnlyPermanentLeases) {
        lease = 0;
        code = addUpnpMapping(answer.controlUrl, answer.serviceType, request.wantedPort, request,
                              answer.lanAddress, lease);
    }
    int port = request.wantedPort;
    if (code == kConflict && answer.serviceType.endsWith(QLatin1String(":2"))) {
        char reserved[8] = {};
        code = UPNP_AddAnyPortMapping(answer.controlUrl.toLatin1(), answer.serviceType.toLatin1(),
                                      QByteArray::number(request.wantedPort),
                                      QByteArray::number(request.internalPort),
                                      answer.lanAddress.toLatin1(), kDescription, "TCP", nullptr,
                                      QByteArray::number(lease), reserved);
        bool ok = false;
        port = fromBuffer(reserved, sizeof reserved).toInt(&ok);
        if (code == 0 && (!ok || port <= 0 || port > 65535))
            code = -1;
    }
    for (int step = 1; code == kConflict && step <= kPortsToTry; ++step) {
        port = request.wantedPort + step;
        code = addUpnpMapping(answer.controlUrl, answer.serviceType, port, request,
                              answer.lanAddress, lease);
    }
    if (code != 0) {
        answer.failure = upnpFailure(code);
        return;
    }
    answer.mapped = true;
    answer.outsidePort = port;
    answer.leaseSeconds = lease;
}

RouterAnswer askUpnp(const MappingRequest &request)
{
    RouterAnswer answer;
    const UpnpRouter router(request.discoverMs);
    if (router.found == 0) {
        answer.failure = QStringLiteral("no router answered the UPnP search");
        return answer;
    }
    if (router.found == 3) {
        answer.failure = QStringLiteral("a UPnP device answered, but it is not a router");
        return answer;
    }
    answer.method = RouterAnswer::Method::Upnp;
    answer.lanAddress = fromBuffer(router.lan, sizeof router.lan);
    answer.controlUrl = QString::fromLatin1(router.urls.controlURL ? router.urls.controlURL : "");
    answer.serviceType = fromBuffer(router.data.first.servicetype, MINIUPNPC_URL_MAXSIZE);
    char outside[64] = {};
    if (UPNP_GetExternalIPAddress(router.urls.controlURL, router.data.first.servicetype, outside) ==
        0)
        answer.outsideAddress = fromBuffer(outside, sizeof outside).trimmed();
    answer.noOutsideAddress = answer.outsideAddress.isEmpty();
    mapWithUpnp(answer, request);
    return answer;
}

// One NAT-PMP exchange; false when no answer came before the deadline.
bool natPmpExchange(natpmp_t &session, natpmpresp_t &response, const QElapsedTimer &clock,
                    int deadlineMs, int &result)
{
    for (;;) {
        const qint64 left = deadlineMs - clock.elapsed();
        if (left <= 0)
            return false;
        timeval wait{};
        getnatpmprequesttimeout(&session, &wait);
        const qint64 waitMs = qint64(wait.tv_sec) * 1000 + wait.tv_usec / 1000;
        if (waitMs > left) {
            wait.tv_sec = time_t(left / 1000);
            wait.tv_usec = suseconds_t(left % 1000) * 1000;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(session.s, &readable);
        ::select(session.s + 1, &readable, nullptr, nullptr, &wait);
        result = readnatpmpresponseorretry(&session, &response);
        if (result != NATPMP_TRYAGAIN)
            return true;
    }
}

QString natPmpFailure(int result)
{
    switch (result) {
    case NATPMP_ERR_NOTAUTHORIZED:
        return QStringLiteral("NAT-PMP: the router does not allow mappings");
    case NATPMP_ERR_NETWORKFAILURE:
        return QStringLiteral("NAT-PMP: the router has no outside connection of its own");
    case NATPMP_ERR_OUTOFRESOURCES:
        return QStringLiteral("NAT-PMP: the router has no port left to give");
    case NATPMP_ERR_NOGATEWAYSUPPORT:
    case NATPMP_ERR_CANNOTGETGATEWAY:
        return QStringLiteral("no router to ask over NAT-PMP");
    default:
        return QStringLiteral("NAT-PMP: the router's answer was an error (%1)").arg(result);
    }
}

RouterAnswer mapWithNatPmp(const MappingRequest &request, int outsidePort)
{
    RouterAnswer answer;
    natpmp_t session{};
    if (initnatpmp(&session, 0, 0) != 0) {
        answer.failure = QStringLiteral("no router to ask over NAT-PMP");
        return answer;
    }
    QElapsedTimer clock;
    clock.start();
    natpmpresp_t response{};
    int result = 0;
    sendpublicaddressrequest(&session);
    if (!natPmpExchange(session, response, clock, request.natPmpMs, result)) {
        closenatpmp(&session);
        answer.failure = QStringLiteral("no router answered over NAT-PMP");
        return answer;
    }
    answer.method = RouterAnswer::Method::NatPmp;
    if (result == NATPMP_ERR_NETWORKFAILURE)
        answer.noOutsideAddress = true;
    if (result == 0 && response.type == NATPMP_RESPTYPE_PUBLICADDRESS) {
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &response.pnu.publicaddress.addr, text, sizeof text);
        answer.outsideAddress = QString::fromLatin1(text);
    }
    sendnewportmappingrequest(&session, NATPMP_PROTOCOL_TCP, uint16_t(request.internalPort),
                              uint16_t(outsidePort), uint32_t(request.leaseSeconds));
    const bool replied = natPmpExchange(session, response, clock, request.natPmpMs, result);
    closenatpmp(&session);
    if (!replied) {
        answer.failure = QStringLiteral("the router did not answer the NAT-PMP mapping request");
        return answer;
    }
    if (result != 0 || response.type != NATPMP_RESPTYPE_TCPPORTMAPPING) {
        answer.failure = natPmpFailure(result);
        return answer;
    }
    answer.mapped = response.pnu.newportmapping.mappedpublicport != 0;
    answer.outsidePort = response.pnu.newportmapping.mappedpublicport;
    answer.leaseSeconds = int(std::min<uint32_t>(response.pnu.newportmapping.lifetime, 1u << 30));
    if (!answer.mapped)
        answer.failure = QStringLiteral("NAT-PMP: the router gave no port");
    return answer;
}

} // namespace

RouterAnswer askRouter(const MappingRequest &request)
{
    RouterAnswer upnp;
    if (request.useUpnp) {
        upnp = askUpnp(request);
        if (upnp.mapped)
            return upnp;
    }
    if (!request.useNatPmp)
        return upnp;
    RouterAnswer natPmp = mapWithNatPmp(request, request.wantedPort);
    if (natPmp.mapped || upnp.method == RouterAnswer::Method::None)
        return natPmp;
    // Both refused: the UPnP answer says more, unless NAT-PMP told of a missing outside address.
    upnp.noOutsideAddress = upnp.noOutsideAddress || natPmp.noOutsideAddress;
    if (natPmp.method != RouterAnswer::Method::None)
        upnp.failure += QStringLiteral("; ") + natPmp.failure;
    return upnp;
}

RouterAnswer renewMapping(const RouterAnswer &held, const MappingRequest &request)
{
    if (held.method == RouterAnswer::Method::NatPmp)
        return mapWithNatPmp(request, held.outsidePort);
    RouterAnswer answer = held;
    answer.mapped = false;
    const int code = addUpnpMapping(held.controlUrl, held.serviceType, held.outsidePort, request,
                                    held.lanAddress, held.leaseSeconds);
    if (code != 0) {
        answer.failure = upnpFailure(code);
        return answer;
    }
    answer.mapped = true;
    return answer;
}

bool releaseMapping(const RouterAnswer &held, const MappingRequest &request)
{
    if (!held.mapped)
        return true;
    if (held.method == RouterAnswer::Method::NatPmp) {
        // NAT-PMP mappings belong to the asking machine and its inside port: a
        // lifetime of 0 removes only ours.
        MappingRequest removal = request;
        removal.leaseSeconds = 0;
        mapWithNatPmp(removal, 0);
        return true;
    }
    const QByteArray control = held.controlUrl.toLatin1();
    const QByteArray service = held.serviceType.toLatin1();
    const QByteArray port = QByteArray::number(held.outsidePort);
    char client[64] = {};
    char inside[16] = {};
    char description[96] = {};
    char enabled[8] = {};
    char lease[24] = {};
    if (UPNP_GetSpecificPortMappingEntry(control, service, port, "TCP", nullptr, client, inside,
                                         description, enabled, lease) != 0)
        return false;
    // Another table may have taken the port since: its mapping is not ours to remove.
    if (fromBuffer(client, sizeof client) != held.lanAddress ||
        fromBuffer(inside, sizeof inside).toInt() != request.internalPort)
        return false;
    return UPNP_DeletePortMapping(control, service, port, "TCP", nullptr) == 0;
}
