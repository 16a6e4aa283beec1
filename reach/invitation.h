#pragma once

#include "reach/reachstatus.h"

// The invitation a hosting player passes on: one join link per address the
// status found, best first, one a line.
QString invitationText(const ReachStatus &status);
