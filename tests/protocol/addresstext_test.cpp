// Port and address texts are read strictly; a socket refuses to open on a text
// that is not exactly a port or an address, and says which.
#include "protocol/addresskind.h"
#include "protocol/addresstext.h"
#include "protocol/tsock.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressText, PortsAreDigitsUpTo65535)
{
    const struct
    {
        const char *text;
        std::optional<quint16> port;
    } cases[] = {
        {"7772", 7772},   {"0", 0},
        {"65535", 65535}, {"007772", std::nullopt},
        {"65536", {}},    {"99999999999", {}},
        {"7772x", {}},    {"77 72", {}},
        {"", {}},         {"+7772", {}},
        {"-1", {}},       {"0x1e5c", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(addresstext::portNumber(QString::fromLatin1(c.text)), c.port) << c.text;
}

TEST(AddressText, AddressesAreFourNumbersUpTo255)
{
    const struct
    {
        const char *text;
        std::optional<quint32> address;
    } cases[] = {
        {"127.0.0.1", 0x7F000001u},
        {"192.0.2.105", 0xC0000269u},
        {"255.255.255.255", 0xFFFFFFFFu},
        {"0.0.0.0", 0u},
        {"127.1", {}},
        {"127.0.0.1x", {}},
        {"127.0.0.1 x", {}},
        {"256.0.0.1", {}},
        {"192.0.2.4.5", {}},
        {"1..3.4", {}},
        {"1.2.3.", {}},
        {"0x7f.0.0.1", {}},
        {"1.2.3.1000", {}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(addresstext::dottedAddress(QString::fromLatin1(c.text)), c.address) << c.text;
    EXPECT_TRUE(addresstext::plausibleHostName(u"game.example.org"));
    for (const char16_t *bad : {u"", u"game example", u"game\n", u"\tgame"})
        EXPECT_FALSE(addresstext::plausibleHostName(bad));
}

TEST(AddressText, Ipv6AddressesAreEightHexGroups)
{
    using Bytes = std::array<quint8, 16>;
    const Bytes loopback{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    const Bytes doc{0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x34};
    const Bytes mapped{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff, 192, 0, 2, 105};
    const Bytes full{0, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8};
    const struct
    {
        const char *text;
        std::optional<Bytes> bytes;
        const char *zone = "";
    } cases[] = {
        {"::1", loopback},
        {"[::1]", loopback},
        {"0:0:0:0:0:0:0:1", loopback},
        {"2001:DB8::1234", doc},
        {"2001:0db8:0000::0:1234", doc},
        {"::ffff:192.0.2.105", mapped},
        {"1:2:3:4:5:6:7:8", full},
        {"::", Bytes{}},
        {"fe80::1%eth0", Bytes{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "eth0"},
        {"[fe80::1%2]", Bytes{0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, "2"},
        {"1:2:3:4:5:6:7", {}},
        {"1:2:3:4:5:6:7:8:9", {}},
        {"1:2:3:4:5:6:7::8", {}},
        {"1::2::3", {}},
        {":::1", {}},
        {":1::2", {}},
        {"1:2:", {}},
        {"12345::1", {}},
        {"g::1", {}},
        {"::1.2.3", {}},
        {"192.0.2.4::1", {}},
        {"[::1", {}},
        {"::1]", {}},
        {"[::1]:7772", {}},
        {"fe80::1%", {}},
        {"fe80::1%eth 0", {}},
        {"127.0.0.1", {}},
        {"game.example.org", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        const auto parsed = addresstext::ipv6Address(QString::fromLatin1(c.text));
        ASSERT_EQ(parsed.has_value(), c.bytes.has_value()) << c.text;
        if (parsed) {
            EXPECT_EQ(parsed->bytes, *c.bytes) << c.text;
            EXPECT_EQ(parsed->zone, QString::fromLatin1(c.zone)) << c.text;
        }
    }
}

TEST(AddressText, ASocketRefusesToOpenOnABadText)
{
    const struct
    {
        const char *host;
        const char *port;
        const char *error;
    } cases[] = {
        {"127.0.0.1", "7772x", "Port Lookup - Not A Port Number From 0 To 65535"},
        {"127.0.0.1", "70000", "Port Lookup - Not A Port Number From 0 To 65535"},
        {"127.0.0.1x", "7772", "Host Lookup - Not An Address Of Four Numbers From 0 To 255"},
        {"300.1.1.1", "7772", "Host Lookup - Not An Address Of Four Numbers From 0 To 255"},
        {"game host", "7772", "Host Lookup - Could Not Find Host Entry"},
        {"[game]", "7772", "Host Lookup - Could Not Find Host Entry"},
        {"1::2::3", "7772", "Host Lookup - Not An IPv6 Address"},
        {"[::1]:7772", "7772", "Host Lookup - Not An IPv6 Address"},
    };
    for (const auto &c : cases) {
        TSock sock;
        sock.setHostName(QString::fromLatin1(c.host));
        sock.setPortName(QString::fromLatin1(c.port));
        try {
            sock.Open();
            ADD_FAILURE() << c.host << ":" << c.port << " opened";
        } catch (const ESockException &e) {
            EXPECT_STREQ(e.what(), c.error) << c.host << ":" << c.port;
        }
        EXPECT_FALSE(sock.hasSocket());
    }
}

} // namespace

// A dual-stack listener sees IPv4 peers as IPv4-mapped IPv6: cutting those to
// a /64 would make one removed player keep every IPv4 player away.
TEST(AddressText, BlocksAreTheIpv4AddressOrTheIpv6Slash64)
{
    const struct
    {
        const char *address;
        QByteArray block;
    } cases[] = {
        {"203.0.113.7", "203.0.113.7"},
        {"::ffff:203.0.113.7", "203.0.113.7"},
        {"2001:db8:0:ab::1", "20010db8000000ab/64"},
        {"2001:db8:0:ab:ffff::9", "20010db8000000ab/64"},
        {"2001:db8:0:ac::1", "20010db8000000ac/64"},
        {"fe80::1", "fe800000000000000000000000000001"},
        {"fd12:3456:789a:1::5", "fd123456789a00010000000000000005"},
        {"::1", "00000000000000000000000000000001"},
        {"", ""},
        {"not an address", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(addressBlock(QString::fromLatin1(c.address)), c.block) << c.address;
}
