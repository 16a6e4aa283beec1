#pragma once

#include <QObject>
#include <QPointer>

class CardPicture;
class QKeyEvent;
class QWidget;
class Tchat;

// Plays the table from the keyboard, beside the mouse. On the own turn Left
// and Right move the focus over the own cards and Enter or Space plays the
// focused one; while bidding, Up and Down change the number, Enter bids, N
// bids Nil, B bids Blind Nil and L looks at the cards; Escape closes the
// score panel. Every action presses the same control, or calls the same
// handler, that the mouse does.
class KeyboardPlay : public QObject
{
    Q_OBJECT

public:
    explicit KeyboardPlay(Tchat *table);

    // The hand position of the card that holds the focus; 0 when none does.
    int focusedPosition() const;
    // Called after the table changed: the focus follows the own turn and the
    // card under it.
    void tableChanged();

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
    void keepFocusOnHand();
    // Whether keys pressed with the focus there are moves: the chat shares the
    // board panel, and its keys are not.
    bool playsFromHere(const QWidget *focus) const;
    // True while the player is typing somewhere outside the table; the table
    // then leaves the focus where it is.
    bool typingElsewhere() const;
    QList<CardPicture *> handInOrder() const;
    bool bidding() const;
    bool ownTurn() const;

    Tchat *m_table;
    QWidget *m_frame = nullptr;
    QPointer<CardPicture> m_focused;
    int m_focusIndex = 0; // slot order index of the last focused card
    bool m_wasOwnTurn = false;
    bool m_wasBidding = false;
    bool m_refocusQueued = false;
};
