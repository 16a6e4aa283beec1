// Bidding: whose bid is awaited, the own bid (a number, Nil, or Blind Nil
// before looking at the cards), and every seat's bid as announced.
#include "client/tchatboard.h"

#include "client/scorepanel.h"
#include "client/tchatwidgets.h"
#include "protocol/cards.h"
#include "protocol/message.h"

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

void Tchat::getbid(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const auto seat = reader.nextInt();
    if (!seat)
        return;
    const QByteArray total = reader.next();
    m_labelTotalbids->setText(QStringLiteral("Total Bids: ") + QString::fromLatin1(total));
    setTag(m_buttonBid, *seat);
    if (*seat != m_myseat) {
        setStatus(nameOfSeat(*seat) + QStringLiteral(" is bidding.."));
        playsounds(QStringLiteral("click"));
        return;
    }
    if (tagOf(m_labelBlind) == 1) {
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

void Tchat::hebid(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const auto seat = reader.nextInt();
    if (!seat || !cards::isSeat(*seat))
        return;
    QByteArray bid = reader.next();
    if (bid == "100") {
        bid = "0";
        m_seats->blind[*seat]->show();
    }
    if (bid == "0")
        m_seats->nil[*seat]->show();
    m_seats->bid[*seat]->setText(QString::fromLatin1(bid));
    if (*seat == m_myseat) {
        hideBidControls();
        if (!m_flippedcards->isHidden())
            flipcards();
    }
}

void Tchat::finalbid(const QByteArray &data)
{
    wire::FieldReader reader(data);
    const QString total = QString::fromLatin1(reader.next());
    const QString team1 = QString::fromLatin1(reader.next());
    const QString team2 = QString::fromLatin1(reader.next());
    m_labelTotalbids->setText(QStringLiteral("Total Bids: ") + total);
    m_labelBids[1]->setText(team1);
    m_labelBids[2]->setText(team2);
    m_panelScores->setTeamBids(1, team1);
    m_panelScores->setTeamBids(2, team2);
}

void Tchat::button_bidClick()
{
    const std::optional<int> bid = typedBid(m_editBid->text());
    if (tagOf(m_buttonBid) == m_myseat && !bid) {
        // The host would ignore it and wait for ever: the field stays for
        // a number it can take.
        m_editBid->setText(QStringLiteral("1"));
        m_editBid->selectAll();
        return;
    }
    showNumberBid(false);
    if (tagOf(m_buttonBid) == m_myseat && m_loggedin)
        send("CMD_mybid+" + QByteArray::number(m_myseat) + '+' + QByteArray::number(*bid) + '+' +
             char(0xFF));
    setTag(m_buttonBid, 0);
}

void Tchat::button_nilClick()
{
    showNumberBid(false);
    if (tagOf(m_buttonBid) == m_myseat && m_loggedin)
        send("CMD_mybid+" + QByteArray::number(m_myseat) + "+0+" + char(0xFF));
    setTag(m_buttonBid, 0);
}

void Tchat::button_blindClick()
{
    if (tagOf(m_buttonBid) != m_myseat)
        return;
    m_flippedcards->hide();
    m_buttonBlind->hide();
    m_buttonDobid->hide();
    flipcards();
    if (m_loggedin)
        send("CMD_mybid+" + QByteArray::number(m_myseat) + "+100+" + char(0xFF));
}

void Tchat::button_dobidClick()
{
    if (tagOf(m_buttonBid) != m_myseat)
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
