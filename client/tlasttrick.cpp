#include "client/tlasttrick.h"

#include "chat/namelabel.h"
#include "client/windowbackground.h"
#include "resources/panelpictures.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QLabel>
#include <QMoveEvent>
#include <QPushButton>
#include <QTimer>

namespace {
constexpr QPoint kCardAt[4] = {{8, 18}, {93, 19}, {179, 19}, {264, 19}};
constexpr int kNameLeft[4] = {7, 92, 178, 263};
constexpr int kNameTop = 125;
constexpr int kWinnerTop = 4;
constexpr int kLeadTop = 103;
// A window move arrives as many small steps; the place is saved once they stop.
constexpr int kSettleMs = 400;
} // namespace

Tlasttrick::Tlasttrick(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("Tlasttrick");
    setWindowTitle("Spades - Last Trick");
    setFixedSize(350, 173);

    for (int i = 0; i < 4; ++i) {
        auto *card = new QLabel(this);
        card->setObjectName(QStringLiteral("image_last%1").arg(i + 1));
        card->setGeometry(QRect(kCardAt[i], pictures::kCardSize));
        m_cards[i] = card;
        auto *name = new NameLabel(this);
        name->setObjectName(QStringLiteral("label_last%1").arg(i + 1));
        name->setGeometry(kNameLeft[i], kNameTop, 80, 16);
        m_names[i] = name;
    }
    const qreal dpr = qApp->devicePixelRatio();
    m_winner = new QLabel(this);
    m_winner->setObjectName("image_lastwinner");
    m_winner->setPixmap(panelpictures::lastWinner(dpr));
    m_winner->setGeometry(kCardAt[0].x() + 2, kWinnerTop, 67, 14);
    m_lead = new QLabel(this);
    m_lead->setObjectName("image_lastlead");
    m_lead->setPixmap(panelpictures::lastLead(dpr));
    m_lead->setGeometry(kCardAt[0].x() - 8, kLeadTop, 8, 20);
    m_winner->hide();
    m_lead->hide();

    auto *done = new QPushButton("Done", this);
    done->setObjectName("button_done");
    done->setGeometry(242, 145, 75, 25);
    connect(done, &QPushButton::clicked, this, &QWidget::hide);

    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(kSettleMs);
    connect(m_settle, &QTimer::timeout, this, &Tlasttrick::storePosition);
}

void Tlasttrick::storePosition()
{
    m_settle->stop();
    const QPoint at = pos();
    if (at.y() == m_top && at.x() == m_left)
        return;
    m_top = at.y();
    m_left = at.x();
    emit positionStored();
}

void Tlasttrick::setBackgroundPicture(const QPixmap &picture)
{
    setWindowBackground(this, picture);
}

void Tlasttrick::reset()
{
    m_winner->hide();
    m_lead->hide();
    for (QLabel *card : m_cards)
        card->clear();
    m_leadSeat = 0;
}

void Tlasttrick::cardPlayed(int seat)
{
    if (m_leadSeat == 0 && seat >= 1 && seat <= 4)
        m_leadSeat = seat;
}

int Tlasttrick::screenPosition(int seat, int myseat)
{
    if (seat < 1 || seat > 4)
        return 0;
    if (myseat < 1 || myseat > 4) // watchers see the table unturned
        return seat;
    return (seat - myseat + 4) % 4 + 1;
}

void Tlasttrick::recordTrick(const std::array<int, 4> &cards, int winnerSeat, int myseat)
{
    const qreal dpr = qApp->devicePixelRatio();
    for (int i = 0; i < 4; ++i) {
        m_cards[i]->clear();
        if (cards[i] >= 1 && cards[i] <= 52)
            m_cards[i]->setPixmap(pictures::card(cards[i], dpr));
    }
    if (const int at = screenPosition(winnerSeat, myseat)) {
        m_winner->move(kCardAt[at - 1].x() + 2, kWinnerTop);
        m_winner->show();
    }
    if (const int at = screenPosition(m_leadSeat, myseat)) {
        m_lead->move(kCardAt[at - 1].x() - 8, kLeadTop);
        m_lead->show();
    }
    m_leadSeat = 0;
}

void Tlasttrick::showTrick(const QStringList &namesByPosition)
{
    for (int i = 0; i < 4; ++i) {
        const QString name = namesByPosition.value(i);
        m_names[i]->setName(name);
        m_names[i]->setAccessibleName(name);
    }
    show();
    raise();
    activateWindow();
}

void Tlasttrick::setStoredPosition(int top, int left)
{
    m_top = top;
    m_left = left;
}

void Tlasttrick::resetPlace()
{
    // A move the user is still making would otherwise be stored over it.
    m_settle->stop();
    setStoredPosition(kDefaultTop, kDefaultLeft);
    if (isVisible())
        move(m_left, m_top);
}

bool Tlasttrick::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        // A move still settling is the user's latest choice; keep it first.
        if (m_settle->isActive())
            storePosition();
        move(m_left, m_top);
    }
    return QDialog::event(event);
}

void Tlasttrick::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    if (isVisible() && event->spontaneous())
        m_settle->start();
}
