// Bidding: whose bid is awaited, the own bid (a number, Nil, or Blind Nil
// before looking at the cards), and every seat's bid as announced.
#include "client/tchatboard.h"

#include "client/scorepanel.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"

#include <QLabel>
#include <QLineEdit>

namespace {

// The number field as a bid the host can take: one or two digits, 0 to 13.
std::optional<int> typedBid(const QString &text)
{
    if (text.isEmpty() || text.size() > 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > cards::kHandSize)
        return std::nullopt;
    return value;
}

} // namespace

void Tchat::hideBidControls()
{
    showNumberBid(false);
    m_buttonDobid->hide();
    m_buttonBlind->hide();
}

void Tchat::showNumberBid(bool visible)
{
    for (QWidget *control : std::initializer_list<QWidget *>{m_labelYourBid, m_editBid, m_updownBid,
                                                             m_buttonBid, m_buttonNil})
        control->setVisible(visible);
}

void Tchat::getbid(const wire::toClient::GetBid &m)
{
    if (m.bidder != m_model.myseat()) {
        setStatus(nameOfSeat(m.bidder), QStringLiteral(" is bidding.."));
        playsounds(QStringLiteral("click"));
        return;
    }
    if (m_model.blindAllowed()) {
        m_buttonBlind->show();
        m_buttonDobid->show();
        m_buttonBlind->raise();
        m_buttonDobid->raise();
    } else {
        showNumberBid(true);
        raiseBidControls();
    }
    m_editBid->setText(QStringLiteral("1"));
    setStatus(QStringLiteral("Your turn to bid."));
    playTurnSound();
}

void Tchat::raiseBidControls()
{
    for (QWidget *control : std::initializer_list<QWidget *>{m_labelYourBid, m_editBid, m_updownBid,
                                                             m_buttonBid, m_buttonNil})
        control->raise();
}

void Tchat::hebid(const wire::toClient::HeBid &m)
{
    if (m.seat == m_model.myseat()) {
        hideBidControls();
        if (!m_flippedcards->isHidden())
            flipcards();
    }
}

void Tchat::finalbid(const wire::toClient::FinalBid &m)
{
    m_panelScores->setTeamBids(1, QString::number(m.team1));
    m_panelScores->setTeamBids(2, QString::number(m.team2));
}

void Tchat::button_bidClick()
{
    const std::optional<int> bid = typedBid(m_editBid->text());
    if (m_model.myBidAwaited() && !bid) {
        // The host would ignore it and wait for ever: the field stays for
        // a number it can take.
        m_editBid->setText(QStringLiteral("1"));
        m_editBid->selectAll();
        return;
    }
    showNumberBid(false);
    if (const auto message = m_model.bid(bid.value_or(0)))
        send(*message);
    m_model.dropBid();
}

void Tchat::button_nilClick()
{
    showNumberBid(false);
    if (const auto message = m_model.bid(0))
        send(*message);
    m_model.dropBid();
}

void Tchat::button_blindClick()
{
    if (!m_model.myBidAwaited())
        return;
    m_flippedcards->hide();
    m_buttonBlind->hide();
    m_buttonDobid->hide();
    flipcards();
    if (const auto message = m_model.bid(wire::kBlindNil))
        send(*message);
}

void Tchat::button_dobidClick()
{
    if (!m_model.myBidAwaited())
        return;
    m_flippedcards->hide();
    m_buttonBlind->hide();
    m_buttonDobid->hide();
    flipcards();
    showNumberBid(true);
    raiseBidControls();
    setStatus(QStringLiteral("Your turn to bid."));
    playTurnSound();
}
