#pragma once

#include <QString>
#include <QStringList>

class QMenu;
class QMenuBar;

namespace menuaccelerators {

// The caption with a mnemonic ("&") before its first letter not yet taken in
// its menu, preferring the first letters of words; a caption that already has
// one keeps it. Every letter used is added to taken.
QString withMnemonic(const QString &caption, QStringList &taken);

// Gives every item of the menu bar, its menus and their submenus a mnemonic,
// and the common items their usual shortcut keys.
void addAccelerators(QMenuBar *bar);
void addMnemonics(QMenu *menu);

} // namespace menuaccelerators
