#pragma once

#include "coordinator/publiclisting.h"

#include <QList>
#include <optional>

// Quick Play's table among the public ones a lobby was shown: one with a
// free seat and the most people in seats, so strangers fill tables up rather
// than each sitting alone. Among equals a table whose game has not started
// comes first (the newcomer plays from the first hand), then the one with
// fewer watchers (more room), then the lowest code, so every lobby shown the
// same page picks the same table. Nothing when no table has a free seat: the
// lobby then hosts a public table itself.
std::optional<PublicListing> quickPlayChoice(const QList<PublicListing> &listings);
