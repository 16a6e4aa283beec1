#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Where a table is joined, and the invitation link that carries it:
// "spades://join/198.51.100.7", "spades://join/[2001:db8::20]:7800". A link is
// read strictly: it is the scheme, "join/", an address and an optional port,
// and anything else refuses the whole link rather than using part of it.
struct JoinTarget
{
    QString host; // a name, an IPv4 or an IPv6 address (no brackets)
    int port = 7772;
};

// The link to a table; empty when the target could not be read back from one
// (no host, a port outside 1 to 65535, a name with blanks, an IPv6 zone).
QString joinLink(const JoinTarget &target);

// The target as the player types it: "198.51.100.7", "table.example.org:7800",
// "[2001:db8::20]:7800". Read back by parseJoinAddress.
QString joinAddressText(const JoinTarget &target);

// The table a link leads to; nullopt and the reason in `why` for anything
// that is not exactly such a link.
std::optional<JoinTarget> parseJoinLink(const QString &text, QString *why = nullptr);

// What an invitation link leads to: a table by its address
// ("spades://join/...") or by the code a coordinator lists it under
// ("spades://code/7KQ2-M9XD"). Exactly one of the two is set.
struct Invitation
{
    std::optional<JoinTarget> table;
    QByteArray code; // canonical, "7KQ2M9XD"
};

// Either kind of link, read as strictly as parseJoinLink: case, dashes and
// the letters people mistake for digits in a code are taken as a typed code
// takes them, and anything else refuses the whole link with the reason.
std::optional<Invitation> parseInvitationLink(const QString &text, QString *why = nullptr);

// The link that reads back as the invitation; empty when there is none.
QString invitationLink(const Invitation &invitation);

// Whether the text is meant as a link of ours (it names our scheme), so that
// a refusal can say what is wrong with it instead of taking it as an address.
bool looksLikeJoinLink(const QString &text);

// An address as the player types it to join, "ADDRESS[:PORT]" (see
// addresstext::splitPort); nullopt and the reason in `why` when it is not
// one. Names are taken as the name service may know them; links are stricter.
std::optional<JoinTarget> parseJoinAddress(const QString &text, QString *why = nullptr);
