#pragma once

#include "client/tableview.h"

#include <QObject>
#include <QPointer>

class CardPicture;
class QKeyEvent;
class QMenu;
class QWidget;

// Plays the table from the keyboard, beside the mouse. On the own turn Left
// and Right move the focus over the own cards and Enter or Space plays the
// focused one; while bidding, Up and Down change the number, Enter bids, N
// bids Nil, B bids Blind Nil and L looks at the cards; H asks for a hint;
// Escape closes the score panel. Every action presses the same control the mouse does, or asks
// for the card as a click on it would.
class KeyboardPlay : public QObject
{
    Q_OBJECT

public:
    // The seat menu gets its mnemonics here.
    KeyboardPlay(const TableView &table, QMenu *seatMenu);

    // The hand position of the card that holds the focus; 0 when none does.
    int focusedPosition() const;
    // Called after the table changed: the focus follows the own turn and the
    // card under it.
    void tableChanged();
    // The board took a new size: the focus ring follows its control.
    void boardResized() { placeFrame(); }
    // The veils over the hand changed: the ring leaves a card that may not
    // be played for the nearest one that may.
    void veilsChanged();

signals:
    // Enter or Space on the own card at this hand position.
    void cardChosen(int position);
    // H: the player asks for a hint.
    void hintWanted();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool handleKey(QKeyEvent *event, bool inBidField);
    bool handleBidKey(int key);
    bool handleCardKey(int key);
    bool pressIfShown(const char *name);
    void moveFocus(int step);
    void focusSlot(int index);
    void placeFrame();
    // Where the focus shows on the board; empty when it is elsewhere.
    QRect focusArea();
    // The slot of the card the keys are on, or were last on.
    int currentSlot() const;
    // The keys to that card, or under veils to the nearest that may be played.
    void focusHand();
    // A click on the table: the keys go to the hand (to the card clicked),
    // or to the board when there is no hand, unless the table has them.
    void takeKeys(CardPicture *clicked);
    // A control of the table that holds the keys is hidden: the board keeps them.
    void keepKeysOnTable(QWidget *hidden);
    void keepFocusOnHand();
    // Whether keys pressed with the focus there are moves: the chat shares the
    // board panel, and its keys are not; every other control of the board's is
    // the table's.
    bool playsFromHere(const QWidget *focus) const;
    // True while the player is typing somewhere outside the table; the table
    // then leaves the focus where it is.
    bool typingElsewhere() const;
    QList<CardPicture *> handInOrder() const;
    bool bidding() const;
    bool ownTurn() const;

    TableView m_table;
    QWidget *m_frame = nullptr;
    QPointer<CardPicture> m_focused;
    int m_focusIndex = 0; // slot order index of the last focused card
    bool m_wasOwnTurn = false;
    bool m_wasBidding = false;
    bool m_refocusQueued = false;
};
