// Options > "Show Playable Cards": the cards the host would refuse at the own
// turn are veiled. The host still referees: a veiled card clicked is offered
// all the same, and the host's answer says why it is refused.
#include "client/keyboardplay.h"
#include "client/playablecards.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"

#include <QAction>
#include <QMenu>

void Tchat::addPlayableItem(QMenu *options)
{
    m_showPlayableItem = options->addAction(QStringLiteral("Show Playable Cards"));
    m_showPlayableItem->setObjectName(QStringLiteral("ShowPlayableCards1"));
    m_showPlayableItem->setCheckable(true);
    m_showPlayableItem->setChecked(m_showPlayable);
    connect(m_showPlayableItem, &QAction::triggered, this,
            [this](bool on) { setShowPlayable(on, true); });
}

void Tchat::setShowPlayable(bool on, bool announce)
{
    m_showPlayable = on;
    m_showPlayableItem->setChecked(on);
    refreshPlayable();
    if (announce)
        emit settingsChanged();
}

// Runs whenever the table changed, so the veils come with the own turn and go
// with the card played, the trick taken or the hand scored.
void Tchat::refreshPlayable()
{
    const std::optional<CardSet> allowed =
        m_showPlayable ? playablecards::allowed(m_model) : std::nullopt;
    bool changed = false;
    for (const std::unique_ptr<CardPicture> &card : m_cards) {
        if (!card)
            continue;
        const bool dimmed = allowed && (*allowed >> card->card() & 1) == 0;
        changed = changed || dimmed != card->dimmed();
        card->setDimmed(dimmed);
    }
    if (changed && m_keyboard)
        m_keyboard->veilsChanged();
}
