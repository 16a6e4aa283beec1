// The own hand: card pictures in thirteen slots along the bottom of the board,
// played by clicking; and the cards every seat lays on the table.
#include "client/tchatboard.h"

#include "client/boardscaler.h"

#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "resources/pictures.h"

#include <QAction>
#include <QLabel>

namespace {

constexpr int kHandTop = 333;
constexpr int kRaisedTop = 328;

int slotLeft(int slot)
{
    return 170 + 18 * (slot - 1);
}

QRect cardAtScaleOne(int left, int top)
{
    return QRect(QPoint(left, top), pictures::kCardSize);
}

// Lifts a card of the hand to a height, where it stands along the hand.
void liftTo(BoardScaler &scaler, CardPicture *card, int top)
{
    scaler.place(card, cardAtScaleOne(scaler.base(card).x(), top));
}

} // namespace

void Tchat::mycards(const wire::toClient::MyCards &)
{
    if (m_model.blindAllowed())
        m_flippedcards->show();
    else
        flipcards();
}

void Tchat::flipcards()
{
    m_flippedcards->hide();
    for (const wire::CardInSlot &c : m_model.takeDealt()) {
        if (c.card != 0)
            createcard(c.position, c.card);
        sortthem();
    }
}

void Tchat::createcard(int position, int card)
{
    switch (m_model.addCard(position, card)) {
    case TableModel::Dealt::HandFull:
        // Only a broken or hostile host deals a fourteenth card; saying so
        // once is enough, however many follow.
        if (!m_toldHandFull) {
            m_toldHandFull = true;
            showMessage(QStringLiteral("no no"));
        }
        return;
    case TableModel::Dealt::Refused:
        return;
    case TableModel::Dealt::Added:
        break;
    }
    auto picture = std::make_unique<CardPicture>(position, card, m_board);
    connect(picture.get(), &BoardPicture::pressed, this, [this, position](Qt::MouseButton button) {
        cardimagesMouseDown(cardAt(position), button);
    });
    m_scaler->place(picture.get(), cardAtScaleOne(slotLeft(m_model.slotOf(position)), kHandTop));
    picture->show();
    m_cards[position] = std::move(picture);
    layOutHand(m_model.slotOf(position));
}

CardPicture *Tchat::cardAt(int position) const
{
    return cards::isHandPosition(position) ? m_cards[position].get() : nullptr;
}

void Tchat::layOutHand(int fromSlot)
{
    const std::array<int, 14> order = m_model.handSlots();
    for (int slot = std::max(fromSlot, 1); slot <= cards::kHandSize; ++slot) {
        if (CardPicture *card = cardAt(order[slot])) {
            const bool offered = order[slot] == m_model.offeredCard();
            m_scaler->place(card, cardAtScaleOne(slotLeft(slot), offered ? kRaisedTop : kHandTop));
            card->raise();
            card->show();
        }
    }
}

void Tchat::sortthem()
{
    m_model.sortHand();
    layOutHand(1);
}

void Tchat::cardimagesMouseDown(CardPicture *card, Qt::MouseButton button)
{
    if (!card || m_model.watching())
        return;
    if (button == Qt::RightButton) {
        sortthem();
        return;
    }
    if (button != Qt::LeftButton || !m_model.myTurn())
        return;
    if (const auto message = m_model.playCard(card->position())) {
        clearHint();
        liftTo(*m_scaler, card, kRaisedTop);
        send(*message);
        refreshPlayable();
    }
}

void Tchat::error(const wire::toClient::Error &m)
{
    if (m.seat != m_model.myseat())
        return;
    static const char *const kReasons[] = {"Invalid Card", "Spades are not broken.",
                                           "You need to follow suit."};
    if (m.code >= 1 && m.code <= 3)
        setStatus(QString::fromLatin1(kReasons[m.code - 1]));
    if (m.handPosition)
        if (CardPicture *card = cardAt(*m.handPosition))
            liftTo(*m_scaler, card, kHandTop);
    playsounds(QStringLiteral("error"));
}

void Tchat::usecard(const wire::toClient::UseCard &m)
{
    if (m.seat != m_model.myseat() || !cards::isHandPosition(m.handPosition))
        return;
    m_cards[m.handPosition].reset();
    movecards(m.handPosition);
}

// The slots after the played card close the gap; the pictures follow.
void Tchat::movecards(int position)
{
    m_model.removeCard(position);
    layOutHand(1);
}

void Tchat::destroyCards()
{
    for (std::unique_ptr<CardPicture> &card : m_cards)
        card.reset();
}

void Tchat::heplayed(const wire::toClient::HePlayed &m)
{
    if (!cards::isSeat(m.seat))
        return;
    if (m.cardsLeft && *m.cardsLeft == 0)
        m_seats->cards[m.seat]->hide();
    m_seats->played[m.seat]->raise();
    playsounds(QStringLiteral("placecard"));
    emit cardLaid(m.seat);
}

void Tchat::tooktrick(const wire::toClient::TookTrick &m)
{
    if (!cards::isSeat(m.seat))
        return;
    if (m_buttonLast->isHidden())
        m_buttonLast->show();
    m_seats->trickwinner[m.seat]->show();
    m_seats->trickwinner[m.seat]->raise();
    setStatus(nameOfSeat(m.seat), QStringLiteral(" took the trick."));
    for (int s = 1; s <= kSeatCount; ++s)
        m_seats->turn[s]->hide();
    emit trickTaken(m.seat);
    playsounds(m.seat == m_model.myseat() ? QStringLiteral("turnovergood")
                                          : QStringLiteral("turnoverbad"));
}

void Tchat::button_lastClick()
{
    emit lastTrickWanted();
}
