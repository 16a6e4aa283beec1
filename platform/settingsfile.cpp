// The program's settings file.
#include "platform/settingsfile.h"

#include "platform/programfolder.h"

SettingsFile::SettingsFile() : m_path(platform::programFile(settings::kFileName)) {}

SettingsFile::SettingsFile(const QString &path) : m_path(path) {}

IniFile SettingsFile::read() const
{
    return IniFile::load(m_path);
}

QString SettingsFile::readString(const QString &key, const QString &fallback) const
{
    return settings::readString(read(), key, fallback);
}

int SettingsFile::readInteger(const QString &key, int fallback) const
{
    return settings::readInteger(read(), key, fallback);
}

bool SettingsFile::writeString(const QString &key, const QString &value, QString *error) const
{
    return IniFile::writeString(m_path, settings::kSection, key, value, error);
}

bool SettingsFile::write(const QList<std::pair<QString, QString>> &values, QString *error) const
{
    return IniFile::write(m_path, settings::kSection, values, error);
}

SpadesSettings SettingsFile::load(const SpadesSettings &current) const
{
    return settings::read(read(), current);
}

bool SettingsFile::save(const SpadesSettings &values, QString *error) const
{
    return write(settings::keyValues(values), error);
}

bool SettingsFile::savePhrases(const std::array<QString, 9> &phrases, QString *error) const
{
    return write(settings::phraseKeyValues(phrases), error);
}
