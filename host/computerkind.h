#pragma once

#include "host/computerplayer.h"
#include "host/expertplayer.h"

#include <QByteArrayView>
#include <cstdint>
#include <optional>

// Which computer players the host seats: the classic rules, or the expert.
enum class ComputerKind { Classic, Expert };

std::optional<ComputerKind> computerKindNamed(QByteArrayView name); // "classic", "expert"
const char *nameOf(ComputerKind kind);

// The expert at the host's table, for the seat whose card or bid is awaited:
// it is given the seat's knowledge only, and a seed from the table's own.
ComputerCard expertplay(const GameState &game, const SeatTable &seats, const PlayHistory &history,
                        int seat, std::uint64_t tableSeed);
int expertbid(const GameState &game, const SeatTable &seats, const PlayHistory &history, int seat,
              std::uint64_t tableSeed);
