#include "chat/namelabel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextDocument>

QString elideName(const QString &name, const QFontMetrics &metrics, int width)
{
    return metrics.elidedText(name, Qt::ElideRight, std::max(0, width));
}

QString plainToolTip(const QString &text)
{
    return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

NameLabel::NameLabel(QWidget *parent) : QLabel(parent)
{
    // Names come from the network: never read as markup.
    setTextFormat(Qt::PlainText);
}

void NameLabel::setName(const QString &name, const QString &after)
{
    if (name == m_name && after == m_after)
        return;
    m_name = name;
    m_after = after;
    fit();
}

void NameLabel::setPlainToolTip(const QString &tip)
{
    m_plainToolTip = tip;
    fit();
}

bool NameLabel::event(QEvent *event)
{
    const bool handled = QLabel::event(event);
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::FontChange:
    case QEvent::StyleChange:
    case QEvent::ContentsRectChange:
    case QEvent::Polish:
        fit();
        break;
    default:
        break;
    }
    return handled;
}

int NameLabel::room() const
{
    int width = contentsRect().width() - 2 * margin();
    // A framed label keeps half an "x" clear on the side its text leans to.
    int indent = this->indent();
    if (indent < 0 && frameWidth() > 0)
        indent = fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
    if (indent > 0 && (alignment() & (Qt::AlignLeft | Qt::AlignRight)))
        width -= indent;
    return width;
}

void NameLabel::fit()
{
    const QString whole = wholeText();
    const QFontMetrics metrics = fontMetrics();
    const int room = this->room();
    QString shown = whole;
    if (metrics.horizontalAdvance(whole) > room) {
        shown = elideName(m_name, metrics, room - metrics.horizontalAdvance(m_after)) + m_after;
        // Words too long to keep beside the name are cut as well.
        if (m_name.isEmpty() || metrics.horizontalAdvance(shown) > room ||
            shown.size() <= m_after.size() + 1)
            shown = elideName(whole, metrics, room);
    }
    if (text() != shown)
        setText(shown);
    const QString tip = shown == whole ? m_plainToolTip : plainToolTip(whole);
    if (toolTip() != tip)
        setToolTip(tip);
}
