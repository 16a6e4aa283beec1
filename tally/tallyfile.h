#pragma once

#include "tally/tallytable.h"

#include <QString>
#include <optional>

// The tally on disk: the table's text form compressed with LZRW1/KH. The
// text passes through a scratch file in a private temporary folder, so two
// running copies never share one.
namespace tallyfile {

// The client's game name followed by "tally.tld".
inline const QString kFileName = QStringLiteral("Spadestally.tld");

// Reads the table from path. On failure returns nullopt and sets error to
// the text for the player.
std::optional<TallyTable> read(const QString &path, QString *error);

// Writes the table to path by writing a new file and renaming it into place:
// on any failure the previous file stays as it was and false comes back.
bool write(const QString &path, const TallyTable &table);

} // namespace tallyfile
