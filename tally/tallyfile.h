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
// the text for the player; *damaged tells whether the file itself is bad (it
// was read but holds no tally) rather than out of reach.
std::optional<TallyTable> read(const QString &path, QString *error, bool *damaged = nullptr);

// Moves a damaged tally out of the way, to the first free name of the form
// "Spadestally-damaged.tld", "Spadestally-damaged-2.tld", ... beside it; never
// replaces a file. Returns the new path, or an empty text when it could not.
QString keepAside(const QString &path);

// Writes the table to path by writing a new file and renaming it into place:
// on any failure the previous file stays as it was and false comes back.
bool write(const QString &path, const TallyTable &table);

} // namespace tallyfile
