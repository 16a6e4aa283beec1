#include "tally/tallyfile.h"

#include "tally/lzrw1.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

namespace tallyfile {

namespace {

const QString kScratchName = QStringLiteral("temp.txt");

} // namespace

std::optional<TallyTable> read(const QString &path, QString *error, bool *damaged)
{
    bool ignored = false;
    if (!damaged)
        damaged = &ignored;
    *damaged = false;
    QTemporaryDir scratchDir;
    if (!scratchDir.isValid()) {
        *error =
            "The tally could not be read: no temporary folder (" + scratchDir.errorString() + ")";
        return std::nullopt;
    }
    const QString scratch = scratchDir.filePath(kScratchName);
    try {
        Tlzrw1 doit;
        doit.InputFile = path;
        doit.OutputFile = scratch;
        doit.Decompress();
    } catch (const ELzrw1Exception &e) {
        *error = e.message();
        *damaged = e.damagedInput();
        return std::nullopt;
    }
    QFile text(scratch);
    if (!text.open(QIODevice::ReadOnly)) {
        *error = "The tally could not be read from " + scratch;
        return std::nullopt;
    }
    std::optional<TallyTable> table = TallyTable::fromText(text.readAll());
    if (!table) {
        *error = "The tally file " + path + " does not hold a tally.";
        *damaged = true;
    }
    return table;
}

QString keepAside(const QString &path)
{
    constexpr int kMostKept = 1000;
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(info.completeBaseName() + "-damaged");
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    for (int n = 1; n <= kMostKept; ++n) {
        const QString target = stem + (n == 1 ? QString() : "-" + QString::number(n)) + suffix;
        // rename() never replaces an existing file.
        if (QFile::exists(target))
            continue;
        if (QFile::rename(path, target))
            return target;
        if (QFile::exists(path) && !QFile::exists(target))
            return QString(); // the folder refuses the move
    }
    return QString();
}

bool write(const QString &path, const TallyTable &table)
{
    QTemporaryDir scratchDir;
    if (!scratchDir.isValid())
        return false;
    const QString scratch = scratchDir.filePath(kScratchName);
    const QString packed = scratchDir.filePath(kFileName);
    {
        QFile text(scratch);
        const QByteArray bytes = table.toText();
        if (!text.open(QIODevice::WriteOnly) || text.write(bytes) != bytes.size() || !text.flush())
            return false;
    }
    try {
        Tlzrw1 doit;
        doit.CompressMode = Tlzrw1::Mode::Fast;
        doit.InputFile = scratch;
        doit.OutputFile = packed;
        doit.Compress();
    } catch (const ELzrw1Exception &) {
        return false;
    }
    QFile source(packed);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    QSaveFile target(path);
    if (!target.open(QIODevice::WriteOnly) || target.write(bytes) != bytes.size())
        return false;
    return target.commit();
}

} // namespace tallyfile
