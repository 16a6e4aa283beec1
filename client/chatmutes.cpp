#include "client/chatmutes.h"

namespace {
const QString kWaiting = QStringLiteral("<Waiting>");
} // namespace

bool ChatMutes::setMuted(const QString &name, bool muted)
{
    if (name.isEmpty() || isMuted(name) == muted)
        return false;
    if (!muted)
        return m_names.removeOne(name);
    if (m_names.size() >= kMost)
        return false;
    m_names.append(name);
    return true;
}

bool ChatMutes::canMute(int n, int myseat, const QString &name)
{
    return n >= 1 && n != myseat && !name.isEmpty() && name != kWaiting;
}

QString ChatMutes::itemText(const QString &name) const
{
    QString shown = name;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return (isMuted(name) ? QStringLiteral("Unmute ") : QStringLiteral("Mute ")) + shown;
}
