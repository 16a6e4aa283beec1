// The program folder.
#include "platform/programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace platform {

namespace {

QString &executableFolderOverride()
{
    static QString folder;
    return folder;
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Writability is tested by creating a file there: permission bits alone miss
// read-only mounts and ACLs.
bool canWriteIn(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(folder + QStringLiteral("/.spades-probe-XXXXXX"));
    return probe.open();
}

} // namespace

QString programFolder()
{
    const QString home = qEnvironmentVariable("SPADES_HOME");
    if (!home.isEmpty()) {
        QDir().mkpath(home);
        return withoutTrailingSlash(QDir(home).absolutePath());
    }
    const QString exeFolder = executableFolder();
    if (canWriteIn(exeFolder))
        return withoutTrailingSlash(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        data = QDir::homePath() + QStringLiteral("/.local/share/Spades");
    QDir().mkpath(data);
    return withoutTrailingSlash(data);
}

QString executableFolder()
{
    return executableFolderOverride().isEmpty() ? QCoreApplication::applicationDirPath()
                                                : executableFolderOverride();
}

void setExecutableFolder(const QString &folder)
{
    executableFolderOverride() = folder;
}

QString programFile(const QString &name)
{
    return programFolder() + QLatin1Char('/') + name;
}

} // namespace platform
