#pragma once

#include <QString>

// What asking the router for the port came to. Everything here came from the
// network and is checked before it is trusted: addresses are classified, and
// failures are told in our own words from codes, never in the router's text.
struct RouterAnswer
{
    enum class Method { None, Upnp, NatPmp };

    Method method = Method::None; // which protocol made the mapping, or answered last
    bool mapped = false;
    QString outsideAddress;        // the router's outside address as it reported it (may be empty)
    int outsidePort = 0;           // the port friends use on the outside address
    int leaseSeconds = 0;          // 0: the router gave a lease without end
    QString lanAddress;            // this machine's address as the router sees it
    bool noOutsideAddress = false; // the router answered but has no outside address to give
    QString failure;               // why no mapping, in plain words
    // Where the mapping lives, so that renewing and removing it needs no new search.
    QString controlUrl;
    QString serviceType;
};

// Lines for carrying an answer between processes; a line that does not fit is
// dropped, so a broken reader never invents a mapping.
QByteArray encodeAnswer(const RouterAnswer &answer);
RouterAnswer decodeAnswer(const QByteArray &bytes);
