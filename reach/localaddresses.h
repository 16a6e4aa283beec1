#pragma once

#include "reach/reachstatus.h"

// This machine's home-network IPv4 address and a global IPv6 address, as the
// interfaces that are up show them.
LocalAddresses findLocalAddresses();
