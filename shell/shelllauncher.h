#pragma once

#include <QString>

// Opens a file the way the desktop shell would ("open" on a program starts
// it). The download window goes through this, so tests can watch what would
// be started without starting anything.
class ShellLauncher
{
public:
    enum class Show { Normal, WithoutActivation };

    virtual ~ShellLauncher() = default;

    // False when the file could not be opened.
    virtual bool open(const QString &path, const QString &parameters, Show show) = 0;
};

// Starts executable files directly with the parameters split as a command
// line would split them; anything else goes to the desktop's handler for
// its type (which cannot take parameters).
ShellLauncher &systemShellLauncher();
