#include "client/tspylist.h"

#include "chat/namelabel.h"
#include "client/windowbackground.h"
#include "protocol/fields.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <memory>

namespace {
// Where an item keeps its line whole; the text it shows may be cut.
constexpr int kWholeLine = Qt::UserRole;
} // namespace

Tspylist::Tspylist(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("Tspylist");
    setWindowTitle("Spades - Spys");
    setFixedSize(162, 168);

    auto *caption = new QLabel("Spy List", this);
    caption->setObjectName("label_spylist");
    caption->setGeometry(8, 4, 146, 18);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);

    m_list = new QListWidget(this);
    m_list->setObjectName("listbox_spys");
    m_list->setGeometry(8, 24, 146, 104);
    m_list->setMouseTracking(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);

    m_menu = new QMenu(this);
    m_kick = m_menu->addAction("Remove From Game");
    m_kick->setObjectName("popup_kickhim");
    m_kick->setEnabled(false);
    connect(m_kick, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    m_mute = m_menu->addAction(QString());
    m_mute->setObjectName("popup_mute");
    m_mute->setVisible(false);
    connect(m_mute, &QAction::triggered, this, [this] { emit muteToggled(m_muteName); });
    connect(m_list, &QListWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        trackPointer(at);
        prepareMenu();
        m_menu->popup(m_list->viewport()->mapToGlobal(at));
    });

    auto *done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setGeometry(44, 136, 75, 25);
    connect(done, &QPushButton::clicked, this, &QDialog::close);
}

void Tspylist::setBackgroundPicture(const QPixmap &picture)
{
    setWindowBackground(this, picture);
}

QString Tspylist::spyLine(int seat, const QString &name)
{
    return QString::number(seat) + QStringLiteral(": ") + name;
}

void Tspylist::addLine(const QString &line)
{
    auto *item = new QListWidgetItem(m_list);
    item->setData(kWholeLine, line);
    item->setData(Qt::AccessibleTextRole, line);
    fitLine(item);
}

void Tspylist::fitLine(QListWidgetItem *item) const
{
    const QString line = item->data(kWholeLine).toString();
    // The style keeps a margin on either side of an item's text.
    const int margin = m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_list);
    const QString shown =
        elideName(line, m_list->fontMetrics(), m_list->viewport()->width() - 2 * (margin + 1));
    item->setText(shown);
    item->setToolTip(shown == line ? QString() : plainToolTip(line));
}

QString Tspylist::wholeLine(int row) const
{
    return m_list->item(row)->data(kWholeLine).toString();
}

bool Tspylist::removeLine(const QString &line)
{
    for (int row = 0; row < m_list->count(); ++row) {
        if (wholeLine(row) == line) {
            std::unique_ptr<QListWidgetItem> taken(m_list->takeItem(row));
            // The rows below moved up; the pointer must be over a line again.
            m_tag = -1;
            return true;
        }
    }
    return false;
}

QStringList Tspylist::lines() const
{
    QStringList out;
    for (int row = 0; row < m_list->count(); ++row)
        out << wholeLine(row);
    return out;
}

void Tspylist::setHosting(bool hosting)
{
    m_kick->setEnabled(hosting);
}

std::optional<std::pair<int, QString>> Tspylist::watcherUnderPointer() const
{
    if (m_tag < 0 || m_tag >= m_list->count())
        return std::nullopt;
    const QString line = wholeLine(m_tag);
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    const std::optional<int> seat = wire::toInt(line.left(colon).toLatin1());
    if (!seat)
        return std::nullopt;
    return std::pair{*seat, line.mid(colon + 2)}; // "n: name"
}

void Tspylist::popup_kickhimClick()
{
    if (const auto watcher = watcherUnderPointer())
        emit kickRequested(watcher->first);
}

void Tspylist::prepareMenu()
{
    const auto watcher = watcherUnderPointer();
    const QString text =
        watcher && m_muteOffer ? m_muteOffer(watcher->first, watcher->second) : QString();
    m_muteName = watcher ? watcher->second : QString();
    m_mute->setText(text);
    m_mute->setVisible(!text.isEmpty());
    m_mute->setEnabled(!text.isEmpty());
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseMove)
        trackPointer(static_cast<QMouseEvent *>(event)->position().toPoint());
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        for (int row = 0; row < m_list->count(); ++row)
            fitLine(m_list->item(row));
    return QDialog::eventFilter(watched, event);
}

void Tspylist::trackPointer(const QPoint &atViewport)
{
    const QModelIndex index = m_list->indexAt(atViewport);
    m_tag = index.isValid() ? index.row() : -1;
}
