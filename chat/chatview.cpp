#include "chat/chatview.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

namespace {

// Double-click selects a word bounded by these (and by pictures).
bool isWordDelimiter(QChar c)
{
    static const QString delimiters = QStringLiteral(" .;,:(){}\"");
    return delimiters.contains(c) || c == QChar(ChatDocument::kPictureChar);
}

} // namespace

ChatView::ChatView(QWidget *parent) : QAbstractScrollArea(parent), m_styles(kStyleCount)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(16);
    pushFonts();
}

ChatView::~ChatView() = default;

int ChatView::styleCount() const
{
    return int(m_styles.size());
}

const ChatView::Style &ChatView::style(int index) const
{
    static const Style fallback;
    if (index < 0 || index >= styleCount())
        return fallback;
    return m_styles[size_t(index)];
}

void ChatView::setStyle(int index, const Style &style)
{
    if (index < 0 || index >= styleCount())
        return;
    m_styles[size_t(index)] = style;
    pushFonts();
    viewport()->update();
}

void ChatView::setStyleColour(int index, const QColor &colour)
{
    if (index < 0 || index >= styleCount() || m_styles[size_t(index)].colour == colour)
        return;
    m_styles[size_t(index)].colour = colour;
    viewport()->update();
}

void ChatView::setStyleBold(int index, bool bold)
{
    if (index < 0 || index >= styleCount() || m_styles[size_t(index)].bold == bold)
        return;
    m_styles[size_t(index)].bold = bold;
    pushFonts();
}

void ChatView::setStylePointSize(int index, int pointSize)
{
    if (index < 0 || index >= styleCount() || pointSize <= 0 ||
        m_styles[size_t(index)].pointSize == pointSize)
        return;
    m_styles[size_t(index)].pointSize = pointSize;
    pushFonts();
}

QFont ChatView::fontOf(const Style &style) const
{
    QFont font(style.family);
    font.setPointSize(style.pointSize);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    return font;
}

// The document measures with these fonts from its next layout on; until then
// it keeps drawing with the fonts it was laid out with.
void ChatView::pushFonts()
{
    std::vector<QFont> fonts;
    fonts.reserve(m_styles.size());
    for (const Style &s : m_styles)
        fonts.push_back(fontOf(s));
    m_doc.setFonts(fonts);
}

void ChatView::setImageList(const QList<QPixmap> &images)
{
    m_doc.setImages(images);
}

void ChatView::addText(const QString &text, int style, bool newParagraph)
{
    style = std::clamp(style, 0, styleCount() - 1);
    if (newParagraph)
        keepInBounds();
    const int link = style == kLinkStyle ? m_links++ : -1;
    m_doc.addText(text, style, link, newParagraph);
}

void ChatView::addPicture(int imageIndex)
{
    m_doc.addPicture(std::max(imageIndex, 0));
}

void ChatView::setLastAuthor(const QString &author)
{
    m_doc.setLastAuthor(author);
}

QString ChatView::authorAt(const QPoint &viewportPos) const
{
    const QPoint at = toDocument(viewportPos);
    const int p = m_doc.paragraphAt(at.y());
    if (at.y() < 0 || p >= m_doc.paragraphCount())
        return {};
    return m_doc.paragraph(p).author;
}

// Drops down to three quarters of the bounds, so that dropping is rare.
void ChatView::keepInBounds()
{
    if (m_doc.itemCount() < kKeptItems && m_doc.characterCount() < kKeptCharacters)
        return;
    const ChatDocument::Dropped dropped =
        m_doc.dropOldest(kKeptItems / 4 * 3, kKeptCharacters / 4 * 3);
    for (ChatDocument::Position *place : {&m_anchor, &m_cursor}) {
        if (place->paragraph >= dropped.paragraphs)
            place->paragraph -= dropped.paragraphs;
        else
            *place = {};
    }
    m_droppedHeight += dropped.height;
}

void ChatView::format()
{
    const int top = verticalScrollBar()->value();
    m_doc.layout(viewport()->width() - 2 * m_margin);
    updateScrollRange();
    // What was in view stays in view when older lines went.
    if (m_droppedHeight > 0)
        verticalScrollBar()->setValue(std::max(0, top - m_droppedHeight));
    m_droppedHeight = 0;
    viewport()->update();
}

int ChatView::itemCount() const
{
    return m_doc.itemCount();
}

int ChatView::paragraphCount() const
{
    return m_doc.paragraphCount();
}

int ChatView::linkCount() const
{
    return m_links;
}

QString ChatView::linkText(int linkNumber) const
{
    for (int i = 0; linkNumber >= 0 && i < m_doc.itemCount(); ++i) {
        if (m_doc.item(i).link == linkNumber)
            return m_doc.item(i).text;
    }
    return {};
}

void ChatView::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    const int page = viewport()->height();
    bar->setPageStep(std::max(page, 1));
    bar->setRange(0, std::max(0, m_doc.height() + 2 * kTopMargin - page));
}

void ChatView::setVerticalScrollPosition(int value)
{
    verticalScrollBar()->setValue(std::min(value, verticalScrollBar()->maximum()));
}

void ChatView::scrollToEnd()
{
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ChatView::clear()
{
    m_doc.clear();
    m_links = 0;
    m_droppedHeight = 0;
    m_anchor = m_cursor = {};
    m_pressLink = -1;
    m_selecting = false;
    updateScrollRange();
    viewport()->update();
}

void ChatView::setBackground(const QColor &colour)
{
    m_background = colour;
    viewport()->update();
}

void ChatView::setHorizontalMargins(int pixels)
{
    m_margin = std::max(pixels, 0);
    format();
}

ChatView::ItemInfo ChatView::item(int index) const
{
    ItemInfo info;
    if (index < 0 || index >= m_doc.itemCount())
        return info;
    const ChatDocument::Item &it = m_doc.item(index);
    info.picture = it.isPicture();
    info.text = it.text;
    info.style = it.style;
    info.image = it.image;
    info.link = it.link;
    info.startsParagraph = m_doc.startsParagraph(index);
    return info;
}

QPoint ChatView::toDocument(const QPoint &viewportPos) const
{
    return viewportPos + QPoint(-m_margin, verticalScrollBar()->value() - kTopMargin);
}

QRect ChatView::linkRect(int linkNumber) const
{
    if (linkNumber < 0)
        return {};
    const int offsetY = kTopMargin - verticalScrollBar()->value();
    for (int p = 0; p < m_doc.paragraphCount(); ++p) {
        const ChatDocument::Paragraph &para = m_doc.paragraph(p);
        for (const ChatDocument::Line &line : para.lines) {
            for (int f = line.firstFragment; f < line.firstFragment + line.fragmentCount; ++f) {
                const ChatDocument::Fragment &frag = para.fragments[size_t(f)];
                if (m_doc.item(frag.item).link == linkNumber)
                    return QRect(m_margin + frag.x, offsetY + para.y + line.y, frag.width,
                                 line.height);
            }
        }
    }
    return {};
}

QRect ChatView::paragraphRect(int paragraph) const
{
    if (paragraph < 0 || paragraph >= m_doc.paragraphCount())
        return {};
    const ChatDocument::Paragraph &para = m_doc.paragraph(paragraph);
    return QRect(m_margin, kTopMargin - verticalScrollBar()->value() + para.y,
                 viewport()->width() - 2 * m_margin, para.height);
}

int ChatView::linkAt(const QPoint &viewportPos) const
{
    int under = -1;
    m_doc.positionAt(toDocument(viewportPos), &under);
    return under >= 0 ? m_doc.item(under).link : -1;
}

// ---- selection ----

bool ChatView::hasSelection() const
{
    return m_anchor != m_cursor;
}

QString ChatView::selectedText() const
{
    if (!hasSelection())
        return {};
    const auto [from, to] = std::minmax(m_anchor, m_cursor);
    QStringList lines;
    for (int p = from.paragraph; p <= to.paragraph && p < m_doc.paragraphCount(); ++p) {
        QString text = m_doc.paragraphText(p);
        const int end = p == to.paragraph ? to.offset : int(text.size());
        const int start = p == from.paragraph ? from.offset : 0;
        text = text.mid(start, std::max(0, end - start));
        text.remove(QChar(ChatDocument::kPictureChar));
        lines << text;
    }
    return lines.join(QLatin1Char('\n'));
}

QString ChatView::plainText() const
{
    QStringList lines;
    for (int p = 0; p < m_doc.paragraphCount(); ++p)
        lines << m_doc.paragraphText(p).remove(QChar(ChatDocument::kPictureChar));
    return lines.join(QLatin1Char('\n'));
}

void ChatView::selectAll()
{
    if (m_doc.paragraphCount() == 0)
        return;
    const int last = m_doc.paragraphCount() - 1;
    setSelection({0, 0}, {last, int(m_doc.paragraphText(last).size())});
    exportSelection();
}

void ChatView::copy()
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

void ChatView::setSelection(ChatDocument::Position anchor, ChatDocument::Position cursor)
{
    m_anchor = anchor;
    m_cursor = cursor;
    viewport()->update();
}

void ChatView::exportSelection()
{
    QClipboard *clipboard = QApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void ChatView::selectWordAt(const QPoint &viewportPos)
{
    const ChatDocument::Position pos = m_doc.positionAt(toDocument(viewportPos));
    if (pos.paragraph >= m_doc.paragraphCount())
        return;
    const QString text = m_doc.paragraphText(pos.paragraph);
    int start = std::min(pos.offset, int(text.size()));
    int end = start;
    while (start > 0 && !isWordDelimiter(text[start - 1]))
        --start;
    while (end < text.size() && !isWordDelimiter(text[end]))
        ++end;
    setSelection({pos.paragraph, start}, {pos.paragraph, end});
}

// ---- events ----

void ChatView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), m_background);
    if (m_doc.paragraphCount() == 0)
        return;
    const int scroll = verticalScrollBar()->value();
    const int height = viewport()->height();
    const int top = kTopMargin - scroll;
    for (int p = m_doc.paragraphAt(scroll - kTopMargin); p < m_doc.paragraphCount(); ++p) {
        const int y = top + m_doc.paragraph(p).y;
        if (y >= height)
            break;
        paintParagraph(painter, p, y);
    }
}

void ChatView::paintParagraph(QPainter &painter, int index, int top)
{
    const ChatDocument::Paragraph &para = m_doc.paragraph(index);
    const auto [selFrom, selTo] = std::minmax(m_anchor, m_cursor);
    const bool anySelected =
        hasSelection() && index >= selFrom.paragraph && index <= selTo.paragraph;
    const int selStart = !anySelected ? 0 : index == selFrom.paragraph ? selFrom.offset : 0;
    const int selEnd = !anySelected ? 0 : index == selTo.paragraph ? selTo.offset : INT_MAX;
    const QPalette &pal = palette();

    for (const ChatDocument::Line &line : para.lines) {
        const int baseline = top + line.y + line.ascent;
        for (int f = line.firstFragment; f < line.firstFragment + line.fragmentCount; ++f) {
            const ChatDocument::Fragment &frag = para.fragments[size_t(f)];
            const ChatDocument::Item &it = m_doc.item(frag.item);
            const int x = m_margin + frag.x;
            QRect selRect;
            if (anySelected) {
                const int offset = m_doc.fragmentOffset(index, frag);
                const int a = std::clamp(selStart - offset, 0, frag.length);
                const int b = std::clamp(selEnd - offset, 0, frag.length);
                if (b > a) {
                    const int left = x + m_doc.advance(frag, a);
                    const int right = x + m_doc.advance(frag, b);
                    selRect = QRect(left, top + line.y, right - left, line.height);
                    painter.fillRect(selRect, pal.color(QPalette::Highlight));
                }
            }
            if (it.isPicture()) {
                if (const QPixmap *pm = m_doc.image(it.image)) {
                    const int h = int(pm->deviceIndependentSize().height());
                    painter.drawPixmap(x, baseline - h, *pm);
                }
                continue;
            }
            const QString text = it.text.mid(frag.from, frag.length);
            painter.setFont(m_doc.layoutFont(it.style));
            painter.setPen(style(it.style).colour);
            painter.drawText(QPoint(x, baseline), text);
            if (!selRect.isEmpty()) {
                painter.save();
                painter.setClipRect(selRect);
                painter.setPen(pal.color(QPalette::HighlightedText));
                painter.drawText(QPoint(x, baseline), text);
                painter.restore();
            }
        }
    }
}

void ChatView::resizeEvent(QResizeEvent *event)
{
    const bool atEnd = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    QAbstractScrollArea::resizeEvent(event);
    format();
    if (atEnd)
        scrollToEnd();
}

void ChatView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ChatView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    m_pressLink = linkAt(event->position().toPoint());
    const ChatDocument::Position pos = m_doc.positionAt(toDocument(event->position().toPoint()));
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(m_anchor, pos);
    else
        setSelection(pos, pos);
    m_selecting = true;
}

void ChatView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    viewport()->setCursor(linkAt(p) >= 0 ? Qt::PointingHandCursor : Qt::IBeamCursor);
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    setSelection(m_anchor, m_doc.positionAt(toDocument(p)));
    if (hasSelection())
        m_pressLink = -1; // a drag selects, it does not follow the link
    // Dragging past the edge scrolls the view.
    QScrollBar *bar = verticalScrollBar();
    if (p.y() < 0)
        bar->setValue(bar->value() + p.y());
    else if (p.y() > viewport()->height())
        bar->setValue(bar->value() + p.y() - viewport()->height());
}

void ChatView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    m_selecting = false;
    const int link = linkAt(event->position().toPoint());
    const bool click = link >= 0 && link == m_pressLink && !hasSelection();
    m_pressLink = -1;
    if (click)
        emit jump(link);
    else
        exportSelection();
}

void ChatView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    selectWordAt(event->position().toPoint());
    exportSelection();
}

void ChatView::keyPressEvent(QKeyEvent *event)
{
    const bool ctrl = event->modifiers() == Qt::ControlModifier;
    if (ctrl && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert)) {
        copy();
        return;
    }
    if (ctrl && event->key() == Qt::Key_A) {
        selectAll();
        return;
    }
    if (event->key() == Qt::Key_Home) {
        verticalScrollBar()->setValue(0);
        return;
    }
    if (event->key() == Qt::Key_End) {
        scrollToEnd();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
