// What the table says about reaching it, from what the router answered.
#include "protocol/addresskind.h"
#include "reach/leaseplan.h"
#include "reach/reachstatus.h"

#include <gtest/gtest.h>

namespace {

// Public addresses here are 11.22.33.0/24 (the router lab's outside range,
// which exists only inside its namespaces) and 2a01:4f8::/32; they are only
// classified and written, never sent to. Documentation ranges are reserved.
TEST(AddressKind, RouterAnswersAreClassifiedOnlyWhenTheyAreOneWholeAddress)
{
    const struct
    {
        const char *text;
        AddressKind kind;
    } cases[] = {
        {"11.22.33.2", AddressKind::Public},
        {" 11.22.33.1 ", AddressKind::Public},
        {"198.51.100.7", AddressKind::Reserved},
        {"203.0.113.9", AddressKind::Reserved},
        {"198.19.0.1", AddressKind::Reserved},
        {"10.77.0.1", AddressKind::Private},
        {"172.16.0.1", AddressKind::Private},
        {"172.31.255.255", AddressKind::Private},
        {"172.32.0.1", AddressKind::Public},
        {"192.168.1.1", AddressKind::Private},
        {"100.64.0.1", AddressKind::Shared},
        {"100.127.255.254", AddressKind::Shared},
        {"100.128.0.1", AddressKind::Public},
        {"169.254.3.4", AddressKind::LinkLocal},
        {"127.0.0.1", AddressKind::Loopback},
        {"0.0.0.0", AddressKind::Unspecified},
        {"239.255.255.250", AddressKind::Multicast},
        {"2a01:4f8::20", AddressKind::Public},
        {"2001:db8::20", AddressKind::Reserved},
        {"fd00::1", AddressKind::Private},
        {"fe80::1", AddressKind::LinkLocal},
        {"::ffff:192.0.2.4", AddressKind::NotAnAddress},
        {"", AddressKind::NotAnAddress},
        {"1", AddressKind::NotAnAddress},
        {"1.2.3", AddressKind::NotAnAddress},
        {"192.0.2.4.5", AddressKind::NotAnAddress},
        {"256.1.1.1", AddressKind::NotAnAddress},
        {"fe80::1%eth0", AddressKind::NotAnAddress},
        {"<b>192.0.2.4</b>", AddressKind::NotAnAddress},
        {"example.org", AddressKind::NotAnAddress},
    };
    for (const auto &c : cases)
        EXPECT_EQ(classifyAddress(QString::fromLatin1(c.text)), c.kind) << c.text;
}

RouterAnswer mapped(const char *outside, int port)
{
    RouterAnswer answer;
    answer.method = RouterAnswer::Method::Upnp;
    answer.mapped = true;
    answer.outsideAddress = QString::fromLatin1(outside);
    answer.outsidePort = port;
    answer.leaseSeconds = 3600;
    answer.lanAddress = QStringLiteral("192.168.1.20");
    return answer;
}

TEST(ReachStatus, OnlyWaysShownToExistAreNamedAndInvited)
{
    const LocalAddresses lanOnly{QStringLiteral("192.168.1.5"), {}};
    const LocalAddresses withIpv6{QStringLiteral("192.168.1.5"), QStringLiteral("2a01:4f8::20")};
    RouterAnswer refused;
    refused.method = RouterAnswer::Method::Upnp;
    refused.failure = QStringLiteral("UPnP: the router refused the mapping (error 501)");
    refused.lanAddress = QStringLiteral("192.168.1.20");
    RouterAnswer hidden = refused;
    hidden.noOutsideAddress = true;
    RouterAnswer nobody;
    nobody.failure = QStringLiteral("no router answered the UPnP search");
    RouterAnswer garbage = mapped("11.22.33.1<script>", 7772);

    const struct
    {
        RouterAnswer answer;
        LocalAddresses local;
        ReachStatus::Way way;
        const char *text;
        QList<ReachAddress> addresses;
    } cases[] = {
        {mapped("11.22.33.1", 7772),
         lanOnly,
         ReachStatus::Way::Router,
         "Friends can join at 11.22.33.1 (the router opened port 7772). At home, friends can "
         "join at 192.168.1.20.",
         {{"11.22.33.1", 7772}, {"192.168.1.20", 7772}}},
        {mapped("11.22.33.1", 7800),
         withIpv6,
         ReachStatus::Way::Router,
         "Friends can join at 11.22.33.1:7800 (port 7772 was taken on the router, so it opened "
         "port 7800). At home, friends can join at 192.168.1.20.",
         {{"11.22.33.1", 7800}, {"2a01:4f8::20", 7772}, {"192.168.1.20", 7772}}},
        {mapped("100.64.9.9", 7772),
         lanOnly,
         ReachStatus::Way::BehindNat,
         "The router's own outside address 100.64.9.9 is not public: it sits behind another NAT, "
         "and friends outside cannot reach this table this way. At home, friends can join at "
         "192.168.1.20.",
         {{"192.168.1.20", 7772}}},
        {mapped("192.168.0.2", 7772),
         lanOnly,
         ReachStatus::Way::BehindNat,
         nullptr,
         {{"192.168.1.20", 7772}}},
        {hidden,
         lanOnly,
         ReachStatus::Way::BehindNat,
         "The router has no public outside address: it sits behind another NAT, and friends "
         "outside cannot reach this table this way. At home, friends can join at 192.168.1.20.",
         {{"192.168.1.20", 7772}}},
        {refused,
         withIpv6,
         ReachStatus::Way::Ipv6,
         "The router did not open the port (UPnP: the router refused the mapping (error 501)). "
         "Friends can join at this machine's IPv6 address 2a01:4f8::20 if its firewall lets TCP "
         "7772 in. At home, friends can join at 192.168.1.20.",
         {{"2a01:4f8::20", 7772}, {"192.168.1.20", 7772}}},
        {nobody,
         lanOnly,
         ReachStatus::Way::NotOpened,
         "The router did not open the port (no router answered the UPnP search). At home, "
         "friends can join at 192.168.1.5.",
         {{"192.168.1.5", 7772}}},
        {garbage,
         lanOnly,
         ReachStatus::Way::NotOpened,
         "The router did not open the port (it gave no usable outside address). At home, friends "
         "can join at 192.168.1.20.",
         {{"192.168.1.20", 7772}}},
        {mapped("203.0.113.9", 7772), // reserved: no way in, though "mapped"
         lanOnly,
         ReachStatus::Way::NotOpened,
         nullptr,
         {{"192.168.1.20", 7772}}},
        {mapped("11.22.33.1", 0),
         LocalAddresses{},
         ReachStatus::Way::NotOpened,
         nullptr,
         {{"192.168.1.20", 7772}}},
    };
    for (const auto &c : cases) {
        const ReachStatus status = describeReach(c.answer, 7772, c.local);
        EXPECT_EQ(status.way, c.way) << status.text.toStdString();
        if (c.text) {
            EXPECT_EQ(status.text, QString::fromLatin1(c.text));
        }
        EXPECT_EQ(status.addresses, c.addresses) << status.text.toStdString();
    }
}

TEST(ReachStatus, AnAnswerCarriedBetweenProcessesIsWholeOrNothing)
{
    RouterAnswer answer = mapped("11.22.33.1", 7801);
    answer.failure = QStringLiteral("line one\nline two");
    answer.controlUrl = QStringLiteral("http://192.168.1.1:5000/ctl/IPConn");
    const RouterAnswer back = decodeAnswer(encodeAnswer(answer));
    EXPECT_TRUE(back.mapped);
    EXPECT_EQ(back.outsidePort, 7801);
    EXPECT_EQ(back.failure, "line one line two");
    EXPECT_EQ(back.controlUrl, answer.controlUrl);

    const QByteArray whole = encodeAnswer(answer);
    for (const QByteArray &cut : {whole.left(whole.size() / 2), QByteArray(),
                                  QByteArray(whole).replace("port=7801", "port=0")}) {
        const RouterAnswer broken = decodeAnswer(cut);
        EXPECT_FALSE(broken.mapped);
        EXPECT_FALSE(broken.failure.isEmpty());
    }
}

TEST(LeasePlan, RenewsHalfwayRetriesSoonerNearTheEndAndGivesUpWhenItRunsOut)
{
    LeasePlan plan;
    plan.granted(0, 3600);
    EXPECT_EQ(plan.nextAskAt(), 1800000);
    plan.failed(1800000);
    EXPECT_EQ(plan.nextAskAt(), 1800000 + LeasePlan::kFirstRetryMs);
    plan.failed(1815000);
    EXPECT_EQ(plan.nextAskAt(), 1815000 + 2 * LeasePlan::kFirstRetryMs);
    // Close to the end, the wait shrinks to half of what is left, but never below the floor.
    plan.failed(3590000);
    EXPECT_EQ(plan.nextAskAt(), 3595000);
    plan.failed(3599000);
    EXPECT_EQ(plan.nextAskAt(), 3600000);
    EXPECT_FALSE(plan.expired(3599999));
    EXPECT_TRUE(plan.expired(3600000));
    plan.failed(3600000);
    EXPECT_FALSE(plan.holding());
    EXPECT_EQ(plan.nextAskAt(), -1);

    // A router that grants less than asked is asked again in time; one without end, never.
    const struct
    {
        int seconds;
        qint64 next;
    } grants[] = {{120, 60000}, {8, 5000}, {2, 2000}, {0, -1}};
    for (const auto &g : grants) {
        plan.granted(1000, g.seconds);
        EXPECT_EQ(plan.nextAskAt(), g.next < 0 ? -1 : 1000 + g.next) << g.seconds;
        EXPECT_TRUE(plan.holding());
    }
}

} // namespace
