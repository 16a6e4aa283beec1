#pragma once

#include <QDialog>
#include <QPixmap>
#include <QStringList>
#include <array>

class NameLabel;
class QLabel;
class QTimer;

// The last trick taken: its four cards in the board's screen order (bottom,
// left, top, right), the players' names, and marks on the winning and the
// leading card. The window keeps a place of its own on the screen.
class Tlasttrick : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kDefaultTop = 348;
    static constexpr int kDefaultLeft = 414;

    explicit Tlasttrick(QWidget *parent = nullptr);

    void setBackgroundPicture(const QPixmap &picture);

    // A game starts: marks hidden, pictures emptied, lead forgotten.
    void reset();
    // A card was played by this seat; the first one of a trick leads it.
    void cardPlayed(int seat);
    int leadSeat() const { return m_leadSeat; }

    // The trick is over. `cards` are the card numbers shown on the board at
    // screen positions 1 to 4 (0 for none); `myseat` places the seats.
    void recordTrick(const std::array<int, 4> &cards, int winnerSeat, int myseat);
    // View > "Last Trick": the names at the four positions, then to the front.
    void showTrick(const QStringList &namesByPosition);

    int storedTop() const { return m_top; }
    int storedLeft() const { return m_left; }
    void setStoredPosition(int top, int left);
    // Back to the default place: stored, and at once when the window is open.
    void resetPlace();

    // Screen position (1 bottom .. 4 right) where a seat sits for this own
    // seat; 0 for a number that is no seat.
    static int screenPosition(int seat, int myseat);

signals:
    // The user has finished moving the window; its place should be saved.
    void positionStored();

protected:
    bool event(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    void storePosition();

    std::array<QLabel *, 4> m_cards{};
    std::array<NameLabel *, 4> m_names{};
    QLabel *m_winner;
    QLabel *m_lead;
    QTimer *m_settle;
    int m_leadSeat = 0;
    int m_top = kDefaultTop;
    int m_left = kDefaultLeft;
};
