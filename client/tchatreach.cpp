// Reaching the hosted table from outside the home: whether the router is asked
// to open the port, what came of it, the invitation to pass on, and whether
// strangers see the table in Open Tables.
#include "client/tchat.h"
#include "protocol/tsock.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

void Tchat::addReachItems(QMenu *file, QMenu *options)
{
    m_copyInvitation = new QAction(QStringLiteral("Copy Invitation"), this);
    m_copyInvitation->setObjectName(QStringLiteral("CopyInvitation1"));
    m_copyInvitation->setVisible(false);
    // Before "Exit", which stays last.
    file->insertAction(file->actions().value(file->actions().size() - 1), m_copyInvitation);
    connect(m_copyInvitation, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(m_invitation); });

    m_portMappingItem = options->addAction(QStringLiteral("Ask the Router to Open the Port"));
    m_portMappingItem->setObjectName(QStringLiteral("PortMapping1"));
    m_portMappingItem->setCheckable(true);
    m_portMappingItem->setChecked(m_portMapping);
    connect(m_portMappingItem, &QAction::triggered, this,
            [this](bool on) { setPortMapping(on, true); });

    m_listPubliclyItem = options->addAction(QStringLiteral("List This Table in Open Tables"));
    m_listPubliclyItem->setObjectName(QStringLiteral("ListPublicly1"));
    m_listPubliclyItem->setCheckable(true);
    m_listPubliclyItem->setEnabled(false);
    connect(m_listPubliclyItem, &QAction::triggered, this, &Tchat::listPubliclyChosen);
}

void Tchat::setListPublicly(bool on)
{
    m_listPubliclyItem->setChecked(on);
}

void Tchat::offerListPublicly(bool offered)
{
    m_listPubliclyItem->setEnabled(offered);
}

void Tchat::setPortMapping(bool on, bool announce)
{
    m_portMapping = on;
    m_portMappingItem->setChecked(on);
    if (announce) {
        emit settingsChanged();
        addlinetochat(on ? QStringLiteral("0+The router will be asked to open the port the next "
                                          "time you host a table.")
                         : QStringLiteral("0+The router will not be asked to open the port the "
                                          "next time you host a table."));
    }
}

void Tchat::showReach(const QString &text, const QString &invitation)
{
    addlinetochat(QStringLiteral("0+") + text);
    m_invitation = invitation;
    m_copyInvitation->setVisible(!invitation.isEmpty());
    // The lobby that started this game shows the same, one line each.
    if (m_sock11 && m_sock11->Connected()) {
        QByteArray lines = "reach " + text.toUtf8().replace('\n', ' ') + '\n';
        for (const QString &link : invitation.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            lines += "invite " + link.toUtf8() + '\n';
        m_sock11->Send(lines);
    }
}
