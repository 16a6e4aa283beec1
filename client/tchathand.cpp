// The own hand: card pictures in thirteen slots along the bottom of the board,
// played by clicking; and the cards every seat lays on the table.
#include "client/tchatboard.h"

#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "protocol/message.h"
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

} // namespace

void Tchat::mycards(const wire::toClient::MyCards &m)
{
    m_pendingCards = m.cards;
    if (tagOf(m_labelBlind) != 0)
        m_flippedcards->show();
    else
        flipcards();
}

void Tchat::flipcards()
{
    m_flippedcards->hide();
    const QList<wire::CardInSlot> pending = std::exchange(m_pendingCards, {});
    for (const wire::CardInSlot &c : pending) {
        if (c.card != 0)
            createcard(c.position, c.card);
        sortthem();
    }
}

void Tchat::createcard(int position, int card)
{
    int slot = 1;
    while (slot <= cards::kHandSize && !m_slots[slot].free)
        ++slot;
    if (slot > cards::kHandSize) {
        // Only a broken or hostile host deals a fourteenth card; saying so
        // once is enough, however many follow.
        if (!m_toldHandFull) {
            m_toldHandFull = true;
            showMessage(QStringLiteral("no no"));
        }
        return;
    }
    // A position names a card picture; a second card for a taken position, or
    // a card that is not one of the 52, would leave two pictures with one name.
    if (!cards::isHandPosition(position) || !cards::isCard(card) || m_cards[position])
        return;
    auto *picture = new CardPicture(position, card, m_board);
    connect(picture, &BoardPicture::pressed, this,
            [this, picture](Qt::MouseButton button) { cardimagesMouseDown(picture, button); });
    m_cards[position] = picture;
    m_slots[slot] = {false, position};
    picture->move(slotLeft(slot), kHandTop);
    picture->show();
    raiseSlotsFrom(slot);
}

CardPicture *Tchat::cardInSlot(int slot) const
{
    if (slot < 1 || slot > cards::kHandSize || m_slots[slot].free)
        return nullptr;
    const int position = m_slots[slot].position;
    return cards::isHandPosition(position) ? m_cards[position] : nullptr;
}

CardPicture *Tchat::cardAt(int position) const
{
    return cards::isHandPosition(position) ? m_cards[position] : nullptr;
}

std::array<int, 14> Tchat::handSlots() const
{
    std::array<int, 14> result{};
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        result[slot] = m_slots[slot].free ? -1 : m_slots[slot].position;
    return result;
}

void Tchat::raiseSlotsFrom(int slot)
{
    for (int k = slot; k <= cards::kHandSize; ++k)
        if (CardPicture *card = cardInSlot(k))
            card->raise();
}

void Tchat::sortthem()
{
    for (int pass = 0; pass < cards::kHandSize; ++pass) {
        for (int k = cards::kHandSize; k >= 2; --k) {
            if (m_slots[k].free)
                continue;
            CardPicture *upper = cardInSlot(k);
            CardPicture *lower = cardInSlot(k - 1);
            if (!upper || !lower)
                return; // a gap under a card: leave the hand as it lies
            if (lower->card() > upper->card()) {
                std::swap(m_slots[k], m_slots[k - 1]);
                lower->move(slotLeft(k), lower->y());
                upper->move(slotLeft(k - 1), upper->y());
            }
        }
    }
    raiseSlotsFrom(1);
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
    card->move(card->x(), kRaisedTop);
    if (const auto message = m_model.playCard(card->position()))
        send(*message);
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
            card->move(card->x(), kHandTop);
    playsounds(QStringLiteral("error"));
}

void Tchat::usecard(const wire::toClient::UseCard &m)
{
    if (m.seat != m_model.myseat() || !cards::isHandPosition(m.handPosition))
        return;
    if (CardPicture *card = m_cards[m.handPosition]) {
        m_cards[m.handPosition] = nullptr;
        delete card;
    }
    movecards(m.handPosition);
}

void Tchat::movecards(int position)
{
    const int slot = slotOf(position);
    if (slot == 0)
        return;
    m_slots[slot] = {};
    for (int k = slot + 1; k <= cards::kHandSize; ++k) {
        if (m_slots[k].free)
            continue;
        if (CardPicture *card = cardInSlot(k)) {
            card->move(slotLeft(k - 1), card->y());
            card->raise();
            card->show();
        }
        m_slots[k - 1] = m_slots[k];
        m_slots[k] = {};
    }
    for (CardPicture *card : m_cards)
        if (card && card->y() != kHandTop)
            card->move(card->x(), kHandTop);
}

int Tchat::slotOf(int position) const
{
    for (int slot = 1; slot <= cards::kHandSize; ++slot)
        if (!m_slots[slot].free && m_slots[slot].position == position)
            return slot;
    return 0;
}

void Tchat::destroyCards()
{
    for (CardPicture *&card : m_cards) {
        delete card;
        card = nullptr;
    }
}

void Tchat::freeSlots()
{
    m_slots.fill({});
}

void Tchat::heplayed(const wire::toClient::HePlayed &m)
{
    if (!cards::isSeat(m.seat))
        return;
    if (m.cardsLeft && *m.cardsLeft == 0)
        m_seats->cards[m.seat]->hide();
    BoardPicture *played = m_seats->played[m.seat];
    played->clearPicture();
    if (cards::isCard(m.card)) {
        played->setPicture(pictures::card(m.card, devicePixelRatioF()));
        setTag(played, m.card);
    } else {
        setTag(played, 0);
    }
    played->raise();
    playsounds(QStringLiteral("placecard"));
    if (m_services.cardLaid)
        m_services.cardLaid(m.seat);
}

void Tchat::tooktrick(const wire::toClient::TookTrick &m)
{
    if (!cards::isSeat(m.seat))
        return;
    const QByteArray tricks = QByteArray::number(m.tricks);
    if (m_buttonLast->isHidden())
        m_buttonLast->show();
    m_seats->trickwinner[m.seat]->show();
    m_seats->trickwinner[m.seat]->raise();
    m_seats->tricks[m.seat]->setText(QString::fromLatin1(tricks));
    setStatus(nameOfSeat(m.seat) + QStringLiteral(" took the trick."));
    for (int s = 1; s <= kSeatCount; ++s)
        m_seats->turn[s]->hide();
    if (m_services.recordLastTrick)
        m_services.recordLastTrick(m.seat);
    playsounds(m.seat == m_model.myseat() ? QStringLiteral("turnovergood")
                                          : QStringLiteral("turnoverbad"));
}

void Tchat::button_lastClick()
{
    if (m_services.showLastTrick)
        m_services.showLastTrick();
}
