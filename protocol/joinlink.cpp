#include "protocol/joinlink.h"

#include "protocol/addresstext.h"
#include "protocol/invitecode.h"

namespace {

const QString kScheme = QStringLiteral("spades:");
const QString kPrefix = QStringLiteral("spades://join/");
const QString kCodePrefix = QStringLiteral("spades://code/");
constexpr int kDefaultPort = 7772;
// Far more than the longest name and port; a longer text is refused unread.
constexpr qsizetype kMaxLinkLength = 300;
constexpr qsizetype kMaxAddressLength = 255;

std::nullopt_t refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return std::nullopt;
}

bool isPlainAscii(QChar c)
{
    return c.unicode() > 0x20 && c.unicode() < 0x7F;
}

// Paths, queries, fragments, user names and escapes have no place in an
// invitation; a link holding one is not used at all.
bool holdsOnlyOnePart(const QString &part)
{
    for (QChar c : part) {
        if (!isPlainAscii(c) || QStringLiteral("/?#@%\\").contains(c))
            return false;
    }
    return true;
}

bool startsWithAfterScheme(const QString &link, const QString &prefix)
{
    return link.sliced(kScheme.size()).startsWith(prefix.sliced(kScheme.size()));
}

} // namespace

std::optional<JoinTarget> parseJoinAddress(const QString &text, QString *why)
{
    if (text.isEmpty())
        return refuse(why, QStringLiteral("Type the address or the name of the table's computer."));
    if (text.size() > kMaxAddressLength)
        return refuse(why, QStringLiteral("That address is too long."));
    const addresstext::AddressParts parts = addresstext::splitPort(text);
    JoinTarget target{parts.host, kDefaultPort};
    if (parts.port) {
        const std::optional<quint16> port = addresstext::portNumber(*parts.port);
        if (!port || *port == 0)
            return refuse(why, QStringLiteral("That is not a port number from 1 to 65535."));
        target.port = *port;
    }
    const QString &host = target.host;
    if (host.startsWith(QLatin1Char('[')) || host.endsWith(QLatin1Char(']')))
        return refuse(why, QStringLiteral("That is not a computer's name or address."));
    if (addresstext::ipv6Address(host))
        return target;
    // Only an IPv6 address stands in brackets.
    if (host.contains(QLatin1Char(':')) || parts.bracketed)
        return refuse(why, QStringLiteral("That is not an IPv6 address."));
    if (!host.isEmpty() && host.at(0).isDigit()) {
        if (addresstext::dottedAddress(host))
            return target;
        return refuse(why, QStringLiteral("That is not an address of four numbers from 0 to 255."));
    }
    if (!addresstext::plausibleHostName(host))
        return refuse(why, QStringLiteral("That is not a computer's name or address."));
    return target;
}

bool looksLikeJoinLink(const QString &text)
{
    return text.trimmed().startsWith(kScheme, Qt::CaseInsensitive);
}

std::optional<JoinTarget> parseJoinLink(const QString &text, QString *why)
{
    const QString link = text.trimmed();
    if (link.size() > kMaxLinkLength)
        return refuse(why, QStringLiteral("That link is too long to be a Spades invitation."));
    if (!link.startsWith(kScheme, Qt::CaseInsensitive))
        return refuse(why, QStringLiteral("That is not a Spades invitation (spades://join/...)."));
    if (!startsWithAfterScheme(link, kPrefix))
        return refuse(why, QStringLiteral("A Spades invitation reads spades://join/ and the "
                                          "table's address."));
    const QString address = link.sliced(kPrefix.size());
    if (!holdsOnlyOnePart(address))
        return refuse(why, QStringLiteral("A Spades invitation holds only the table's "
                                          "address and port."));
    QString problem;
    const std::optional<JoinTarget> target = parseJoinAddress(address, &problem);
    if (!target)
        return refuse(why, QStringLiteral("This invitation is broken: %1").arg(problem));
    if (!addresstext::ipv6Address(target->host) && !addresstext::dottedAddress(target->host) &&
        !addresstext::dnsName(target->host))
        return refuse(why, QStringLiteral("This invitation is broken: That is not a computer's "
                                          "name or address."));
    return target;
}

QString joinAddressText(const JoinTarget &target)
{
    QString address = target.host;
    if (address.contains(QLatin1Char(':')))
        address = QLatin1Char('[') + address + QLatin1Char(']');
    if (target.port != kDefaultPort)
        address += QLatin1Char(':') + QString::number(target.port);
    return address;
}

QString joinLink(const JoinTarget &target)
{
    const QString link = kPrefix + joinAddressText(target);
    const std::optional<JoinTarget> back = parseJoinLink(link);
    if (!back || back->host != target.host || back->port != target.port)
        return {};
    return link;
}

std::optional<Invitation> parseInvitationLink(const QString &text, QString *why)
{
    const QString link = text.trimmed();
    const bool ours =
        link.size() <= kMaxLinkLength && link.startsWith(kScheme, Qt::CaseInsensitive);
    if (!ours || startsWithAfterScheme(link, kPrefix)) {
        const std::optional<JoinTarget> table = parseJoinLink(link, why);
        return table ? std::optional(Invitation{table, {}}) : std::nullopt;
    }
    if (!startsWithAfterScheme(link, kCodePrefix))
        return refuse(why, QStringLiteral("A Spades invitation reads spades://join/ and the "
                                          "table's address, or spades://code/ and its code."));
    const QString code = link.sliced(kCodePrefix.size());
    if (!holdsOnlyOnePart(code))
        return refuse(why, QStringLiteral("A Spades invitation holds only the table's code."));
    const std::optional<QByteArray> canonical = invite::normalize(code.toLatin1());
    if (!canonical)
        return refuse(why, QStringLiteral("This invitation is broken: That is not an invitation "
                                          "code."));
    return Invitation{std::nullopt, *canonical};
}

QString invitationLink(const Invitation &invitation)
{
    if (invitation.table)
        return joinLink(*invitation.table);
    const std::optional<QByteArray> code = invite::normalize(invitation.code);
    return code && *code == invitation.code ? QString::fromLatin1(invite::link(*code)) : QString();
}
