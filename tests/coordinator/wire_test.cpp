#include "coordinator/coordinatormessages.h"
#include "coordinator/relaypreamble.h"
#include "coordinator/tablegreeting.h"
#include "protocol/invitecode.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace coord;

namespace {

TEST(InviteCode, isFortyBitsPeopleCanTypeAsTheyHearIt)
{
    QSet<QByteArray> seen;
    for (quint64 bits : {0ULL, 1ULL, 31ULL, 32ULL, (1ULL << 40) - 1, 0x123456789AULL}) {
        const QByteArray code = invite::fromBits(bits);
        EXPECT_EQ(code.size(), 8);
        EXPECT_FALSE(code.contains('I') || code.contains('L') || code.contains('O') ||
                     code.contains('U'));
        EXPECT_EQ(invite::normalize(code), code);
        seen.insert(code);
    }
    EXPECT_EQ(seen.size(), 6);
    EXPECT_EQ(invite::fromBits(1ULL << 40), invite::fromBits(0)) << "only 40 bits count";

    const struct
    {
        const char *typed;
        std::optional<QByteArray> code;
    } cases[] = {
        {"7KQ2-M9XD", "7KQ2M9XD"},
        {"7kq2 m9xd", "7KQ2M9XD"},
        {"OIL0-UUUU", "0110VVVV"},
        {"7KQ2M9X", std::nullopt},
        {"7KQ2M9XDD", std::nullopt},
        {"7KQ2_M9XD", std::nullopt},
        {"", std::nullopt},
        {"7KQ2-M9X\xC3\xA9", std::nullopt},
        {"--------------------------------7KQ2M9XD", std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(invite::normalize(c.typed), c.code) << c.typed;
    EXPECT_EQ(invite::display("7KQ2M9XD"), "7KQ2-M9XD");
    EXPECT_EQ(invite::link("7KQ2M9XD"), "spades://code/7KQ2-M9XD");
}

TEST(CoordinatorMessages, roundTripAndRefuseWhatDoesNotFit)
{
    const QByteArray key(32, 'c');
    const QList<ToCoordinator> toCoordinator{
        toCoordinator::Host{7772, key, std::nullopt, {}},
        toCoordinator::Host{
            7772,
            key,
            "7KQ2M9XD",
            {*Endpoint::parse("81.2.69.142:7772"), *Endpoint::parse("[2a01:4f8::1]:1")}},
        toCoordinator::Beat{}, toCoordinator::Leave{}, toCoordinator::Join{"7KQ2M9XD"}};
    for (const ToCoordinator &message : toCoordinator) {
        const QByteArray line = std::visit([](const auto &m) { return m.encode(); }, message);
        EXPECT_EQ(decodeToCoordinator(line), message) << line.constData();
    }
    const QList<FromCoordinator> fromCoordinator{
        fromCoordinator::Hosted{"7KQ2M9XD"},
        fromCoordinator::Reach{},
        fromCoordinator::Reach{*Endpoint::parse("[2a01:4f8::1]:7772")},
        fromCoordinator::Open{*Endpoint::parse("relay.example.net:7774"), key},
        fromCoordinator::Direct{*Endpoint::parse("81.2.69.142:7772")},
        fromCoordinator::ViaRelay{*Endpoint::parse("127.0.0.1:9"), key},
        fromCoordinator::Refused{"No table has that code."}};
    for (const FromCoordinator &message : fromCoordinator) {
        const QByteArray line = std::visit([](const auto &m) { return m.encode(); }, message);
        EXPECT_EQ(decodeFromCoordinator(line), message) << line.constData();
    }
    for (const QByteArray &line : QList<QByteArray>{
             QByteArray("host 0 " + key + " -"), "host 7772 " + key.toUpper() + " -",
             "host 7772 " + key + " 7KQ2-M9XD", "host 7772 " + key + " - name.example:1",
             "host 7772 " + key + " - 192.0.2.4:1 192.0.2.4:2 192.0.2.4:3 192.0.2.4:4 192.0.2.4:5",
             "host 7772 " + key, "beat now", "join", "join 7KQ2M9XD extra", "join  7KQ2M9XD",
             "join 7KQ2M9XD ", "JOIN 7KQ2M9XD", "join 7KQ2\tM9XD", QByteArray(2000, 'j'),
             QByteArray("join 7KQ2\0M9XD", 14)})
        EXPECT_EQ(decodeToCoordinator(line), std::nullopt) << line.constData();
    for (const QByteArray &line : QList<QByteArray>{
             QByteArray("hosted 7kq2m9xd"), "reach maybe", "reach direct", "open 192.0.2.4:5 short",
             "relay 192.0.2.4:0 " + key, "relay bad_name:5 " + key, "direct [192.0.2.4]:5",
             "direct 192.0.2.4:65536"})
        EXPECT_EQ(decodeFromCoordinator(line), std::nullopt) << line.constData();
    // A reason is shown, never obeyed: control bytes become question marks.
    EXPECT_EQ(decodeFromCoordinator("refused go\x1b[2Jaway"),
              FromCoordinator(fromCoordinator::Refused{"go?[2Jaway"}));
}

TEST(RelayPreamble, isOneShortLineWithAValidTicket)
{
    const QByteArray ticket(32, 'e');
    for (const relay::Role role : {relay::Role::Join, relay::Role::Host}) {
        const QByteArray line = relay::Preamble{role, ticket}.encode();
        EXPECT_TRUE(line.endsWith('\n'));
        EXPECT_LE(line.size(), relay::kLongestLine);
        EXPECT_EQ(relay::Preamble::decode(line.chopped(1)), (relay::Preamble{role, ticket}));
    }
    for (const QByteArray &line :
         QList<QByteArray>{QByteArray("SPADES-RELAY join " + ticket + "x"),
                           "SPADES-RELAY spy " + ticket, "spades-relay join " + ticket,
                           "SPADES-RELAY join " + ticket.left(31) + "g", "GET / HTTP/1.1"})
        EXPECT_EQ(relay::Preamble::decode(line), std::nullopt) << line.constData();
    QByteArray why;
    EXPECT_EQ(relay::decodeAnswer(relay::okLine().chopped(1)), true);
    EXPECT_EQ(relay::decodeAnswer(relay::refusedLine("bad\x07").chopped(1), &why), false);
    EXPECT_EQ(why, "bad?");
    EXPECT_EQ(relay::decodeAnswer("CMD_sendlogininfo+1"), std::nullopt);
}

TEST(TableGreeting, isTheFirstMessageOfATable)
{
    const struct
    {
        QByteArray bytes;
        std::optional<bool> greeting;
    } cases[] = {
        {"CMD_sendlogininfo+3\xFF", true},
        {"CMD_sendlogininfo+3\xFF"
         "CMD_more\xFF",
         true},
        {"CMD_sendlogininfo+", std::nullopt},
        {"CMD_sendlogininfo+0\xFF", false},
        {"CMD_sendlogininfo+x\xFF", false},
        {"CMD_sendlogininfo\xFF", false},
        {"SSH-2.0-OpenSSH\r\n\xFF", false},
        {"HTTP/1.1 400 Bad Request\r\n", std::nullopt},
        {QByteArray(64, 'A'), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(reach::isTableGreeting(c.bytes), c.greeting) << c.bytes.constData();
}

TEST(Endpoint, takesAddressesAndNamesOnly)
{
    EXPECT_EQ(Endpoint::parse("[::1]:7772")->text(), "[::1]:7772");
    EXPECT_EQ(Endpoint::of(QHostAddress("::ffff:127.0.0.1"), 5).text(), "127.0.0.1:5");
    for (const char *bad : {"[::1]7772", "[nonsense]:1", "::1:7772", "host:", ":7772", "a b:1",
                            "host:-1", "host:0x10"})
        EXPECT_EQ(Endpoint::parse(bad), std::nullopt) << bad;
    // Private and shared examples are addresses the labs put on their own
    // interfaces (10.77.0.1 the solo-table test, 100.64.7.2 the router lab).
    for (const char *local : {"127.0.0.1", "10.77.0.1", "192.168.0.1", "100.64.7.2", "::1",
                              "fe80::1", "fd00::1", "2001:db8::1", "169.254.1.1", "203.0.113.9"})
        EXPECT_FALSE(reach::isGlobal(QHostAddress(local))) << local;
    for (const char *global : {"81.2.69.142", "2a01:4f8::1"})
        EXPECT_TRUE(reach::isGlobal(QHostAddress(global))) << global;
    EXPECT_EQ(reach::blockOf(QHostAddress("2a01:4f8:1:2::5")),
              reach::blockOf(QHostAddress("2a01:4f8:1:2:ffff::9")));
}

} // namespace
