#pragma once

#include "coordinator/endpoint.h"
#include "coordinator/publiclisting.h"
#include "reach/reachstatus.h"

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class CoordinatorClient;
class RelayDialer;

// A hosted table listed with a coordinator under an invite code: the table's
// side of codes and relays, shared by the window program and spades-server.
//
// It lists the table with the ways in its reach status found (the router's
// mapping, a global IPv6 address; the coordinator adds the address it sees),
// lists it again when those change, and says truthfully where it stands: not
// listed, the coordinator out of reach, reached directly at the address the
// coordinator's connect-back got through, or only through the relay. A
// joiner the coordinator sends to a relay is met there; each paired socket
// goes to `onRelayed`, which takes it like an accepted connection.
//
// It may also show the table to strangers in Open Tables: `setPublic` with
// what they are to see lists it there (kept current as it is set again),
// nothing unlists it; friends with the code join either way.
//
// With no coordinator set it does nothing at all and sends nothing anywhere.
class TableListing : public QObject
{
    Q_OBJECT
public:
    enum class State {
        Off,         // no coordinator set
        NotListed,   // not listed yet, or refused
        Unreachable, // the coordinator could not be reached
        Checking,    // listed; the connect-back has not answered yet
        Direct,      // the connect-back got through
        Relayed,     // only the relay leads here
    };

    // `coordinators`: "HOST[:PORT]" or a ws:// or wss:// URL; several are
    // separated by commas and tried in turn.
    explicit TableListing(const QString &coordinators, QObject *parent = nullptr);
    ~TableListing() override;

    // Relay connections being opened at once; a joiner sent beyond this waits
    // at the relay until its ticket runs out.
    static constexpr int kMostDials = 4;

    bool isOn() const { return m_client != nullptr; }
    // Lists the table on `port` with the reach status' global addresses;
    // later calls list it again only when those have changed.
    void list(quint16 port, const ReachStatus &reach);
    // Unlists the table (it is closing); nothing more is sent. The goodbye
    // is on its way while `closing` holds.
    void stop();
    bool closing() const;
    // Shows the table in Open Tables as `listing` says, or no longer.
    void setPublic(const std::optional<PublicListing> &listing);
    bool isPublic() const;
    // What strangers are shown, when the table is public.
    std::optional<PublicListing> publicListing() const;

    State state() const { return m_state; }
    // The coordinator lists the table under its code.
    bool isListed() const
    {
        return m_state == State::Checking || m_state == State::Direct || m_state == State::Relayed;
    }
    // The code in canonical form, empty before the table is listed.
    QByteArray code() const { return m_code; }
    std::optional<Endpoint> direct() const { return m_direct; }
    // One or two sentences for the status line and the console.
    QString text() const;
    // What an invitation carries besides address links: the code's link and
    // the code as people read it, once there is a code.
    QStringList invitationLines() const;
    int dialsInFlight() const { return int(m_dials.size()); }

    // The ways in a coordinator may connect back to: the global addresses.
    static QList<Endpoint> candidatesOf(const ReachStatus &reach);

    // Takes each relayed connection; unset, the connection is closed.
    std::function<void(int fd, const QString &peer)> onRelayed;

signals:
    void changed();
    // A relay that could not be joined, for the console.
    void note(const QString &line);

private:
    void setState(State state, const QString &reason = {});
    QString reachText() const;
    void hosted(const QByteArray &code);
    void reachKnown(const std::optional<Endpoint> &direct);
    void openRelay(const Endpoint &relay, const QByteArray &ticket);

    CoordinatorClient *m_client = nullptr;
    State m_state = State::Off;
    QString m_reason;
    QByteArray m_code;
    std::optional<Endpoint> m_direct;
    std::optional<QList<Endpoint>> m_listedWith;
    QList<RelayDialer *> m_dials;
};
