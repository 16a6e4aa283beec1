// The hint: the expert player's choice for the own seat, shown and never sent.
#include "client/accessiblenames.h"
#include "client/seathint.h"
#include "client/tchat.h"
#include "client/tchatwidgets.h"

#include <QAction>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <utility>

namespace {

// A frame round the suggested card. It lies on the card, so it moves with it,
// shows only where the card shows, and goes when the card is played.
class HintMark : public QWidget
{
public:
    explicit HintMark(QWidget *card) : QWidget(card)
    {
        setObjectName(QStringLiteral("hint_mark"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_TranslucentBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(card->rect());
        card->installEventFilter(this);
        show();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The card grows and shrinks with the board.
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        // Moved to another slot, the card shows another strip.
        if (watched == parent() && event->type() == QEvent::Move)
            update();
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        // As plain as the keyboard's ring, a light line with a dark one inside,
        // but green, so that the two are not taken for each other.
        const QRect strip = shownStrip();
        QPainter painter(this);
        painter.setPen(QPen(QColor(40, 220, 90), 3));
        painter.drawRect(strip.adjusted(1, 1, -2, -2));
        painter.setPen(QPen(Qt::black, 1));
        painter.drawRect(strip.adjusted(3, 3, -4, -4));
    }

private:
    // The part of the card that the cards lying over it leave showing.
    QRect shownStrip() const
    {
        const QWidget *card = parentWidget();
        int width = card->width();
        const QWidget *hand = card->parentWidget();
        for (const CardPicture *other :
             hand->findChildren<CardPicture *>(Qt::FindDirectChildrenOnly)) {
            const int gap = other->x() - card->x();
            if (other != card && !other->isHidden() && gap > 0 && gap < width &&
                other->geometry().intersects(card->geometry()))
                width = gap;
        }
        return QRect(0, 0, width, height());
    }
};

} // namespace

void Tchat::Hint1Click()
{
    clearHint();
    using Kind = seathint::Advice::Kind;
    const seathint::Advice advice = seathint::advise(m_model);
    switch (advice.kind) {
    case Kind::None:
        return;
    case Kind::Card:
        if (CardPicture *card = cardAt(advice.handPosition)) {
            m_hintMark = new HintMark(card);
            setStatus(QStringLiteral("Hint: play the ") + accessiblenames::cardName(card->card()) +
                      QLatin1Char('.'));
        }
        return;
    case Kind::Bid:
        if (advice.bid == 0) {
            setStatus(QStringLiteral("Hint: bid Nil."));
            return;
        }
        m_editBid->setText(QString::number(advice.bid));
        m_editBid->selectAll();
        setStatus(QStringLiteral("Hint: bid %1.").arg(advice.bid));
        return;
    case Kind::BlindNil:
        setStatus(QStringLiteral("Hint: bid Blind Nil."));
        return;
    case Kind::Look:
        setStatus(QStringLiteral("Hint: look at your cards, then bid."));
        return;
    }
}

void Tchat::clearHint()
{
    // Off its card at once; the table holds it until it is deleted.
    if (QWidget *mark = std::exchange(m_hintMark, nullptr)) {
        mark->hide();
        mark->setParent(this);
        mark->deleteLater();
    }
}

// The mark stays while the card is awaited from this seat; the menu item is
// offered while the host waits for this seat's card or bid.
void Tchat::hintTableChanged()
{
    if (!m_model.myTurn())
        clearHint();
    m_hint->setEnabled(seathint::hasMove(m_model));
}
