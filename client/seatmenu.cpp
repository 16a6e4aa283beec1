#include "client/seatmenu.h"

SeatMenu::SeatMenu(QWidget *parent) : QMenu(parent)
{
    setObjectName("popup_kick");
    m_remove = addAction("Remove From Game");
    m_setWatch = addAction("Set to Just Watch");
    m_unsetWatch = addAction("Unset Just Watch");
    m_remove->setObjectName("popup_kickhim");
    m_setWatch->setObjectName("popup_setwatch");
    m_unsetWatch->setObjectName("popup_unsetwatch");
    connect(m_remove, &QAction::triggered, this, [this] { emit removeRequested(m_tag); });
    connect(m_setWatch, &QAction::triggered, this, [this] { emit watchRequested(m_tag, 1); });
    connect(m_unsetWatch, &QAction::triggered, this, [this] { emit watchRequested(m_tag, 2); });
    m_mute = addAction(QString());
    m_mute->setObjectName("popup_mute");
    m_mute->setVisible(false);
    connect(m_mute, &QAction::triggered, this, [this] { emit muteToggled(m_muteName); });
}

void SeatMenu::offerMute(const QString &name, const QString &itemText)
{
    m_muteName = name;
    m_mute->setText(itemText);
    m_mute->setVisible(!itemText.isEmpty());
    m_mute->setEnabled(!itemText.isEmpty());
}

void SeatMenu::prepare(int labelTag, const QString &labelText, bool ishost)
{
    m_setWatch->setEnabled(ishost);
    m_unsetWatch->setEnabled(ishost);
    m_remove->setEnabled(ishost && labelText != QLatin1String("<Waiting>"));
    m_tag = labelTag;
}
