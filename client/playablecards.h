#pragma once

#include "host/playrules.h"

#include <optional>

class TableModel;

namespace playablecards {

// The own cards the host would take now, by the same rule it referees with,
// worked out from what the table has been shown. Nothing while no card is
// awaited from the own seat, or while the table cannot tell which cards the
// host would refuse: a card the host would take is never held back.
std::optional<CardSet> allowed(const TableModel &model);

} // namespace playablecards
