#pragma once

#include "platform/inifile.h"
#include "platform/spadessettings.h"

#include <QString>

// The program's settings file, "velnorlobby.ini" in the program folder,
// section "Spades". Every read looks at the file afresh and every write
// replaces it whole, so other programs' sections survive.
class SettingsFile
{
public:
    SettingsFile();
    explicit SettingsFile(const QString &path);

    const QString &path() const { return m_path; }

    IniFile read() const;
    QString readString(const QString &key, const QString &fallback) const;
    int readInteger(const QString &key, int fallback) const;

    // Failures set *error to "Unable to write to " + path() and leave the
    // file as it was.
    bool writeString(const QString &key, const QString &value, QString *error = nullptr) const;
    bool write(const QList<std::pair<QString, QString>> &values, QString *error = nullptr) const;

    SpadesSettings load(const SpadesSettings &current = {}) const;
    bool save(const SpadesSettings &values, QString *error = nullptr) const;
    bool savePhrases(const std::array<QString, 9> &phrases, QString *error = nullptr) const;

private:
    QString m_path;
};
