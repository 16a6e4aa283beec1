// Opening files through the desktop.
#include "shell/shelllauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

class SystemShellLauncher : public ShellLauncher
{
public:
    bool open(const QString &path, const QString &parameters, Show) override
    {
        const QFileInfo file(path);
        if (!file.exists())
            return false;
        if (file.isFile() && file.isExecutable())
            return QProcess::startDetached(file.absoluteFilePath(),
                                           QProcess::splitCommand(parameters), file.absolutePath());
        return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
    }
};

} // namespace

ShellLauncher &systemShellLauncher()
{
    static SystemShellLauncher launcher;
    return launcher;
}
