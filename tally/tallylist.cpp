#include "tally/tallylist.h"

#include "chat/namelabel.h"

#include "platform/programfolder.h"
#include "protocol/cards.h"
#include "tally/tallyfile.h"

#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {

const QString kWaiting = QStringLiteral("<Waiting>");

class MessageBoxPrompts : public TallyPrompts
{
public:
    // The texts hold player names from the network: shown as plain text.
    bool confirm(QWidget *parent, const QString &question) override
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Spades"), question,
                        QMessageBox::Yes | QMessageBox::No, parent);
        box.setTextFormat(Qt::PlainText);
        return box.exec() == QMessageBox::Yes;
    }
    void showError(QWidget *parent, const QString &message) override
    {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Spades"), message, QMessageBox::Ok,
                        parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
};

QLabel *makeLabel(QWidget *parent, const QString &text, const QRect &at,
                  const QString &name = QString())
{
    auto *label = new QLabel(parent);
    // Tallies are kept by player names, which come from the network.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setGeometry(at);
    if (!name.isEmpty())
        label->setObjectName(name);
    // The boxes were laid out for a smaller dialog font than most desktops
    // use: a caption that would run into its neighbour is set smaller.
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(text) > at.width() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    if (font != label->font())
        label->setFont(font);
    return label;
}

QListWidgetItem *checkedItem(const QString &text, bool checked)
{
    auto *item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent)
    : QWidget(parent, Qt::Window), m_prompts(std::make_unique<MessageBoxPrompts>())
{
    setObjectName(QStringLiteral("Ttallylist"));
    setWindowTitle(QStringLiteral("Spades - Tally List"));
    setFixedSize(475, 347);
    buildControls();
    showOwnRecord();
}

Ttallylist::~Ttallylist() = default;

void Ttallylist::buildControls()
{
    auto *own = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    own->setGeometry(8, 8, 208, 72);
    makeLabel(own, QStringLiteral("Total Games:"), QRect(12, 24, 100, 18));
    makeLabel(own, QStringLiteral("Your Wins"), QRect(12, 46, 100, 18));
    for (int n = 1; n <= 4; ++n) {
        const int y = n % 2 == 1 ? 24 : 46;
        const int x = n <= 2 ? 120 : 160;
        m_mylabel[n] = makeLabel(own, QStringLiteral("0"), QRect(x, y, 60, 18),
                                 QStringLiteral("mylabel_%1").arg(n));
        // Columns 3 and 4 of the own record are not kept.
        m_mylabel[n]->setVisible(n <= 2);
    }

    auto *player = new QFrame(this);
    player->setObjectName(QStringLiteral("panel_player"));
    player->setFrameShape(QFrame::StyledPanel);
    player->setGeometry(8, 88, 208, 150);
    // The chosen player's name, cut to its start where it does not fit.
    m_hisnametop = new NameLabel(player);
    m_hisnametop->setObjectName(QStringLiteral("label_hisnametop"));
    m_hisnametop->setGeometry(6, 6, 196, 20);
    m_hisnametop->setName(QStringLiteral("XX"), QStringLiteral("'s Tally"));
    m_hisnametop->setAlignment(Qt::AlignCenter);
    QFont bold = m_hisnametop->font();
    bold.setBold(true);
    m_hisnametop->setFont(bold);
    makeLabel(player, QStringLiteral("Total"), QRect(118, 32, 40, 18));
    makeLabel(player, QStringLiteral("Session"), QRect(158, 32, 48, 18));
    makeLabel(player, QStringLiteral("Number of Games"), QRect(6, 54, 112, 18));
    m_hisname = new NameLabel(player);
    m_hisname->setObjectName(QStringLiteral("label_hisname"));
    m_hisname->setGeometry(6, 76, 112, 18);
    m_hisname->setName(QStringLiteral("XX"), QStringLiteral(" Wins:"));
    makeLabel(player, QStringLiteral("Your Wins:"), QRect(6, 98, 112, 18));
    makeLabel(player, QStringLiteral("Neither Won:"), QRect(6, 120, 112, 18));
    for (int n = 1; n <= 8; ++n) {
        const int x = n <= 4 ? 118 : 158;
        const int y = 54 + 22 * ((n - 1) % 4);
        m_label[n] = makeLabel(player, QStringLiteral("0"), QRect(x, y, 40, 18),
                               QStringLiteral("label_%1").arg(n));
    }

    auto *present =
        makeLabel(this, QStringLiteral("Players In Current Game"), QRect(224, 4, 117, 34));
    present->setWordWrap(true);
    m_checklist = new QListWidget(this);
    m_checklist->setObjectName(QStringLiteral("checklist"));
    m_checklist->setGeometry(224, 40, 117, 252);

    auto *followed =
        makeLabel(this, QStringLiteral("Players Being Tallied"), QRect(349, 4, 117, 34));
    followed->setWordWrap(true);
    m_listboxTally = new QListWidget(this);
    m_listboxTally->setObjectName(QStringLiteral("listbox_tally"));
    m_listboxTally->setGeometry(349, 40, 117, 252);

    m_reset = new QPushButton(QStringLiteral("Reset Tally"), this);
    m_reset->setObjectName(QStringLiteral("button_reset"));
    m_reset->setGeometry(224, 305, 117, 30);
    m_done = new QPushButton(QStringLiteral("Done"), this);
    m_done->setObjectName(QStringLiteral("button_done"));
    m_done->setGeometry(349, 305, 117, 30);

    connect(m_checklist, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_updating)
            checklistClickCheck(item);
    });
    connect(m_listboxTally, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (!m_updating)
            listbox_tallyClickCheck(item);
    });
    connect(m_listboxTally, &QListWidget::currentRowChanged, this, &Ttallylist::listbox_tallyClick);
    connect(m_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(m_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

void Ttallylist::setPrompts(std::unique_ptr<TallyPrompts> prompts)
{
    if (prompts)
        m_prompts = std::move(prompts);
}

void Ttallylist::load()
{
    load(platform::programFolder());
}

void Ttallylist::load(const QString &folder)
{
    m_path = QDir(folder).filePath(tallyfile::kFileName);
    m_loadFailed = false;
    m_scores = TallyTable();
    m_updating = true;
    m_listboxTally->clear();
    m_updating = false;
    showOwnRecord();
    if (!QFile::exists(m_path))
        return;

    QString error;
    bool damaged = false;
    std::optional<TallyTable> table = tallyfile::read(m_path, &error, &damaged);
    if (!table) {
        // A damaged file goes aside, kept for the player to rescue, and a new
        // tally starts. One that could not be reached at all is left where it
        // is and not written over at program end.
        const QString keptAs = damaged ? tallyfile::keepAside(m_path) : QString();
        m_loadFailed = keptAs.isEmpty();
        const QString happened =
            m_loadFailed ? "Your tally " + QDir::toNativeSeparators(m_path) +
                               " could not be read. It is left as it is, and nothing is "
                               "written to it until Spades starts again."
                         : "Your tally was damaged. It has been set aside as " +
                               QDir::toNativeSeparators(keptAs) + " and a new tally is started.";
        m_prompts->showError(this, happened + "\n\nWhat went wrong: " + error);
        return;
    }
    m_scores = std::move(*table);
    loadtally();
}

void Ttallylist::loadtally()
{
    showOwnRecord();
    m_updating = true;
    for (int r = 1; r < m_scores.rowCount(); ++r)
        m_listboxTally->addItem(checkedItem(m_scores.cell(0, r), true));
    m_updating = false;
    m_scores.startSession();
}

bool Ttallylist::save()
{
    if (m_path.isEmpty() || m_loadFailed)
        return false;
    return tallyfile::write(m_path, m_scores);
}

void Ttallylist::showOwnRecord()
{
    for (int n = 1; n <= 4; ++n)
        m_mylabel[n]->setText(m_scores.cell(n, 0));
}

void Ttallylist::showPlayerRow(int row)
{
    if (row < 1 || row >= m_scores.rowCount())
        return;
    for (int n = 1; n <= 8; ++n)
        m_label[n]->setText(m_scores.cell(n, row));
    const QString name = m_scores.cell(0, row);
    m_hisname->setName(name, QStringLiteral(" Wins:"));
    m_hisnametop->setName(name, QStringLiteral("'s Tally"));
}

int Ttallylist::tallyRowOf(const QString &name) const
{
    for (int i = 0; i < m_listboxTally->count(); ++i)
        if (m_listboxTally->item(i)->text() == name)
            return i + 1;
    return -1;
}

void Ttallylist::setChecklistChecks()
{
    m_updating = true;
    for (int i = 0; i < m_checklist->count(); ++i) {
        QListWidgetItem *item = m_checklist->item(i);
        item->setCheckState(tallyRowOf(item->text()) > 0 ? Qt::Checked : Qt::Unchecked);
    }
    m_updating = false;
}

void Ttallylist::loadchecklist(int mySeat, const SeatNames &seatNames)
{
    m_updating = true;
    m_checklist->clear();
    for (int n = 1; n <= cards::kSeats; ++n) {
        if (n == mySeat)
            continue;
        const QString &name = seatNames[std::size_t(n)];
        if (name == kWaiting || name.isEmpty())
            continue;
        m_checklist->addItem(checkedItem(name, tallyRowOf(name) > 0));
    }
    m_updating = false;
}

void Ttallylist::addtomineincrease(bool won)
{
    m_scores.addOwnGame(won);
    m_mylabel[1]->setText(m_scores.cell(1, 0));
    m_mylabel[2]->setText(m_scores.cell(2, 0));
}

void Ttallylist::addgame(const QString &result, int mySeat, const SeatNames &seatNames)
{
    loadchecklist(mySeat, seatNames);
    addtomineincrease(result == TallyTable::kOwnWin);
    for (int i = 0; i < m_checklist->count(); ++i) {
        const int row = tallyRowOf(m_checklist->item(i)->text());
        if (row > 0)
            m_scores.creditPlayer(row, result);
    }
    const int selected = m_listboxTally->currentRow();
    if (selected >= 0)
        showPlayerRow(selected + 1);
}

void Ttallylist::viewTally(int mySeat, const SeatNames &seatNames)
{
    loadchecklist(mySeat, seatNames);
    if (!m_placed && m_mainWindow) {
        const QRect main = m_mainWindow->frameGeometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void Ttallylist::checklistClickCheck(QListWidgetItem *item)
{
    const QString name = item->text();
    if (tallyRowOf(name) < 0) {
        m_updating = true;
        m_listboxTally->addItem(checkedItem(name, true));
        m_updating = false;
        m_scores.addPlayer(name);
    }
    // The box shows whether the player is followed, whichever way it was
    // clicked.
    setChecklistChecks();
}

void Ttallylist::listbox_tallyClick(int index)
{
    if (index >= 0)
        showPlayerRow(index + 1);
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item)
{
    if (item->checkState() == Qt::Checked)
        return;
    // The item may not be deleted while the list is still delivering the
    // click that changed it.
    QMetaObject::invokeMethod(
        this, [this, item] { removePlayer(item); }, Qt::QueuedConnection);
}

void Ttallylist::removePlayer(QListWidgetItem *item)
{
    int index = -1;
    for (int i = 0; i < m_listboxTally->count(); ++i)
        if (m_listboxTally->item(i) == item)
            index = i;
    if (index < 0 || item->checkState() == Qt::Checked)
        return;
    const QString question =
        "This will delete " + item->text() + "'s Tally, Are you want to delete it?";
    if (!m_prompts->confirm(this, question)) {
        m_updating = true;
        item->setCheckState(Qt::Checked);
        m_updating = false;
        return;
    }
    m_scores.removeRow(index + 1);
    m_updating = true;
    // The list gives up the item it takes out; it goes here.
    std::unique_ptr<QListWidgetItem>(m_listboxTally->takeItem(index)).reset();
    m_updating = false;
    setChecklistChecks();
    showSelectedPlayer();
}

void Ttallylist::showSelectedPlayer()
{
    const int selected = m_listboxTally->currentRow();
    if (selected >= 0) {
        showPlayerRow(selected + 1);
        return;
    }
    for (int n = 1; n <= 8; ++n)
        m_label[n]->setText(QStringLiteral("0"));
    m_hisname->setText(QStringLiteral("XX Wins:"));
    m_hisnametop->setText(QStringLiteral("XX's Tally"));
}

void Ttallylist::button_resetClick()
{
    if (!m_prompts->confirm(this, QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    for (int n = 1; n <= 4; ++n)
        m_mylabel[n]->setText(QStringLiteral("0"));
    // The player rows go with the list, so list entry i and table row i + 1
    // keep naming the same player.
    m_scores.reset();
    m_updating = true;
    m_listboxTally->clear();
    m_updating = false;
    showSelectedPlayer();
    setChecklistChecks();
}

void Ttallylist::button_doneClick()
{
    hide();
}
