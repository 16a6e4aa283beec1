#include "lobby/lobbywindow.h"

#include "lobby/lobbymodel.h"
#include "lobby/opentables.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

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

// A choice among "any" and a few values, each item holding what it stands for.
QComboBox *choice(const char *name, const QList<std::pair<QString, QVariant>> &items)
{
    auto *box = named(new QComboBox, name);
    for (const auto &[text, value] : items)
        box->addItem(text, value);
    return box;
}

std::optional<bool> flagOf(const QComboBox *box)
{
    const QVariant value = box->currentData();
    return value.isValid() ? std::optional(value.toBool()) : std::nullopt;
}

// Shows `value` in a choice; a value it does not offer shows as "any".
template <typename T> void choose(QComboBox *box, const std::optional<T> &value)
{
    box->setCurrentIndex(value ? std::max(0, box->findData(QVariant(*value))) : 0);
}

constexpr int kCodeRole = Qt::UserRole;

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
    m_listPublicly =
        named(new QCheckBox(tr("&List my table in Open Tables")), "checkbox_listpublicly");
    m_listPublicly->setChecked(m_model->listPublicly());
    hostLayout->addWidget(m_listPublicly);
    m_tableName = named(new QLineEdit(m_model->tableName()), "edit_tablename");
    m_tableName->setMaxLength(PublicListing::kLongestName);
    m_tableName->setPlaceholderText(tr("your name's table"));
    auto *tableNameRow = new QFormLayout;
    tableNameRow->addRow(tr("&Table name:"), m_tableName);
    hostLayout->addLayout(tableNameRow);
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

    // Hosting and joining by hand on the left, the open tables beside them.
    auto *left = new QVBoxLayout;
    left->addLayout(nameRow);
    left->addWidget(hostBox);
    left->addWidget(joinBox);
    left->addWidget(lanBox());
    left->addStretch();
    auto *leftPane = new QWidget;
    leftPane->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    leftPane->setMinimumWidth(400);
    auto *columns = new QHBoxLayout;
    columns->addWidget(leftPane);
    columns->addWidget(openTablesBox(), 1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(m_status);
    layout->addWidget(m_solo, 0, Qt::AlignLeft);

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
    // An emptied field stops the open tables at once; a typed one counts
    // once the player is done with it, not at every key.
    connect(m_coordinator, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (text.trimmed().isEmpty())
            m_model->setCoordinator(text);
        refresh();
    });
    connect(m_coordinator, &QLineEdit::editingFinished, this, [this] {
        m_model->setCoordinator(m_coordinator->text());
        refresh();
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

QWidget *LobbyWindow::openTablesBox()
{
    auto *box = new QGroupBox(tr("Open Tables"));
    auto *boxLayout = new QVBoxLayout(box);
    boxLayout->addWidget(note(tr("Tables anyone may join, as the coordinator lists them. Quick "
                                 "Play joins the fullest one with a free seat, or hosts one.")));
    boxLayout->addLayout(filterControls());
    m_openTables = named(new QTreeWidget, "tree_opentables");
    m_openTables->setColumnCount(int(OpenTables::headers().size()));
    m_openTables->setHeaderLabels(OpenTables::headers());
    m_openTables->setRootIsDecorated(false);
    m_openTables->setUniformRowHeights(true);
    m_openTables->setAllColumnsShowFocus(true);
    m_openTables->setTextElideMode(Qt::ElideRight);
    m_openTables->setMinimumHeight(m_openTables->fontMetrics().lineSpacing() * 12);
    // Room for the short columns at their widest and for a name of fair length.
    PublicListing widest;
    widest.name = QString(14, QLatin1Char('x'));
    widest.playtoscore = 1000;
    widest.sandbag = widest.blind = widest.startclub = true;
    widest.computers = false;
    widest.watchers = PublicListing::kMostWatchers;
    const QStringList words = OpenTables::describe(widest);
    const QStringList headers = OpenTables::headers();
    const QFontMetrics metrics = m_openTables->fontMetrics();
    int width = 2 * m_openTables->frameWidth() +
                m_openTables->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (qsizetype i = 0; i < words.size(); ++i)
        width += qMax(metrics.horizontalAdvance(words[i]), metrics.horizontalAdvance(headers[i])) +
                 metrics.averageCharWidth() * 2;
    m_openTables->setMinimumWidth(width);
    // The name takes what room is left and is cut short with "..." when it
    // does not fit; the short columns keep their words whole.
    QHeaderView *header = m_openTables->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    boxLayout->addWidget(m_openTables, 1);
    m_openStatus = named(note(QString()), "label_opentables");
    boxLayout->addWidget(m_openStatus);
    m_refreshOpen = named(new QPushButton(tr("&Refresh")), "button_refresh_open");
    m_quickPlay = named(new QPushButton(tr("&Quick Play")), "button_quickplay");
    m_joinOpen = named(new QPushButton(tr("Join Open &Table")), "button_join_open");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_refreshOpen);
    buttons->addStretch();
    buttons->addWidget(m_quickPlay);
    buttons->addWidget(m_joinOpen);
    boxLayout->addLayout(buttons);

    connect(m_refreshOpen, &QPushButton::clicked, this, [this] {
        m_model->setCoordinator(m_coordinator->text());
        m_model->refreshOpenTables();
    });
    connect(m_quickPlay, &QPushButton::clicked, this, [this] {
        takeFields();
        m_model->quickPlay();
    });
    connect(m_joinOpen, &QPushButton::clicked, this, &LobbyWindow::joinSelectedOpenTable);
    connect(m_openTables, &QTreeWidget::itemActivated, this, &LobbyWindow::joinSelectedOpenTable);
    connect(m_openTables, &QTreeWidget::currentItemChanged, this, [this] { refresh(); });
    return box;
}

QLayout *LobbyWindow::filterControls()
{
    const QVariant any;
    m_target = choice("combo_target", {{tr("any"), any}});
    for (const int target : {200, 250, 300, 400, 500, 1000})
        m_target->addItem(QString::number(target), target);
    m_bags =
        choice("combo_bags", {{tr("any"), any}, {tr("count"), true}, {tr("do not count"), false}});
    m_blind = choice("combo_blind",
                     {{tr("any"), any}, {tr("allowed"), true}, {tr("not allowed"), false}});
    m_twoOfClubs =
        choice("combo_twoofclubs", {{tr("any"), any}, {tr("yes"), true}, {tr("no"), false}});
    m_computers = choice("combo_computers",
                         {{tr("any"), any}, {tr("fill in"), true}, {tr("people only"), false}});
    m_freeSeat = named(new QCheckBox(tr("With a &free seat")), "checkbox_freeseat");
    auto *grid = new QGridLayout;
    const QList<std::pair<QString, QWidget *>> cells{
        {tr("Target:"), m_target},       {tr("Bags:"), m_bags},
        {tr("Blind Nil:"), m_blind},     {tr("2\u2663 leads:"), m_twoOfClubs},
        {tr("Computers:"), m_computers}, {QString(), m_freeSeat}};
    for (int i = 0; i < cells.size(); ++i) {
        const auto &[label, control] = cells[i];
        if (!label.isEmpty()) {
            auto *text = new QLabel(label);
            text->setTextFormat(Qt::PlainText);
            text->setBuddy(control);
            grid->addWidget(text, i / 3, (i % 3) * 2, Qt::AlignRight);
        }
        grid->addWidget(control, i / 3, (i % 3) * 2 + 1);
    }
    // The filter remembered from the last time, before the controls speak.
    const ListingFilter remembered = m_model->openTablesFilter();
    choose(m_target, remembered.playtoscore);
    choose(m_bags, remembered.sandbag);
    choose(m_blind, remembered.blind);
    choose(m_twoOfClubs, remembered.startclub);
    choose(m_computers, remembered.computers);
    m_freeSeat->setChecked(remembered.freeSeat);
    m_model->setOpenTablesFilter(filterOfControls());
    for (QComboBox *box : {m_target, m_bags, m_blind, m_twoOfClubs, m_computers})
        connect(box, &QComboBox::currentIndexChanged, this,
                [this] { m_model->setOpenTablesFilter(filterOfControls()); });
    connect(m_freeSeat, &QCheckBox::toggled, this,
            [this] { m_model->setOpenTablesFilter(filterOfControls()); });
    return grid;
}

ListingFilter LobbyWindow::filterOfControls() const
{
    ListingFilter filter;
    const QVariant target = m_target->currentData();
    if (target.isValid())
        filter.playtoscore = target.toInt();
    filter.sandbag = flagOf(m_bags);
    filter.blind = flagOf(m_blind);
    filter.startclub = flagOf(m_twoOfClubs);
    filter.computers = flagOf(m_computers);
    filter.freeSeat = m_freeSeat->isChecked();
    return filter;
}

// Rows are rebuilt only when what they show changed, and the table chosen
// stays chosen by its code while others come and go.
void LobbyWindow::refreshOpenTables()
{
    const QList<PublicListing> tables = m_model->openTables();
    QList<QStringList> rows;
    QList<QByteArray> codes;
    for (const PublicListing &table : tables) {
        rows << OpenTables::describe(table);
        codes << table.code;
    }
    QList<QStringList> shownRows;
    QList<QByteArray> shownCodes;
    for (int i = 0; i < m_openTables->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = m_openTables->topLevelItem(i);
        QStringList texts;
        for (int column = 0; column < item->columnCount(); ++column)
            texts << item->text(column);
        shownRows << texts;
        shownCodes << item->data(0, kCodeRole).toByteArray();
    }
    if (rows != shownRows || codes != shownCodes) {
        const QTreeWidgetItem *current = m_openTables->currentItem();
        const QByteArray chosen =
            current ? current->data(0, kCodeRole).toByteArray() : QByteArray();
        const QSignalBlocker quiet(m_openTables);
        m_openTables->clear();
        for (int i = 0; i < rows.size(); ++i) {
            auto *item = new QTreeWidgetItem(rows[i]);
            item->setData(0, kCodeRole, codes[i]);
            m_openTables->addTopLevelItem(item);
            if (!chosen.isEmpty() && codes[i] == chosen)
                m_openTables->setCurrentItem(item);
        }
    }

    const bool hasCoordinator = !m_coordinator->text().trimmed().isEmpty();
    QString status = hasCoordinator ? m_model->openTablesProblem()
                                    : tr("Open tables are listed by a coordinator: type its "
                                         "address in the Coordinator field to see them.");
    if (status.isEmpty() && tables.isEmpty())
        status = m_model->openTablesFetching() ? tr("Looking for open tables...")
                                               : tr("No open table matches your choice.");
    m_openStatus->setText(status);
    m_openStatus->setVisible(!status.isEmpty());

    const bool idle = m_model->state() == LobbyModel::State::Idle;
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_openTables, m_target, m_bags, m_blind, m_twoOfClubs, m_computers, m_freeSeat,
             m_refreshOpen, m_listPublicly, m_tableName})
        control->setEnabled(hasCoordinator);
    m_quickPlay->setEnabled(hasCoordinator && idle && !m_model->quickPlayPending());
    m_joinOpen->setEnabled(hasCoordinator && idle && m_openTables->currentItem());
}

void LobbyWindow::joinSelectedOpenTable()
{
    const QTreeWidgetItem *item = m_openTables->currentItem();
    if (!item)
        return;
    takeFields();
    const QByteArray code = item->data(0, kCodeRole).toByteArray();
    const QList<PublicListing> tables = m_model->openTables();
    for (int i = 0; i < tables.size(); ++i) {
        if (tables[i].code == code) {
            if (m_model->joinOpenTable(i)) {
                m_address->clear();
                m_address->addItems(m_model->recentTables());
                m_address->setEditText(m_model->address());
            }
            return;
        }
    }
}

void LobbyWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    tellWhetherShown();
}

void LobbyWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    tellWhetherShown();
}

void LobbyWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        tellWhetherShown();
}

// A list nobody sees is not fetched again and again.
void LobbyWindow::tellWhetherShown()
{
    m_model->setOpenTablesShown(isVisible() && !isMinimized());
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
    m_model->setListPublicly(m_listPublicly->isChecked());
    m_model->setTableName(m_tableName->text());
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
    refreshOpenTables();
}

void LobbyWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitHeight();
}

// Rows and columns change their minds once the layout has been laid out
// anew (a column's width follows the rows it shows): the height is fitted
// again then, without asking for another layout.
bool LobbyWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::LayoutRequest)
        fitHeight(false);
    return handled;
}

void LobbyWindow::fitHeight(bool relayout)
{
    QLayout *box = layout();
    if (!box || !box->hasHeightForWidth())
        return;
    if (relayout)
        box->invalidate();
    const int needed = box->totalHeightForWidth(width());
    if (needed <= 0 || needed == minimumHeight())
        return;
    setMinimumHeight(needed);
    if (height() < needed)
        resize(width(), needed);
}

void LobbyWindow::comeForward()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}
