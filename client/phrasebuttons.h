#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QTimer;
class QToolButton;
class QWidget;

// The nine stock-remark buttons above the chat. A click sends the button's
// phrase as an action line; after a send the buttons rest for a while so
// nobody floods the table.
class PhraseButtons : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCount = 9;
    static constexpr int kRestMs = 2000;

    // Sends this text as an action line; false when nothing went out.
    using ActionSender = std::function<bool(const QString &actionText)>;

    // The buttons are placed on `board` at their places above the chat.
    explicit PhraseButtons(QWidget *board, int restMs = kRestMs);

    static const std::array<QString, kCount> &designedPhrases();
    // "says: " + phrase, or for "/me waves" just "waves".
    static QString actionText(const QString &phrase);

    void setSendAction(ActionSender send) { m_send = std::move(send); }

    QString phrase(int n) const;
    void setPhrase(int n, const QString &phrase);
    std::array<QString, kCount> phrases() const;
    // Stored phrases replace the buttons' ones; empty ones leave them alone.
    void applyStored(const std::array<QString, kCount> &stored);

    bool isReady() const { return m_ready; }
    QToolButton *button(int n) const;

    // The click of button n, 1 to 9.
    void b_phrase1Click(int n);

private:
    std::array<QToolButton *, kCount> m_buttons{};
    QTimer *m_rest;
    ActionSender m_send;
    bool m_ready = true;
};
