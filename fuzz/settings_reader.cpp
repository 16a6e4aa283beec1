// Reads arbitrary bytes as a settings file, reads back every key it can name,
// then writes one key and checks that the file keeps every other byte and
// value, and reads the written value back unchanged.
//
// Input: the file's bytes, then optionally a 0 byte and the value to write.
#include "platform/inifile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Name
{
    QString section;
    QString key;
};

// Section and key names as a simple reader would see them; a name the file
// means differently just reads as absent, which is also checked.
QList<Name> namesIn(const QByteArray &file)
{
    constexpr int kMaxNames = 48;
    QList<Name> names;
    QString section;
    for (QByteArray line : file.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            section = QString::fromLatin1(line.mid(1, close < 0 ? -1 : close - 1));
            names.append({section, QStringLiteral("x")});
        } else if (const qsizetype equals = line.indexOf('='); equals > 0) {
            names.append({section, QString::fromLatin1(line.left(equals))});
            names.append({section, QString::fromUtf8(line.left(equals))});
        }
        if (names.size() >= kMaxNames)
            break;
    }
    return names;
}

bool sameName(const QString &a, const QString &b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QByteArray file = split < 0 ? input : input.left(split);
    const QString newValue =
        split < 0 ? QStringLiteral("v") : QString::fromLatin1(input.mid(split + 1));

    IniFile ini(file);
    // Reading alone changes nothing.
    check(ini.contents() == file);

    const QList<Name> names = namesIn(file);
    QList<std::optional<QString>> before;
    for (const Name &name : names) {
        const std::optional<QString> value = ini.value(name.section, name.key);
        check(!value || value->size() <= IniFile::kMaxValueLength);
        check(ini.readString(name.section, name.key, QStringLiteral("\1")) ==
              value.value_or(QStringLiteral("\1")));
        before.append(value);
    }

    const Name target = names.isEmpty() ? Name{QStringLiteral("Options"), QStringLiteral("Key")}
                                        : names.at(int(size % size_t(names.size())));
    if (!ini.setValue(target.section, target.key, newValue))
        return 0;

    const IniFile reread(ini.contents());
    check(reread.contents() == ini.contents());
    const std::optional<QString> written = reread.value(target.section, target.key);
    check(written.has_value());
    check(*written == newValue.left(IniFile::kMaxValueLength));
    for (int i = 0; i < names.size(); ++i) {
        const Name &name = names.at(i);
        if (sameName(name.section, target.section) && sameName(name.key, target.key))
            continue;
        check(reread.value(name.section, name.key) == before.at(i));
    }
    return 0;
}
