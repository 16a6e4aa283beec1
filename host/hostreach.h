#pragma once

// Who can reach a table this program hosts: only people on this computer (a
// solo game), or anyone who can reach this computer.
enum class HostReach {
    ThisComputer, // 127.0.0.1 and ::1
    Everyone,     // every local address, IPv6 and IPv4
};
