#include "client/keyboardplay.h"

#include "client/menuaccelerators.h"
#include "client/tablemodel.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>

namespace {

// The visible mark of the card that holds the keyboard focus: a ring round
// the part of the card that shows, drawn over the hand. It never takes a
// mouse press, so clicking works as before.
class FocusRing : public QWidget
{
public:
    explicit FocusRing(QWidget *parent) : QWidget(parent)
    {
        setObjectName(QStringLiteral("focus_ring"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        hide();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        // A dark line inside a light one reads on any card face and felt.
        painter.setPen(QPen(QColor(255, 200, 0), 3));
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }
};

constexpr int kRingMargin = 3;
const QLatin1String kBidField("edit_bid");

// The chat's own controls on the board: keys pressed there are not moves, and
// a click there leaves the keys where they are.
bool isChatControl(const QWidget *widget)
{
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (name == QLatin1String("panel_chat") || name == QLatin1String("mychat") ||
            name == QLatin1String("button_smilies") || name.startsWith(QLatin1String("b_phrase")))
            return true;
    }
    return false;
}

// Under veils, the nearest card to `at` that may be played; `at` when none may.
int nearestPlayable(const QList<CardPicture *> &hand, int at)
{
    const auto playable = [&](int i) {
        return i >= 0 && i < int(hand.size()) && !hand.at(i)->dimmed();
    };
    for (int d = 1; !playable(at) && d < int(hand.size()); ++d) {
        if (playable(at + d))
            at += d;
        else if (playable(at - d))
            at -= d;
    }
    return at;
}

bool isTextField(const QWidget *widget)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(widget))
        return !line->isReadOnly();
    if (const auto *text = qobject_cast<const QTextEdit *>(widget))
        return !text->isReadOnly();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return !plain->isReadOnly();
    return qobject_cast<const QAbstractSpinBox *>(widget) != nullptr;
}

} // namespace

KeyboardPlay::KeyboardPlay(const TableView &table, QMenu *seatMenu)
    : QObject(table.window), m_table(table)
{
    setObjectName(QStringLiteral("keyboardPlay"));
    QWidget *board = table.board;
    // Reached with Tab; a click on the table gives it the keys through takeKeys.
    board->setFocusPolicy(Qt::TabFocus);
    // The ring is the board's child like any card; made before the board is
    // watched, it never gets the filter meant for the board's other children.
    m_frame = new FocusRing(board);
    board->installEventFilter(this);
    for (QObject *child : board->children())
        if (child->isWidgetType() && child != m_frame)
            child->installEventFilter(this);
    // The ring follows the focus to every control of the window.
    connect(qApp, &QApplication::focusChanged, this, &KeyboardPlay::placeFrame);
    table.window->installEventFilter(this);
    if (auto *edit = table.window->findChild<QLineEdit *>(QStringLiteral("edit_bid")))
        edit->installEventFilter(this);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), table.window);
    escape->setObjectName(QStringLiteral("shortcut_closescores"));
    escape->setContext(Qt::WindowShortcut);
    escape->setEnabled(false);
    connect(escape, &QShortcut::activated, this, [this] { pressIfShown("button_close"); });

    menuaccelerators::addAccelerators(table.window->menuBar());
    menuaccelerators::addMnemonics(seatMenu);
}

bool KeyboardPlay::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *board = m_table.board;
    switch (event->type()) {
    case QEvent::ChildAdded:
        if (watched == board) {
            auto *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType() && child != m_frame)
                child->installEventFilter(this);
        }
        break;
    case QEvent::ChildRemoved:
        // The focused card was played or the hand cleared: keep the focus in
        // the hand once the table has closed the gap.
        if (watched == board && !m_refocusQueued) {
            m_refocusQueued = true;
            QTimer::singleShot(0, this, &KeyboardPlay::keepFocusOnHand);
        }
        break;
    case QEvent::FocusIn:
        if (auto *card = qobject_cast<CardPicture *>(watched))
            m_focused = card;
        placeFrame();
        break;
    case QEvent::FocusOut:
    case QEvent::Move:
    case QEvent::Show:
    case QEvent::ZOrderChange:
        if (qobject_cast<CardPicture *>(watched) || watched == m_table.window->focusWidget())
            placeFrame();
        break;
    case QEvent::Hide:
        if (watched->parent() == board)
            keepKeysOnTable(static_cast<QWidget *>(watched));
        placeFrame();
        break;
    case QEvent::MouseButtonPress:
        if (watched == board ||
            (watched->parent() == board && !isChatControl(static_cast<QWidget *>(watched))))
            takeKeys(qobject_cast<CardPicture *>(watched));
        break;
    case QEvent::KeyPress:
        if (watched == board || watched == m_table.window)
            return handleKey(static_cast<QKeyEvent *>(event), false);
        if (watched->objectName() == kBidField)
            return handleKey(static_cast<QKeyEvent *>(event), true);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool KeyboardPlay::handleKey(QKeyEvent *event, bool inBidField)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    // Keys typed into the chat, or pressed on its buttons, reach the table
    // too; they are not moves.
    if (!playsFromHere(m_table.window->focusWidget()))
        return false;
    if (event->key() == Qt::Key_H) {
        emit hintWanted();
        return true;
    }
    if (bidding() && handleBidKey(event->key()))
        return true;
    // In the number field the other keys edit the number.
    return !inBidField && handleCardKey(event->key());
}

bool KeyboardPlay::handleBidKey(int key)
{
    QWidget *board = m_table.board;
    const auto *bidButton = m_table.window->findChild<QWidget *>(QStringLiteral("button_bid"));
    if (bidButton && !bidButton->isHidden()) {
        switch (key) {
        case Qt::Key_Up:
            return pressIfShown("updown_bid_up");
        case Qt::Key_Down:
            return pressIfShown("updown_bid_down");
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The bid controls hide as the bid goes: keep the focus on the table.
            board->setFocus(Qt::OtherFocusReason);
            return pressIfShown("button_bid");
        case Qt::Key_N:
            board->setFocus(Qt::OtherFocusReason);
            return pressIfShown("button_nil");
        default:
            break;
        }
    }
    if (key == Qt::Key_B) {
        board->setFocus(Qt::OtherFocusReason);
        return pressIfShown("button_blind");
    }
    if (key == Qt::Key_L && pressIfShown("button_dobid")) {
        if (auto *edit = m_table.window->findChild<QLineEdit *>(QStringLiteral("edit_bid"))) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        }
        return true;
    }
    return false;
}

bool KeyboardPlay::handleCardKey(int key)
{
    const QList<CardPicture *> hand = handInOrder();
    if (hand.isEmpty())
        return false;
    switch (key) {
    case Qt::Key_Left:
        moveFocus(-1);
        return true;
    case Qt::Key_Right:
        moveFocus(+1);
        return true;
    case Qt::Key_Home:
        focusSlot(0);
        return true;
    case Qt::Key_End:
        focusSlot(int(hand.size()) - 1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        // Only the card the ring shows is played.
        if (!m_focused || !hand.contains(m_focused.data()) ||
            m_table.window->focusWidget() != m_focused)
            return false;
        // The table checks the turn itself, as it does for a click.
        emit cardChosen(m_focused->position());
        return true;
    default:
        return false;
    }
}

bool KeyboardPlay::pressIfShown(const char *name)
{
    auto *button = m_table.window->findChild<QAbstractButton *>(QString::fromLatin1(name));
    if (!button || !button->isVisibleTo(m_table.window) || !button->isEnabled())
        return false;
    button->click();
    return true;
}

QList<CardPicture *> KeyboardPlay::handInOrder() const
{
    QList<CardPicture *> hand;
    for (int position : m_table.model->handInOrder())
        if (CardPicture *card = m_table.card(position))
            hand.append(card);
    return hand;
}

int KeyboardPlay::focusedPosition() const
{
    return m_focused ? m_focused->position() : 0;
}

void KeyboardPlay::moveFocus(int step)
{
    const QList<CardPicture *> hand = handInOrder();
    if (hand.isEmpty())
        return;
    const int at = m_focused ? int(hand.indexOf(m_focused.data())) : -1;
    if (at < 0)
        focusSlot(step > 0 ? 0 : int(hand.size()) - 1);
    else
        focusSlot(std::clamp(at + step, 0, int(hand.size()) - 1));
}

void KeyboardPlay::focusSlot(int index)
{
    const QList<CardPicture *> hand = handInOrder();
    if (hand.isEmpty())
        return;
    m_focusIndex = std::clamp(index, 0, int(hand.size()) - 1);
    m_focused = hand.at(m_focusIndex);
    m_focused->setFocus(Qt::OtherFocusReason);
    placeFrame();
}

void KeyboardPlay::placeFrame()
{
    const QRect around = focusArea();
    if (around.isEmpty()) {
        m_frame->hide();
        return;
    }
    m_frame->setGeometry(around.adjusted(-kRingMargin, -kRingMargin, kRingMargin, kRingMargin));
    m_frame->show();
    m_frame->raise();
}

QRect KeyboardPlay::focusArea()
{
    QWidget *board = m_table.board;
    QWidget *focus = m_table.window->focusWidget();
    if (focus == board) {
        // The table itself: the felt left of the column of scores and chat.
        const QWidget *column = board->findChild<QWidget *>(QStringLiteral("panel_teams"));
        const int right = column ? column->x() : board->width();
        return QRect(0, 0, right, board->height())
            .adjusted(2 * kRingMargin, 2 * kRingMargin, -2 * kRingMargin, -2 * kRingMargin);
    }
    if (!focus || !board->isAncestorOf(focus) || !focus->isVisibleTo(board))
        return QRect();
    const QRect shown(focus->mapTo(board, QPoint(0, 0)), focus->size());
    auto *card = qobject_cast<CardPicture *>(focus);
    const QList<CardPicture *> hand = handInOrder();
    const qsizetype at = card ? hand.indexOf(card) : -1;
    if (at < 0)
        return shown;
    m_focusIndex = int(at);
    // Only the left strip of a card shows under the next one.
    int width = card->width();
    if (at + 1 < hand.size()) {
        const int gap = hand.at(at + 1)->x() - card->x();
        if (gap > 0 && gap < width)
            width = gap;
    }
    return QRect(shown.topLeft(), QSize(width, shown.height()));
}

int KeyboardPlay::currentSlot() const
{
    const QList<CardPicture *> hand = handInOrder();
    const qsizetype at = m_focused ? hand.indexOf(m_focused.data()) : -1;
    return at >= 0 ? int(at) : m_focusIndex;
}

void KeyboardPlay::takeKeys(CardPicture *clicked)
{
    const QList<CardPicture *> hand = handInOrder();
    if (clicked && hand.contains(clicked)) {
        focusSlot(int(hand.indexOf(clicked)));
        return;
    }
    QWidget *focus = m_table.window->focusWidget();
    if (focus && focus != m_table.window && playsFromHere(focus))
        return;
    if (hand.isEmpty())
        m_table.board->setFocus(Qt::MouseFocusReason);
    else
        focusHand();
}

void KeyboardPlay::focusHand()
{
    const QList<CardPicture *> hand = handInOrder();
    if (!hand.isEmpty())
        focusSlot(nearestPlayable(hand, std::clamp(currentSlot(), 0, int(hand.size()) - 1)));
}

void KeyboardPlay::keepKeysOnTable(QWidget *hidden)
{
    // Qt would pass the keys on along the tab chain, often to the chat.
    QWidget *focus = m_table.window->focusWidget();
    if (!focus || (focus != hidden && !hidden->isAncestorOf(focus)) || hidden == m_table.board ||
        !playsFromHere(focus) || qobject_cast<CardPicture *>(focus))
        return;
    m_table.board->setFocus(Qt::OtherFocusReason);
}

void KeyboardPlay::veilsChanged()
{
    const QList<CardPicture *> hand = handInOrder();
    if (!m_focused || !hand.contains(m_focused.data()) || !m_focused->dimmed())
        return;
    const int at = nearestPlayable(hand, int(hand.indexOf(m_focused.data())));
    if (m_table.window->focusWidget() == m_focused) {
        focusSlot(at);
    } else {
        m_focusIndex = at;
        m_focused = hand.at(at);
    }
}

void KeyboardPlay::keepFocusOnHand()
{
    m_refocusQueued = false;
    placeFrame();
    QWidget *focus = m_table.window->focusWidget();
    if (focus && focus != m_table.window)
        return;
    const QList<CardPicture *> hand = handInOrder();
    if (hand.isEmpty()) {
        m_focusIndex = 0;
        m_table.board->setFocus(Qt::OtherFocusReason);
        return;
    }
    focusSlot(m_focusIndex);
}

bool KeyboardPlay::playsFromHere(const QWidget *focus) const
{
    if (!focus || focus == m_table.window || focus == m_table.board)
        return true;
    return m_table.board->isAncestorOf(focus) && !isChatControl(focus);
}

bool KeyboardPlay::typingElsewhere() const
{
    const QWidget *focus = m_table.window->focusWidget();
    return focus && !playsFromHere(focus) && isTextField(focus);
}

bool KeyboardPlay::bidding() const
{
    for (const char *name : {"button_bid", "button_blind", "button_dobid"})
        if (auto *button = m_table.window->findChild<QWidget *>(QString::fromLatin1(name)))
            if (!button->isHidden())
                return true;
    return false;
}

bool KeyboardPlay::ownTurn() const
{
    const TableModel &model = *m_table.model;
    return model.myTurn() && cards::isSeat(model.myseat()) && !model.watching();
}

void KeyboardPlay::tableChanged()
{
    if (auto *escape =
            m_table.window->findChild<QShortcut *>(QStringLiteral("shortcut_closescores")))
        escape->setEnabled(m_table.scorePanel && !m_table.scorePanel->isHidden());

    const bool bid = bidding();
    const bool own = ownTurn() && !handInOrder().isEmpty();
    if (bid && !m_wasBidding && !typingElsewhere()) {
        auto *edit = m_table.window->findChild<QLineEdit *>(QStringLiteral("edit_bid"));
        if (edit && !edit->isHidden()) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        } else {
            m_table.board->setFocus(Qt::OtherFocusReason);
        }
    }
    if (own && !m_wasOwnTurn && !typingElsewhere()) {
        // Under veils, the turn starts on the nearest card that may be played.
        focusHand();
    }
    m_wasBidding = bid;
    m_wasOwnTurn = own;
}
