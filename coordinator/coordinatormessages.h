#pragma once

#include "coordinator/endpoint.h"
#include "coordinator/publiclisting.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>
#include <variant>

// What hosts and joiners say to a coordinator and what it answers: one text
// line per WebSocket message, words separated by single spaces, the first word
// naming the message. `decode` checks every word once; a line that does not
// fit gives nothing and changes nothing.
namespace coord {

// No line either side sends is longer; a peer that sends more is cut off.
constexpr int kLongestLine = 1024;
constexpr int kMostCandidates = 4;
constexpr int kSecretLength = 32; // keys and tickets: 128 bits as lowercase hex

bool isSecret(QByteArrayView word);

// Why a coordinator refuses: the reasons it sends, in words for people.
namespace refusal {
constexpr char kNoSuchTable[] = "No table has that code.";
constexpr char kTooManyTries[] = "Too many tries from your address; wait a minute.";
constexpr char kCodeTaken[] = "That code belongs to another table.";
constexpr char kNoRelay[] = "No relay is available; try again soon.";
constexpr char kStoreDown[] = "The coordinator cannot reach its store; try again soon.";
constexpr char kAlreadyHosting[] = "This connection already lists a table.";
constexpr char kNotHosting[] = "This connection lists no table.";
} // namespace refusal

namespace toCoordinator {

// A table asks to be listed: the port it listens on (for the address the
// coordinator sees it from), its own secret key, the code it had when it moved
// here from another coordinator, and the addresses it believes reach it.
struct Host
{
    static constexpr char kName[] = "host";
    quint16 port = 0;
    QByteArray key;
    std::optional<QByteArray> code; // canonical
    QList<Endpoint> candidates;
    QByteArray encode() const;
    bool operator==(const Host &) const = default;
};
// The table is still there.
struct Beat
{
    static constexpr char kName[] = "beat";
    QByteArray encode() const;
    bool operator==(const Beat &) const = default;
};
// The table closes; its code goes with it.
struct Leave
{
    static constexpr char kName[] = "leave";
    QByteArray encode() const;
    bool operator==(const Leave &) const = default;
};
// Someone wants to join the table with this code.
struct Join
{
    static constexpr char kName[] = "join";
    QByteArray code; // canonical
    QByteArray encode() const;
    bool operator==(const Join &) const = default;
};

// The table lists itself publicly, or says what changed: the whole listing
// but its code and way in, which the coordinator adds.
struct List
{
    static constexpr char kName[] = "list";
    PublicListing listing;
    QByteArray encode() const;
    bool operator==(const List &) const = default;
};
// The table no longer wants strangers; its code still works.
struct Unlist
{
    static constexpr char kName[] = "unlist";
    QByteArray encode() const;
    bool operator==(const Unlist &) const = default;
};
// A lobby asks for one page of the public tables that pass the filter, in
// code order, starting after the code `after`.
struct Tables
{
    static constexpr char kName[] = "tables";
    ListingFilter filter;
    std::optional<QByteArray> after; // canonical
    QByteArray encode() const;
    bool operator==(const Tables &) const = default;
};

} // namespace toCoordinator

namespace fromCoordinator {

// The table is listed under this code.
struct Hosted
{
    static constexpr char kName[] = "hosted";
    QByteArray code;
    QByteArray encode() const;
    bool operator==(const Hosted &) const = default;
};
// The connect-back found the table at `direct`, or nowhere (the relay then).
struct Reach
{
    static constexpr char kName[] = "reach";
    std::optional<Endpoint> direct;
    QByteArray encode() const;
    bool operator==(const Reach &) const = default;
};
// To a host: someone waits at this relay with this ticket.
struct Open
{
    static constexpr char kName[] = "open";
    Endpoint relay;
    QByteArray ticket;
    QByteArray encode() const;
    bool operator==(const Open &) const = default;
};
// To a joiner: connect straight to the table.
struct Direct
{
    static constexpr char kName[] = "direct";
    Endpoint table;
    QByteArray encode() const;
    bool operator==(const Direct &) const = default;
};
// To a joiner: connect to the relay and show it the ticket.
struct ViaRelay
{
    static constexpr char kName[] = "relay";
    Endpoint relay;
    QByteArray ticket;
    QByteArray encode() const;
    bool operator==(const ViaRelay &) const = default;
};
// A request the coordinator will not serve, and why, in words for people.
struct Refused
{
    static constexpr char kName[] = "refused";
    QByteArray reason;
    QByteArray encode() const;
    bool operator==(const Refused &) const = default;
};

// One public table of a page.
struct Table
{
    static constexpr char kName[] = "table";
    PublicListing listing;
    QByteArray encode() const;
    bool operator==(const Table &) const = default;
};
// Ends a page: where the next one starts, or nothing when this was the last.
struct Page
{
    static constexpr char kName[] = "page";
    std::optional<QByteArray> next; // canonical
    QByteArray encode() const;
    bool operator==(const Page &) const = default;
};

} // namespace fromCoordinator

using ToCoordinator = std::variant<toCoordinator::Host, toCoordinator::Beat, toCoordinator::Leave,
                                   toCoordinator::Join, toCoordinator::List, toCoordinator::Unlist,
                                   toCoordinator::Tables>;
using FromCoordinator =
    std::variant<fromCoordinator::Hosted, fromCoordinator::Reach, fromCoordinator::Open,
                 fromCoordinator::Direct, fromCoordinator::ViaRelay, fromCoordinator::Refused,
                 fromCoordinator::Table, fromCoordinator::Page>;

std::optional<ToCoordinator> decodeToCoordinator(QByteArrayView line);
std::optional<FromCoordinator> decodeFromCoordinator(QByteArrayView line);

// Between coordinators, through the store: the host of `code` is to open a
// relayed connection.
struct OpenFor
{
    QByteArray code;
    fromCoordinator::Open open;
    QByteArray encode() const;
    static std::optional<OpenFor> decode(QByteArrayView line);
    bool operator==(const OpenFor &) const = default;
};

} // namespace coord
