// The player's own muting of names in this window's chat.
#include "client/tchat.h"

bool Tchat::offersMute(int n, const QString &name) const
{
    // Only a person the table shows under that name: not a computer player
    // or a seat whose player left.
    const bool person = m_model.nameOfConnection(n) == name &&
                        (!cards::isSeat(n) || name != m_model.seat(n).fallback) &&
                        name != TableModel::computerName(n);
    return person && ChatMutes::canMute(n, m_model.myseat(), name);
}

QString Tchat::muteItemText(int n, const QString &name) const
{
    return offersMute(n, name) ? m_mutes.itemText(name) : QString();
}

void Tchat::toggleMute(const QString &name)
{
    m_mutes.toggle(name);
}
