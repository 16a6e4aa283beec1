#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

// A Windows initialisation file ("[Section]" lines and "Key=Value" lines),
// read the way the Windows profile functions read it so that files written by
// other programs mean the same here:
//  - section and key names match regardless of letter case;
//  - blanks and tabs around names and values are ignored;
//  - a value enclosed in one matching pair of quotes is read without them;
//  - there are no inline comments (";" inside a value is part of it);
//  - the first of duplicate sections, and of duplicate keys in it, wins;
//  - a value ends at a NUL character and is cut at 2047 characters;
//  - lines may end in CR LF, LF or CR;
//  - a file that starts with a UTF-8 or UTF-16 byte-order mark is read in that
//    encoding and written back in it, mark included.
// Writing replaces only the line of the key written; every other line keeps
// its bytes. The file is replaced through a temporary file and a rename, so a
// crash never leaves half a file.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 2047;

    IniFile() = default;
    explicit IniFile(const QByteArray &contents);

    // Reads the file; a missing or unreadable file reads as empty.
    static IniFile load(const QString &path);
    // As load(), but nullopt when the file exists and cannot be read.
    static std::optional<IniFile> tryLoad(const QString &path);

    // The value of the key, or nullopt when the section or key is absent.
    std::optional<QString> value(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &fallback) const;

    // Sets the key in memory. A value holding a line break or a NUL cannot be
    // stored and is refused. Values whose outer blanks or quotes the reader would
    // strip are written in quotes so that they read back unchanged.
    bool setValue(const QString &section, const QString &key, const QString &value);

    QByteArray contents() const;

    // Replaces the file at path with contents(). On failure returns false and
    // sets *error to "Unable to write to " + path; the old file is untouched
    // and no temporary file is left behind.
    bool save(const QString &path, QString *error = nullptr) const;

    // Reads the file afresh, sets the values in order and writes it back once.
    static bool write(const QString &path, const QString &section,
                      const QList<std::pair<QString, QString>> &values, QString *error = nullptr);
    static bool writeString(const QString &path, const QString &section, const QString &key,
                            const QString &value, QString *error = nullptr);

private:
    // How the file's bytes hold its text; the lines are kept as UTF-8 for
    // the marked encodings.
    enum class Encoding { Bytes, Utf8Marked, Utf16LittleEndian, Utf16BigEndian };

    struct Line
    {
        QByteArray text;
        QByteArray end; // the line's terminator as read: "\r\n", "\n", "\r" or empty
    };
    struct Section
    {
        int header = -1; // line index of "[name]", -1 for lines before any section
        int last = -1;   // last non-blank line belonging to it
    };

    std::optional<Section> findSection(const QString &section) const;
    int findKey(const Section &where, const QString &key) const;

    QList<Line> m_lines;
    Encoding m_encoding = Encoding::Bytes;
};
