#include "client/chatmutes.h"

#include "chat/namelabel.h"

#include <QApplication>
#include <QFontMetrics>

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
    const QFontMetrics metrics(QApplication::font("QMenu"));
    QString shown = elideName(name, metrics, metrics.averageCharWidth() * kShownNameCharacters);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return (isMuted(name) ? QStringLiteral("Unmute ") : QStringLiteral("Mute ")) + shown;
}
