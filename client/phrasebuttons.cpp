#include "client/phrasebuttons.h"

#include "resources/panelpictures.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kTop = 147;
constexpr int kLefts[PhraseButtons::kCount] = {478, 505, 531, 558, 585, 611, 638, 665, 691};
} // namespace

PhraseButtons::PhraseButtons(QWidget *board, int restMs) : QObject(board), m_rest(new QTimer(this))
{
    m_rest->setObjectName("phrase_rest");
    m_rest->setSingleShot(true);
    m_rest->setInterval(restMs);
    connect(m_rest, &QTimer::timeout, this, [this] { m_ready = true; });

    const qreal dpr = qApp->devicePixelRatio();
    for (int i = 0; i < kCount; ++i) {
        auto *button = new QToolButton(board);
        button->setObjectName(QStringLiteral("b_phrase%1").arg(i + 1));
        button->setGeometry(kLefts[i], kTop, 25, 19);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        // Sharp at the board's sizes: the icon picks the nearest drawing.
        QIcon icon;
        for (const qreal scale : {1.0, 1.5, 2.0, 3.0})
            icon.addPixmap(panelpictures::phraseButton(i + 1, dpr * scale));
        button->setIcon(icon);
        button->setIconSize(QSize(25, 19));
        button->setToolTip(designedPhrases()[i]);
        connect(button, &QToolButton::clicked, this, [this, i] { b_phrase1Click(i + 1); });
        m_buttons[i] = button;
    }
}

const std::array<QString, PhraseButtons::kCount> &PhraseButtons::designedPhrases()
{
    static const std::array<QString, kCount> phrases = {
        "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",         "Brilliant!",
        "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!"};
    return phrases;
}

QString PhraseButtons::actionText(const QString &phrase)
{
    if (phrase.startsWith(QLatin1String("/me ")))
        return phrase.mid(4);
    return QStringLiteral("says: ") + phrase;
}

QToolButton *PhraseButtons::button(int n) const
{
    return n >= 1 && n <= kCount ? m_buttons[n - 1] : nullptr;
}

QString PhraseButtons::phrase(int n) const
{
    const QToolButton *b = button(n);
    return b ? b->toolTip() : QString();
}

void PhraseButtons::setPhrase(int n, const QString &phrase)
{
    if (QToolButton *b = button(n))
        b->setToolTip(phrase);
}

std::array<QString, PhraseButtons::kCount> PhraseButtons::phrases() const
{
    std::array<QString, kCount> out;
    for (int i = 0; i < kCount; ++i)
        out[i] = phrase(i + 1);
    return out;
}

void PhraseButtons::applyStored(const std::array<QString, kCount> &stored)
{
    for (int i = 0; i < kCount; ++i) {
        if (!stored[i].isEmpty())
            setPhrase(i + 1, stored[i]);
    }
}

void PhraseButtons::b_phrase1Click(int n)
{
    if (!m_ready || !button(n) || !m_send)
        return;
    if (!m_send(actionText(phrase(n))))
        return;
    // The rest is measured in real time, not in ticks of some busy timer, so
    // it lasts as long as the editor says on every platform.
    m_ready = false;
    m_rest->start();
}
