// Join addresses and invitation links are read strictly: a text is either
// exactly an address with an optional port, or it is refused with a reason.
#include "protocol/addresstext.h"
#include "protocol/invitecode.h"
#include "protocol/joinlink.h"

#include <cctype>
#include <gtest/gtest.h>

namespace {

struct Expected
{
    const char16_t *text;
    const char *host; // nullptr: refused
    int port = 7772;
};

void expectParsed(const Expected &c, const std::optional<JoinTarget> &parsed, const QString &why)
{
    const QString text = QString::fromUtf16(c.text);
    if (!c.host) {
        EXPECT_FALSE(parsed) << text.toStdString() << " -> " << parsed->host.toStdString();
        EXPECT_FALSE(why.isEmpty()) << text.toStdString();
        return;
    }
    ASSERT_TRUE(parsed) << text.toStdString() << ": " << why.toStdString();
    EXPECT_EQ(parsed->host, QString::fromUtf8(c.host)) << text.toStdString();
    EXPECT_EQ(parsed->port, c.port) << text.toStdString();
}

TEST(JoinAddress, APortFollowsTheLastColonOnlyWhereItCannotBePartOfTheAddress)
{
    const Expected cases[] = {
        {u"198.51.100.7", "198.51.100.7"},
        {u"198.51.100.7:7800", "198.51.100.7", 7800},
        {u"table.example.org:1", "table.example.org", 1},
        {u"table.example.org:65535", "table.example.org", 65535},
        {u"2001:db8::20", "2001:db8::20"},
        {u"[2001:db8::20]", "2001:db8::20"},
        {u"[2001:db8::20]:7800", "2001:db8::20", 7800},
        {u"2001:db8::20:7800", "2001:db8::20:7800"}, // eight groups, no port
        {u"fe80::1%eth0", "fe80::1%eth0"},
        {u"[fe80::1%eth0]:7800", "fe80::1%eth0", 7800},
        {u"pc-ann", "pc-ann"},
        {u"198.51.100.7:0", nullptr},
        {u"198.51.100.7:65536", nullptr},
        {u"198.51.100.7:", nullptr},
        {u"198.51.100.7:78a", nullptr},
        {u"198.51.100.7:+78", nullptr},
        {u"198.51.100.7: 78", nullptr},
        {u"198.51.100.7:007800", nullptr},
        {u":7800", nullptr},
        {u"[2001:db8::20]:", nullptr},
        {u"[2001:db8::20]7800", nullptr},
        {u"[2001:db8::20", nullptr},
        {u"2001:db8::20]", nullptr},
        {u"[[2001:db8::20]]", nullptr},
        {u"[]:7800", nullptr},
        {u"[table.example.org]:7800", nullptr},
        {u"1::2::3", nullptr},
        {u"198.51.100.256", nullptr},
        {u"198.51.100.7:7800:1", nullptr},
        {u"game host", nullptr},
        {u"", nullptr},
    };
    for (const Expected &c : cases) {
        QString why;
        expectParsed(c, parseJoinAddress(QString::fromUtf16(c.text), &why), why);
    }
    EXPECT_FALSE(parseJoinAddress(QString(300, QLatin1Char('a'))));
}

TEST(JoinLink, OnlyTheSchemeJoinAndAnAddressAreALink)
{
    const Expected cases[] = {
        {u"spades://join/198.51.100.7", "198.51.100.7"},
        {u"  spades://join/198.51.100.7\n", "198.51.100.7"},
        {u"SPADES://join/198.51.100.7:7800", "198.51.100.7", 7800},
        {u"spades://join/[2001:db8::20]:7800", "2001:db8::20", 7800},
        {u"spades://join/[2001:db8::20]", "2001:db8::20"},
        {u"spades://join/2001:db8::20", "2001:db8::20"},
        {u"spades://join/table.example.org:7773", "table.example.org", 7773},
        {u"spades://join/xn--bcher-kva.example", "xn--bcher-kva.example"},
        // Not ours, or not join.
        {u"http://join/198.51.100.7", nullptr},
        {u"spades:join/198.51.100.7", nullptr},
        {u"spades:/join/198.51.100.7", nullptr},
        {u"spades://JOIN/198.51.100.7", nullptr},
        {u"spades://host/198.51.100.7", nullptr},
        {u"spades://join", nullptr},
        {u"spades://join/", nullptr},
        {u"spades://", nullptr},
        // Paths, queries, fragments, user names, escapes.
        {u"spades://join/198.51.100.7/", nullptr},
        {u"spades://join/198.51.100.7/extra", nullptr},
        {u"spades://join/../198.51.100.7", nullptr},
        {u"spades://join/198.51.100.7?port=7800", nullptr},
        {u"spades://join/198.51.100.7#x", nullptr},
        {u"spades://join/ann@198.51.100.7", nullptr},
        {u"spades://join/ann:pw@198.51.100.7:7800", nullptr},
        {u"spades://join/198.51.100.%37", nullptr},
        {u"spades://join/%5B2001:db8::20%5D", nullptr},
        {u"spades://join/[fe80::1%25eth0]:7800", nullptr},
        {u"spades://join/[fe80::1%eth0]", nullptr},
        {u"spades://join/198.51.100.7\\x", nullptr},
        // Ports.
        {u"spades://join/198.51.100.7:0", nullptr},
        {u"spades://join/198.51.100.7:65536", nullptr},
        {u"spades://join/198.51.100.7:99999999999999999999", nullptr},
        {u"spades://join/198.51.100.7:-1", nullptr},
        {u"spades://join/198.51.100.7:7800:7800", nullptr},
        {u"spades://join/[2001:db8::20]:7800]", nullptr},
        {u"spades://join/[2001:db8::20", nullptr},
        {u"spades://join/2001:db8::20]:7800", nullptr},
        {u"spades://join/[2001:db8::20]]:7800", nullptr},
        // Names the name service would never be asked about.
        {u"spades://join/b\u00fccher.example", nullptr},
        {u"spades://join/\u0661\u0662.example", nullptr},
        {u"spades://join/table\u200b.example", nullptr},
        {u"spades://join/-table.example", nullptr},
        {u"spades://join/table..example", nullptr},
        {u"spades://join/table_1.example", nullptr},
        {u"spades://join/3table.example", nullptr},
        {u"spades://join/198.51.100", nullptr},
        {u"spades://join/table example", nullptr},
        {u"spades://join/198.51.100.7 spades://join/203.0.113.5", nullptr},
        {u"spades://join/table\tx", nullptr},
    };
    for (const Expected &c : cases) {
        QString why;
        expectParsed(c, parseJoinLink(QString::fromUtf16(c.text), &why), why);
    }
}

TEST(JoinLink, HostileLengthsAndBytesAreRefusedWhole)
{
    QString why;
    EXPECT_FALSE(parseJoinLink(QStringLiteral("spades://join/") + QString(64, QLatin1Char('a')) +
                                   QStringLiteral(".org"),
                               &why));
    EXPECT_FALSE(
        parseJoinLink(QStringLiteral("spades://join/") + QString(100000, QLatin1Char('a')), &why));
    EXPECT_TRUE(why.contains(QLatin1String("too long")));
    const QString withNul =
        QStringLiteral("spades://join/198.51.100.7") + QChar(0) + QStringLiteral(":7800");
    EXPECT_FALSE(parseJoinLink(withNul));
    EXPECT_FALSE(parseJoinLink(QStringLiteral("spades://join/198.51.100.7") + QChar(0)));
    EXPECT_FALSE(parseJoinLink(QString()));
    // A lone surrogate is not a character.
    EXPECT_FALSE(parseJoinLink(QStringLiteral("spades://join/a") + QChar(0xD800)));
}

TEST(JoinLink, EveryLinkBuiltReadsBackAsItsTarget)
{
    const JoinTarget targets[] = {
        {QStringLiteral("198.51.100.7"), 7772},       {QStringLiteral("198.51.100.7"), 1},
        {QStringLiteral("2001:db8::20"), 7800},       {QStringLiteral("2001:db8::20"), 7772},
        {QStringLiteral("table.example.org"), 65535}, {QStringLiteral("::ffff:192.0.2.1"), 80},
    };
    for (const JoinTarget &target : targets) {
        const QString link = joinLink(target);
        const std::optional<JoinTarget> back = parseJoinLink(link);
        ASSERT_TRUE(back) << link.toStdString();
        EXPECT_EQ(back->host, target.host);
        EXPECT_EQ(back->port, target.port);
    }
    EXPECT_EQ(joinLink({QStringLiteral("198.51.100.7")}),
              QStringLiteral("spades://join/198.51.100.7"));
    EXPECT_EQ(joinLink({QStringLiteral("2001:db8::20"), 7800}),
              QStringLiteral("spades://join/[2001:db8::20]:7800"));
    // What could not be read back is not built.
    const JoinTarget unreadable[] = {
        {QString(), 7772},
        {QStringLiteral("198.51.100.7"), 0},
        {QStringLiteral("198.51.100.7"), 65536},
        {QStringLiteral("198.51.100.7"), -1},
        {QStringLiteral("fe80::1%eth0"), 7772},
        {QStringLiteral("table example"), 7772},
        {QStringLiteral("[2001:db8::20]"), 7772},
        {QStringLiteral("198.51.100.7/x?y"), 7772},
    };
    for (const JoinTarget &target : unreadable)
        EXPECT_EQ(joinLink(target), QString()) << target.host.toStdString();
}

TEST(InvitationLink, ACodeLinkCarriesOnlyACode)
{
    struct Case
    {
        const char16_t *text;
        const char *code; // nullptr: refused; "" a join link
    };
    const Case cases[] = {
        {u"spades://code/7KQ2-M9XD", "7KQ2M9XD"},
        {u" SPADES://code/7kq2m9xd\n", "7KQ2M9XD"},
        {u"spades://code/7KQ2-M9-XD", "7KQ2M9XD"},
        {u"spades://code/IL0O-UUAB", "1100VVAB"},
        {u"spades://join/198.51.100.7", ""},
        {u"spades://CODE/7KQ2-M9XD", nullptr},
        {u"spades://code/", nullptr},
        {u"spades://code/7KQ2-M9X", nullptr},
        {u"spades://code/7KQ2-M9XDA", nullptr},
        {u"spades://code/7KQ2-M9XD/", nullptr},
        {u"spades://code/7KQ2-M9XD?join=1", nullptr},
        {u"spades://code/7KQ2-M9XD#x", nullptr},
        {u"spades://code/ann@7KQ2-M9XD", nullptr},
        {u"spades://code/7KQ2%2DM9XD", nullptr},
        {u"spades://code/7KQ2 M9XD", nullptr},
        {u"spades://code/7KQ2-M9X\u0110", nullptr},
        {u"spades://code/7KQ2_M9XD", nullptr},
        {u"spades://code/198.51.100.7", nullptr},
        {u"spades://code/--------7KQ2M9XD", "7KQ2M9XD"},
        {u"spades://code/-------------------------7KQ2M9XD", nullptr},
        {u"spades://codes/7KQ2-M9XD", nullptr},
        {u"spades://code7KQ2-M9XD", nullptr},
        {u"spades://table/7KQ2-M9XD", nullptr},
        {u"spades://join/7KQ2-M9XD/x", nullptr},
        {u"http://code/7KQ2-M9XD", nullptr},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        QString why;
        const std::optional<Invitation> read = parseInvitationLink(text, &why);
        if (!c.code) {
            EXPECT_FALSE(read) << text.toStdString();
            EXPECT_FALSE(why.isEmpty()) << text.toStdString();
            continue;
        }
        ASSERT_TRUE(read) << text.toStdString() << ": " << why.toStdString();
        EXPECT_EQ(read->code, QByteArray(c.code)) << text.toStdString();
        EXPECT_EQ(bool(read->table), !*c.code) << text.toStdString();
        EXPECT_EQ(parseInvitationLink(invitationLink(*read))->code, read->code);
    }
    EXPECT_EQ(invitationLink({std::nullopt, "7KQ2M9XD"}),
              QStringLiteral("spades://code/7KQ2-M9XD"));
    EXPECT_EQ(invitationLink({std::nullopt, "7kq2m9xd"}), QString()) << "only canonical codes";
    EXPECT_EQ(invitationLink({}), QString());
    EXPECT_FALSE(parseInvitationLink(QStringLiteral("spades://code/") + QString(100000, 'A')));
}

// A field that takes an address takes a code only in the shape a code is
// shown in, so no computer's name is ever sent to a coordinator as a code and
// no code is ever looked up as a name.
TEST(InvitationCode, AFieldTakesACodeOnlyInItsShownShape)
{
    struct Case
    {
        const char *typed;
        const char *code; // nullptr: an address, not a code
    };
    const Case cases[] = {
        {"7KQ2-M9XD", "7KQ2M9XD"},
        {" 7kq2-m9xd ", "7KQ2M9XD"},
        {"7KQ2 M9XD", "7KQ2M9XD"},
        {"ILOU-ilou", "110V110V"},
        {"7KQ2M9XD", nullptr},
        {"computer", nullptr},
        {"kitchen1", nullptr},
        {"beef-cafe.", nullptr},
        {"beef-cafe:7772", nullptr},
        {"beef-cafe.local", nullptr},
        {"ann-laptop", nullptr},
        {"7KQ2--M9XD", nullptr},
        {"7KQ2-M9X", nullptr},
        {"7KQ-2M9XD", nullptr},
        {"-7KQ2M9XD", nullptr},
        {"7KQ2_M9XD", nullptr},
        {"198.51.1-0.7", nullptr},
        {"2001:db8::20", nullptr},
        {"", nullptr},
    };
    for (const Case &c : cases) {
        const std::optional<QByteArray> code = invite::typedInField(c.typed);
        EXPECT_EQ(code.value_or("none"), QByteArray(c.code ? c.code : "none")) << c.typed;
        // A name that is not a code there stays a name, read as before.
        if (!c.code && std::isalpha(static_cast<unsigned char>(c.typed[0]))) {
            EXPECT_TRUE(parseJoinAddress(QString::fromLatin1(c.typed))) << c.typed;
        }
    }
}

} // namespace
