// The settings file format.
#include "platform/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(QByteArray text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// Files saved on Windows are usually in its ANSI code page; ours are UTF-8.
// Text that is not valid UTF-8 is taken as Latin-1.
QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

bool sameName(const QByteArray &raw, const QString &name)
{
    return decode(raw).compare(name.trimmed(), Qt::CaseInsensitive) == 0;
}

// "[name]" with anything after the closing bracket ignored.
std::optional<QByteArray> sectionName(const QByteArray &line)
{
    const QByteArray text = trimBlanks(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimBlanks(text.mid(1, close - 1));
}

struct KeyLine
{
    QByteArray name;
    QByteArray value;
};

std::optional<KeyLine> keyLine(const QByteArray &line)
{
    const QByteArray text = trimBlanks(line);
    if (text.isEmpty() || text.startsWith(';') || text.startsWith('['))
        return std::nullopt;
    const qsizetype equals = text.indexOf('=');
    if (equals <= 0)
        return std::nullopt;
    KeyLine key{trimBlanks(text.left(equals)), trimBlanks(text.mid(equals + 1))};
    if (key.name.isEmpty())
        return std::nullopt;
    return key;
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool quotedWhole(const QString &value)
{
    return value.size() >= 2 && isQuote(value.front()) && value.front() == value.back();
}

QString unquote(const QString &value)
{
    return quotedWhole(value) ? value.mid(1, value.size() - 2) : value;
}

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
           text.contains(QChar(0));
}

// The writer quotes a value whenever the reader would otherwise lose its
// outer blanks or outer quotes.
QByteArray encodeValue(const QString &value)
{
    const bool blankEdge =
        !value.isEmpty() &&
        (value.front() == QLatin1Char(' ') || value.front() == QLatin1Char('\t') ||
         value.back() == QLatin1Char(' ') || value.back() == QLatin1Char('\t'));
    if (blankEdge || quotedWhole(value))
        return '"' + value.toUtf8() + '"';
    return value.toUtf8();
}

const QByteArray kCrLf("\r\n");
const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LittleMark("\xFF\xFE");
const QByteArray kUtf16BigMark("\xFE\xFF");

// The text of a UTF-16 file as UTF-8, when it converts back to the very same
// bytes; a file that does not is read as plain bytes, so it is never altered.
// Settings text in UTF-16 always holds zero bytes (one in every plain ASCII
// character), which text read as plain bytes never gains from a write: a file
// is never read one way and, once written, the other.
std::optional<QByteArray> fromUtf16(const QByteArray &body, QStringConverter::Encoding encoding)
{
    if (!body.contains('\0'))
        return std::nullopt;
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless |
                                         QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decoder.decode(body);
    if (decoder.hasError())
        return std::nullopt;
    // The lines are kept as UTF-8, which has no room for a lone surrogate.
    const QByteArray utf8 = text.toUtf8();
    QStringEncoder encoder(encoding, QStringEncoder::Flag::Stateless);
    const QByteArray back = encoder.encode(QString::fromUtf8(utf8));
    if (back != body)
        return std::nullopt;
    return utf8;
}

} // namespace

IniFile::IniFile(const QByteArray &bytes)
{
    QByteArray contents = bytes;
    if (bytes.startsWith(kUtf8Mark)) {
        m_encoding = Encoding::Utf8Marked;
        contents = bytes.mid(kUtf8Mark.size());
    } else if (bytes.startsWith(kUtf16LittleMark) || bytes.startsWith(kUtf16BigMark)) {
        const bool little = bytes.startsWith(kUtf16LittleMark);
        const std::optional<QByteArray> text =
            fromUtf16(bytes.mid(2), little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
        if (text) {
            m_encoding = little ? Encoding::Utf16LittleEndian : Encoding::Utf16BigEndian;
            contents = *text;
        }
    }

    qsizetype start = 0;
    const qsizetype size = contents.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = contents.at(i);
        if (c != '\r' && c != '\n')
            continue;
        Line line{contents.mid(start, i - start), QByteArray(1, c)};
        if (c == '\r' && i + 1 < size && contents.at(i + 1) == '\n') {
            line.end = kCrLf;
            ++i;
        }
        m_lines.append(line);
        start = i + 1;
    }
    if (start < size)
        m_lines.append(Line{contents.mid(start), QByteArray()});
}

IniFile IniFile::load(const QString &path)
{
    return tryLoad(path).value_or(IniFile());
}

std::optional<IniFile> IniFile::tryLoad(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return IniFile();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return IniFile(file.readAll());
}

std::optional<IniFile::Section> IniFile::findSection(const QString &section) const
{
    std::optional<Section> found;
    for (int i = 0; i < m_lines.size(); ++i) {
        const std::optional<QByteArray> name = sectionName(m_lines.at(i).text);
        if (name) {
            if (found)
                break;
            if (sameName(*name, section))
                found = Section{i, i};
        } else if (found && !trimBlanks(m_lines.at(i).text).isEmpty()) {
            found->last = i;
        }
    }
    return found;
}

int IniFile::findKey(const Section &where, const QString &key) const
{
    for (int i = where.header + 1; i <= where.last; ++i) {
        const std::optional<KeyLine> line = keyLine(m_lines.at(i).text);
        if (line && sameName(line->name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const std::optional<Section> where = findSection(section);
    if (!where)
        return std::nullopt;
    const int index = findKey(*where, key);
    if (index < 0)
        return std::nullopt;
    QByteArray raw = keyLine(m_lines.at(index).text)->value;
    if (const qsizetype nul = raw.indexOf('\0'); nul >= 0)
        raw = trimBlanks(raw.left(nul));
    const QString text = unquote(decode(raw));
    return text.left(kMaxValueLength);
}

QString IniFile::readString(const QString &section, const QString &key,
                            const QString &fallback) const
{
    return value(section, key).value_or(fallback);
}

bool IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString name = key.trimmed();
    const QString group = section.trimmed();
    if (hasLineBreak(value) || hasLineBreak(name) || hasLineBreak(group) || name.isEmpty() ||
        name.contains(QLatin1Char('=')) || name.startsWith(QLatin1Char(';')) ||
        name.startsWith(QLatin1Char('[')) || group.isEmpty() || group.contains(QLatin1Char(']')))
        return false;

    const std::optional<Section> where = findSection(group);
    if (where) {
        const int index = findKey(*where, name);
        if (index >= 0) {
            // Keep the name as the file spells it; only the value changes.
            const QByteArray stored = keyLine(m_lines.at(index).text)->name;
            m_lines[index] = Line{stored + '=' + encodeValue(value), kCrLf};
            return true;
        }
        if (m_lines.at(where->last).end.isEmpty())
            m_lines[where->last].end = kCrLf;
        m_lines.insert(where->last + 1, Line{name.toUtf8() + '=' + encodeValue(value), kCrLf});
        return true;
    }
    if (!m_lines.isEmpty() && m_lines.constLast().end.isEmpty())
        m_lines.last().end = kCrLf;
    m_lines.append(Line{'[' + group.toUtf8() + ']', kCrLf});
    m_lines.append(Line{name.toUtf8() + '=' + encodeValue(value), kCrLf});
    return true;
}

QByteArray IniFile::contents() const
{
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.text + line.end;
    switch (m_encoding) {
    case Encoding::Bytes:
        return bytes;
    case Encoding::Utf8Marked:
        return kUtf8Mark + bytes;
    case Encoding::Utf16LittleEndian:
        return kUtf16LittleMark +
               QStringEncoder(QStringConverter::Utf16LE).encode(QString::fromUtf8(bytes));
    case Encoding::Utf16BigEndian:
        return kUtf16BigMark +
               QStringEncoder(QStringConverter::Utf16BE).encode(QString::fromUtf8(bytes));
    }
    return bytes;
}

bool IniFile::save(const QString &path, QString *error) const
{
    const auto fail = [&] {
        if (error)
            *error = QStringLiteral("Unable to write to ") + path;
        return false;
    };
    // A read-only settings file is the user's choice; replacing it through a
    // rename would go around that.
    const QFileInfo info(path);
    if (info.exists() && !info.isWritable())
        return fail();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    const QByteArray bytes = contents();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return fail();
    }
    if (!file.commit())
        return fail();
    return true;
}

bool IniFile::write(const QString &path, const QString &section,
                    const QList<std::pair<QString, QString>> &values, QString *error)
{
    const auto fail = [&] {
        if (error)
            *error = QStringLiteral("Unable to write to ") + path;
        return false;
    };
    // A file that exists but cannot be read must not be replaced by one
    // holding only the keys written now.
    std::optional<IniFile> file = tryLoad(path);
    if (!file)
        return fail();
    for (const auto &[key, value] : values) {
        if (!file->setValue(section, key, value))
            return fail();
    }
    return file->save(path, error);
}

bool IniFile::writeString(const QString &path, const QString &section, const QString &key,
                          const QString &value, QString *error)
{
    return write(path, section, {{key, value}}, error);
}
