#include "tally/tallyfile.h"

#include "tally/lzrw1.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

namespace tallyfile {

namespace {

const QString kScratchName = QStringLiteral("temp.txt");

} // namespace

std::optional<TallyTable> read(const QString &path, QString *error)
{
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
        return std::nullopt;
    }
    QFile text(scratch);
    if (!text.open(QIODevice::ReadOnly)) {
        *error = "The tally could not be read from " + scratch;
        return std::nullopt;
    }
    std::optional<TallyTable> table = TallyTable::fromText(text.readAll());
    if (!table)
        *error = "The tally file " + path + " does not hold a tally.";
    return table;
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
