// Port and address texts are read strictly; a socket refuses to open on a text
// that is not exactly a port or an address, and says which.
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
        {"10.0.0.5", 0x0A000005u},
        {"255.255.255.255", 0xFFFFFFFFu},
        {"0.0.0.0", 0u},
        {"127.1", {}},
        {"127.0.0.1x", {}},
        {"127.0.0.1 x", {}},
        {"256.0.0.1", {}},
        {"1.2.3.4.5", {}},
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
