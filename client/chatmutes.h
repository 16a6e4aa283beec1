#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The names the player muted in this window's own chat: their chat and action
// lines and their chatter sounds are not shown or played here. Everyone else
// still gets them, and nothing of it goes to the host. The names stay while
// the window keeps to one table (a reconnect to it keeps them); a new table
// starts with nobody muted.
class ChatMutes
{
public:
    // More than a full table and its watchers ever hold; past it nobody more
    // is muted, so a stream of new names cannot grow the list.
    static constexpr int kMost = 32;

    // Names as the table shows them, compared exactly: a name from the host
    // is just bytes, and a near match could mute someone else.
    bool isMuted(const QString &name) const { return m_names.contains(name); }
    // False when nothing changed: already so, a name nobody can hold, or the
    // list is full.
    bool setMuted(const QString &name, bool muted);
    bool toggle(const QString &name) { return setMuted(name, !isMuted(name)); }
    void clear() { m_names.clear(); }
    int size() const { return int(m_names.size()); }

    // Whether what connection n sends is kept from the view, given the name
    // the table knows for n (none for a connection it has no name for). The
    // own lines always show, even under a name someone else also uses.
    bool hides(int n, int myseat, const std::optional<QString> &name) const
    {
        return n >= 1 && n != myseat && name && isMuted(*name);
    }

    // Whether connection n, shown under `name`, is offered to be muted: a
    // person other than ourselves, not a seat nobody holds.
    static bool canMute(int n, int myseat, const QString &name);
    // "Mute NAME" or "Unmute NAME" for a menu: the name shown as it is, its
    // "&" doubled so that it is no accelerator, and cut to its start and an
    // ellipsis where it is much wider than a name usually is.
    QString itemText(const QString &name) const;
    static constexpr int kShownNameCharacters = 24; // of average width

private:
    QStringList m_names;
};
