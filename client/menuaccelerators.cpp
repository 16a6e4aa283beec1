#include "client/menuaccelerators.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace menuaccelerators {

namespace {

// The letter after a single "&" ("&&" is a literal ampersand); null if none.
QChar existingMnemonic(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        if (caption.at(i + 1).isLetterOrNumber())
            return caption.at(i + 1).toLower();
    }
    return QChar();
}

bool usable(QChar c, const QStringList &taken)
{
    return c.isLetterOrNumber() && !taken.contains(QString(c.toLower()));
}

void addMnemonicsTo(const QList<QAction *> &actions)
{
    QStringList taken;
    for (QAction *action : actions) {
        const QChar existing = existingMnemonic(action->text());
        if (!existing.isNull())
            taken.append(QString(existing));
    }
    for (QAction *action : actions) {
        if (action->isSeparator() || action->text().isEmpty())
            continue;
        action->setText(withMnemonic(action->text(), taken));
        if (QMenu *sub = action->menu())
            addMnemonics(sub);
    }
}

} // namespace

QString withMnemonic(const QString &caption, QStringList &taken)
{
    const QChar existing = existingMnemonic(caption);
    if (!existing.isNull()) {
        if (!taken.contains(QString(existing)))
            taken.append(QString(existing));
        return caption;
    }
    qsizetype chosen = -1;
    // First letters of words first, then any letter.
    for (qsizetype i = 0; i < caption.size() && chosen < 0; ++i) {
        const bool wordStart = i == 0 || caption.at(i - 1).isSpace();
        if (wordStart && usable(caption.at(i), taken))
            chosen = i;
    }
    for (qsizetype i = 0; i < caption.size() && chosen < 0; ++i)
        if (usable(caption.at(i), taken))
            chosen = i;
    if (chosen < 0)
        return caption;
    taken.append(QString(caption.at(chosen).toLower()));
    QString result = caption;
    result.insert(chosen, QLatin1Char('&'));
    return result;
}

void addMnemonics(QMenu *menu)
{
    if (menu)
        addMnemonicsTo(menu->actions());
}

void addAccelerators(QMenuBar *bar)
{
    if (!bar)
        return;
    addMnemonicsTo(bar->actions());
    const std::pair<const char *, QKeySequence> shortcuts[] = {
        {"StartGame1", QKeySequence(Qt::CTRL | Qt::Key_N)},
        // Plain H gives a hint too, but only while the table has the focus:
        // in the chat entry it types.
        {"Hint1", QKeySequence(Qt::CTRL | Qt::Key_H)},
        {"Exit1", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"LastTrick1", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"Content1", QKeySequence(Qt::Key_F1)},
    };
    for (const auto &[name, keys] : shortcuts)
        if (QAction *action = bar->findChild<QAction *>(QString::fromLatin1(name)))
            if (action->shortcut().isEmpty())
                action->setShortcut(keys);
}

} // namespace menuaccelerators
