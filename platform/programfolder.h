#pragma once

#include <QString>

namespace platform {

// The folder that holds the program's own files (settings, tally, downloads),
// without a trailing separator. SPADES_HOME wins when set; otherwise the
// executable's folder when it can be written to; otherwise the per-user data
// folder, created on first use. A program installed system-wide thus keeps
// working for every user.
QString programFolder();

// programFolder() + "/" + name.
QString programFile(const QString &name);

// The folder of the executable (or the one set below); the game and its
// helper programs are installed side by side there.
QString executableFolder();

// Stands another folder in for the executable's own, as if the program had
// been installed there; an empty folder restores the executable's. Lets a
// test start the whole program from a read-only install folder.
void setExecutableFolder(const QString &folder);

} // namespace platform
