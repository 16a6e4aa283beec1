#include "lobby/lobbywindow.h"

#include "lobby/lobbymodel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel *note(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

LobbyWindow::LobbyWindow(LobbyModel *model, QWidget *parent) : QWidget(parent), m_model(model)
{
    setObjectName(QStringLiteral("lobby"));
    setWindowTitle(tr("Spades Lobby"));

    m_name = named(new QLineEdit(m_model->name()), "edit_name");
    m_name->setMaxLength(LobbyModel::kMaxNameLength);
    auto *nameRow = new QFormLayout;
    nameRow->addRow(tr("Your &name:"), m_name);
    m_coordinator = named(new QLineEdit(m_model->coordinator()), "edit_coordinator");
    m_coordinator->setMaxLength(LobbyModel::kMaxAddressLength);
    m_coordinator->setPlaceholderText(tr("none: needed to join by code"));
    nameRow->addRow(tr("C&oordinator:"), m_coordinator);

    auto *hostBox = new QGroupBox(tr("Host a table"));
    auto *hostLayout = new QVBoxLayout(hostBox);
    hostLayout->addWidget(note(tr("Your friends join this computer's address. They must reach "
                                  "TCP port 7772 here: open it in the firewall. The router is "
                                  "asked to forward it; your table says what came of that.")));
    m_portMapping =
        named(new QCheckBox(tr("Ask the &router to open the port")), "checkbox_portmapping");
    m_portMapping->setChecked(m_model->portMapping());
    hostLayout->addWidget(m_portMapping);
    m_reach = named(note(QString()), "label_reach");
    hostLayout->addWidget(m_reach);
    m_copyInvitation = named(new QPushButton(tr("&Copy Invitation")), "button_copyinvitation");
    auto *hostButtons = new QHBoxLayout;
    hostButtons->addStretch();
    hostButtons->addWidget(m_copyInvitation);
    m_host = named(new QPushButton(tr("&Host a Table")), "button_host");
    hostButtons->addWidget(m_host);
    hostLayout->addLayout(hostButtons);

    auto *joinBox = new QGroupBox(tr("Join a table"));
    auto *joinLayout = new QVBoxLayout(joinBox);
    joinLayout->addWidget(note(tr("The host's address (IPv4 or IPv6) or computer name, with "
                                  ":PORT when it is not 7772, an invitation link, or the "
                                  "table's code (7KQ2-M9XD):")));
    m_address = named(new QComboBox, "combo_address");
    m_address->setEditable(true);
    m_address->setInsertPolicy(QComboBox::NoInsert);
    m_address->addItems(m_model->recentTables());
    m_address->setEditText(m_model->address());
    m_address->lineEdit()->setMaxLength(LobbyModel::kMaxAddressLength);
    joinLayout->addWidget(m_address);
    m_join = named(new QPushButton(tr("&Join Table")), "button_join");
    joinLayout->addWidget(m_join, 0, Qt::AlignRight);

    m_solo = named(new QPushButton(tr("Play &Solo")), "button_solo");
    m_status = named(note(QString()), "label_status");
    m_status->setMinimumHeight(m_status->fontMetrics().lineSpacing() * 2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(nameRow);
    layout->addWidget(hostBox);
    layout->addWidget(joinBox);
    layout->addWidget(lanBox());
    layout->addWidget(m_status);
    layout->addWidget(m_solo, 0, Qt::AlignLeft);
    setMinimumWidth(420);

    connect(m_host, &QPushButton::clicked, this, [this] {
        takeFields();
        m_model->host();
    });
    connect(m_join, &QPushButton::clicked, this, [this] {
        takeFields();
        if (m_model->join()) {
            m_address->clear();
            m_address->addItems(m_model->recentTables());
            m_address->setEditText(m_model->address());
        }
    });
    connect(m_copyInvitation, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_model->invitation()); });
    connect(m_address->lineEdit(), &QLineEdit::returnPressed, m_join, &QPushButton::click);
    connect(m_solo, &QPushButton::clicked, this, [this] {
        takeFields();
        if (m_model->playSolo())
            close();
    });
    connect(m_model, &LobbyModel::changed, this, &LobbyWindow::refresh);
    connect(m_model, &LobbyModel::gameEnded, this, &LobbyWindow::comeForward);
    refresh();
}

QWidget *LobbyWindow::lanBox()
{
    auto *box = new QGroupBox(tr("Tables on your network"));
    auto *boxLayout = new QVBoxLayout(box);
    m_lanTables = named(new QListWidget, "list_lan");
    m_lanTables->setMaximumHeight(m_lanTables->fontMetrics().lineSpacing() * 5);
    m_lanStatus = named(note(QString()), "label_lan");
    m_joinLan = named(new QPushButton(tr("Join &Selected Table")), "button_join_lan");
    boxLayout->addWidget(m_lanTables);
    boxLayout->addWidget(m_lanStatus);
    boxLayout->addWidget(m_joinLan, 0, Qt::AlignRight);
    const auto joinSelected = [this] {
        takeFields();
        if (m_model->joinLanTable(m_lanTables->currentRow()))
            m_address->setEditText(m_model->address());
    };
    connect(m_joinLan, &QPushButton::clicked, this, joinSelected);
    connect(m_lanTables, &QListWidget::itemActivated, this, joinSelected);
    connect(m_lanTables, &QListWidget::currentRowChanged, this, [this] { refresh(); });
    return box;
}

// The list is rebuilt only when what it shows changed, so that the
// selection stays where the player put it.
void LobbyWindow::refreshLanTables()
{
    QStringList lines;
    for (const LanTable &table : m_model->lanTables()) {
        const QString who = table.hostName.isEmpty() ? table.service : table.hostName;
        lines << (table.freeSeats == 1 ? tr("%1 - 1 free seat").arg(who)
                                       : tr("%1 - %2 free seats").arg(who).arg(table.freeSeats));
    }
    QStringList shown;
    for (int i = 0; i < m_lanTables->count(); ++i)
        shown << m_lanTables->item(i)->text();
    if (lines != shown) {
        const int row = m_lanTables->currentRow();
        m_lanTables->clear();
        m_lanTables->addItems(lines);
        if (row >= 0 && row < lines.size())
            m_lanTables->setCurrentRow(row);
    }
    QString status = m_model->lanProblem();
    if (status.isEmpty() && lines.isEmpty())
        status = tr("No table on your network yet.");
    m_lanStatus->setText(status);
    m_lanStatus->setVisible(!status.isEmpty());
}

void LobbyWindow::openLink(const QString &link)
{
    takeFields();
    if (m_model->openLink(link))
        m_address->setEditText(m_model->address());
    comeForward();
    if (m_model->name().trimmed().isEmpty())
        m_name->setFocus();
    else
        m_join->setFocus();
}

void LobbyWindow::takeFields()
{
    m_model->setName(m_name->text());
    m_model->setAddress(m_address->currentText());
    m_model->setCoordinator(m_coordinator->text());
    m_model->setPortMapping(m_portMapping->isChecked());
}

void LobbyWindow::refresh()
{
    const bool idle = m_model->state() == LobbyModel::State::Idle;
    for (QWidget *control : {static_cast<QWidget *>(m_host), static_cast<QWidget *>(m_join),
                             static_cast<QWidget *>(m_solo)})
        control->setEnabled(idle);
    m_status->setText(m_model->status());
    m_reach->setText(m_model->reach());
    m_reach->setVisible(!m_model->reach().isEmpty());
    m_copyInvitation->setVisible(!m_model->invitation().isEmpty());
    refreshLanTables();
    m_joinLan->setEnabled(idle && m_lanTables->currentRow() >= 0);
}

void LobbyWindow::comeForward()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}
