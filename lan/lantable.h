#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

// A table announced on the local network as the DNS-SD service "_spades._tcp".
// Its TXT record says who hosts it and how many seats are free.
namespace lantable {

inline constexpr char kServiceType[] = "_spades._tcp";
inline constexpr int kMaxHostNameLength = 32;
inline constexpr int kSeats = 4;

// The TXT strings of a table: "host=NAME" and "free=N".
QList<QByteArray> record(const QString &hostName, int freeSeats);

struct Record
{
    QString hostName;
    int freeSeats = 0;
};
// What a TXT record from the network says, read as plain text and bounded;
// nullopt when it does not say how many seats are free (0 to 4).
std::optional<Record> readRecord(const QList<QByteArray> &strings);

} // namespace lantable

// A table found on the local network.
struct LanTable
{
    QString service;  // the announced name, unique on the network
    QString hostName; // who hosts, from the TXT record
    int freeSeats = 0;
    QString address; // where to join it: an IPv4 or IPv6 address
    int port = 0;
    bool operator==(const LanTable &) const = default;
};

// Finds the tables on the local network and keeps the list current.
class TableBrowser : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual QList<LanTable> tables() const = 0;
    // Why no table can be found (the service is not running), or empty.
    virtual QString problem() const = 0;

signals:
    void changed();
};
