#include "chat/chatdocument.h"

#include <algorithm>

namespace {

qsizetype charactersOf(const ChatDocument::Item &item)
{
    return item.isPicture() ? 1 : item.text.size();
}

} // namespace

void ChatDocument::setFonts(const std::vector<QFont> &fonts)
{
    if (fonts == m_fonts)
        return;
    m_fonts = fonts;
    m_metrics.clear();
    m_metrics.reserve(m_fonts.size());
    for (const QFont &f : m_fonts)
        m_metrics.emplace_back(f);
    m_fontsChanged = true;
}

const QPixmap *ChatDocument::image(int index) const
{
    if (index < 0 || index >= m_images.size())
        return nullptr;
    return &m_images[index];
}

void ChatDocument::addText(const QString &text, int style, int link, bool newParagraph)
{
    if (newParagraph || m_paragraphs.empty()) {
        Paragraph para;
        para.firstItem = int(m_items.size());
        m_paragraphs.push_back(std::move(para));
    }
    m_items.push_back(Item{text, style, -1, link});
    m_characters += text.size();
    Paragraph &last = m_paragraphs.back();
    ++last.itemCount;
    last.laidOut = false;
    m_firstDirty = std::min(m_firstDirty, int(m_paragraphs.size()) - 1);
}

void ChatDocument::addPicture(int image)
{
    if (m_paragraphs.empty()) {
        Paragraph para;
        para.firstItem = int(m_items.size());
        m_paragraphs.push_back(std::move(para));
    }
    m_items.push_back(Item{QString(), -1, image, -1});
    ++m_characters;
    Paragraph &last = m_paragraphs.back();
    ++last.itemCount;
    last.laidOut = false;
    m_firstDirty = std::min(m_firstDirty, int(m_paragraphs.size()) - 1);
}

void ChatDocument::setLastAuthor(const QString &author)
{
    if (m_paragraphs.empty())
        return;
    QString &last = m_paragraphs.back().author;
    m_characters += author.size() - last.size();
    last = author;
}

void ChatDocument::clear()
{
    m_items.clear();
    m_paragraphs.clear();
    m_firstDirty = 0;
    m_characters = 0;
}

ChatDocument::Dropped ChatDocument::dropOldest(int maxItems, qsizetype maxCharacters)
{
    int count = 0;
    int items = 0;
    qsizetype characters = 0;
    while (count < paragraphCount() &&
           (itemCount() - items > maxItems || m_characters - characters > maxCharacters)) {
        const Paragraph &para = m_paragraphs[size_t(count)];
        characters += para.author.size();
        for (int i = para.firstItem; i < para.firstItem + para.itemCount; ++i)
            characters += charactersOf(m_items[size_t(i)]);
        items += para.itemCount;
        ++count;
    }
    if (count == 0)
        return {};
    // Paragraphs before m_firstDirty have their place; the first one kept
    // moves up to the top.
    Dropped dropped{count, 0};
    if (count < m_firstDirty) {
        dropped.height = m_paragraphs[size_t(count)].y;
    } else if (m_firstDirty > 0) {
        const Paragraph &placed = m_paragraphs[size_t(m_firstDirty - 1)];
        dropped.height = placed.y + placed.height;
    }
    m_items.erase(m_items.begin(), m_items.begin() + items);
    m_paragraphs.erase(m_paragraphs.begin(), m_paragraphs.begin() + count);
    m_characters -= characters;
    m_firstDirty = std::max(0, m_firstDirty - count);
    for (Paragraph &para : m_paragraphs) {
        para.firstItem -= items;
        para.y -= dropped.height;
        for (Fragment &fragment : para.fragments)
            fragment.item -= items;
    }
    return dropped;
}

int ChatDocument::layout(int width)
{
    width = std::max(width, 1);
    if (width != m_width || m_fontsChanged) {
        m_width = width;
        m_fontsChanged = false;
        m_firstDirty = 0;
        for (Paragraph &p : m_paragraphs)
            p.laidOut = false;
    }
    int y = 0;
    if (m_firstDirty > 0 && m_firstDirty <= int(m_paragraphs.size())) {
        const Paragraph &before = m_paragraphs[size_t(m_firstDirty - 1)];
        y = before.y + before.height;
    }
    for (size_t i = size_t(m_firstDirty); i < m_paragraphs.size(); ++i) {
        Paragraph &p = m_paragraphs[i];
        if (!p.laidOut)
            layoutParagraph(p, width);
        p.y = y;
        y += p.height;
    }
    m_firstDirty = int(m_paragraphs.size());
    return height();
}

int ChatDocument::height() const
{
    if (m_paragraphs.empty())
        return 0;
    const Paragraph &last = m_paragraphs.back();
    return last.y + last.height;
}

bool ChatDocument::startsParagraph(int itemIndex) const
{
    auto it = std::upper_bound(m_paragraphs.begin(), m_paragraphs.end(), itemIndex,
                               [](int i, const Paragraph &p) { return i < p.firstItem; });
    return it != m_paragraphs.begin() && std::prev(it)->firstItem == itemIndex;
}

const QFont &ChatDocument::layoutFont(int style) const
{
    static const QFont fallback;
    if (style < 0 || size_t(style) >= m_fonts.size())
        return fallback;
    return m_fonts[size_t(style)];
}

void ChatDocument::layoutParagraph(Paragraph &para, int width)
{
    para.lines.clear();
    para.fragments.clear();
    Line line;
    int x = 0;

    auto finishLine = [&] {
        line.fragmentCount = int(para.fragments.size()) - line.firstFragment;
        placeLine(para, line);
        para.lines.push_back(line);
        Line next;
        next.y = line.y + line.height;
        next.firstFragment = int(para.fragments.size());
        line = next;
        x = 0;
    };

    for (int i = para.firstItem; i < para.firstItem + para.itemCount; ++i) {
        const Item &it = m_items[size_t(i)];
        if (it.isPicture()) {
            const QPixmap *pm = image(it.image);
            const int w = pm ? int(pm->deviceIndependentSize().width()) : 0;
            if (x > 0 && x + w > width)
                finishLine();
            para.fragments.push_back(Fragment{i, 0, 1, x, w});
            x += w;
            continue;
        }
        const QFontMetrics &fm = metrics(it.style);
        const int len = int(it.text.size());
        int from = 0;
        while (from < len) {
            const QStringView rest = QStringView(it.text).mid(from);
            int inkLength = int(rest.size());
            while (inkLength > 0 && rest[inkLength - 1] == u' ')
                --inkLength;
            // Every character is at least a pixel wide, so a piece with more
            // characters than the line has pixels left is not measured whole:
            // a long word costs time in its length, not in its square.
            const bool mayFit = inkLength <= width - x &&
                                x + fm.horizontalAdvance(rest.left(inkLength).toString()) <= width;
            // Trailing blanks may hang over the right edge.
            if (inkLength == 0 || mayFit) {
                const int w = fm.horizontalAdvance(rest.toString());
                para.fragments.push_back(Fragment{i, from, len - from, x, w});
                x += w;
                break;
            }
            if (x > 0) {
                finishLine();
                continue;
            }
            // A word wider than the view is broken where the line is full.
            int lo = 1;
            int hi = std::min(inkLength, width);
            while (lo < hi) {
                const int mid = (lo + hi + 1) / 2;
                if (fm.horizontalAdvance(rest.left(mid).toString()) <= width)
                    lo = mid;
                else
                    hi = mid - 1;
            }
            const int w = fm.horizontalAdvance(rest.left(lo).toString());
            para.fragments.push_back(Fragment{i, from, lo, 0, w});
            from += lo;
            finishLine();
        }
    }
    if (line.firstFragment < int(para.fragments.size()) || para.lines.empty())
        finishLine();
    para.height = para.lines.back().y + para.lines.back().height;
    para.laidOut = true;
}

const QFontMetrics &ChatDocument::metrics(int style) const
{
    static const QFontMetrics fallback{QFont()};
    if (style < 0 || size_t(style) >= m_metrics.size())
        return fallback;
    return m_metrics[size_t(style)];
}

void ChatDocument::placeLine(Paragraph &para, Line &line)
{
    int ascent = 0;
    int descent = 0;
    for (int f = line.firstFragment; f < line.firstFragment + line.fragmentCount; ++f) {
        const Item &it = m_items[size_t(para.fragments[size_t(f)].item)];
        if (it.isPicture()) {
            const QPixmap *pm = image(it.image);
            ascent = std::max(ascent, pm ? int(pm->deviceIndependentSize().height()) : 0);
        } else {
            const QFontMetrics &fm = metrics(it.style);
            ascent = std::max(ascent, fm.ascent());
            descent = std::max(descent, fm.descent());
        }
    }
    if (ascent == 0 && descent == 0) {
        // An empty line is as high as text of the first style.
        const QFontMetrics &fm = metrics(m_metrics.empty() ? -1 : 0);
        ascent = fm.ascent();
        descent = fm.descent();
    }
    line.ascent = ascent;
    line.height = ascent + descent + 1;
}

int ChatDocument::paragraphAt(int y) const
{
    auto it = std::upper_bound(m_paragraphs.begin(), m_paragraphs.end(), y,
                               [](int v, const Paragraph &p) { return v < p.y + p.height; });
    return int(it - m_paragraphs.begin());
}

int ChatDocument::fragmentOffset(int paragraph, const Fragment &fragment) const
{
    const Paragraph &para = m_paragraphs[size_t(paragraph)];
    int offset = 0;
    for (int i = para.firstItem; i < fragment.item; ++i) {
        const Item &it = m_items[size_t(i)];
        offset += it.isPicture() ? 1 : int(it.text.size());
    }
    return offset + fragment.from;
}

int ChatDocument::advance(const Fragment &fragment, int count) const
{
    if (count <= 0)
        return 0;
    if (count >= fragment.length)
        return fragment.width;
    const Item &it = m_items[size_t(fragment.item)];
    if (it.isPicture())
        return fragment.width;
    return metrics(it.style).horizontalAdvance(it.text.mid(fragment.from, count));
}

QString ChatDocument::paragraphText(int paragraph) const
{
    const Paragraph &para = m_paragraphs[size_t(paragraph)];
    QString text;
    for (int i = para.firstItem; i < para.firstItem + para.itemCount; ++i) {
        const Item &it = m_items[size_t(i)];
        if (it.isPicture())
            text += QChar(kPictureChar);
        else
            text += it.text;
    }
    return text;
}

ChatDocument::Position ChatDocument::positionAt(QPoint point, int *itemUnder) const
{
    if (itemUnder)
        *itemUnder = -1;
    if (m_paragraphs.empty())
        return {};
    if (point.y() < 0)
        return {0, 0};
    const int pi = paragraphAt(point.y());
    if (pi >= int(m_paragraphs.size())) {
        const int last = int(m_paragraphs.size()) - 1;
        return {last, int(paragraphText(last).size())};
    }
    const Paragraph &para = m_paragraphs[size_t(pi)];
    const int y = point.y() - para.y;
    const Line *line = &para.lines.back();
    for (const Line &l : para.lines) {
        if (y < l.y + l.height) {
            line = &l;
            break;
        }
    }
    if (line->fragmentCount == 0) {
        // Only a trailing empty line has no fragments: its place is the paragraph's end.
        return {pi, int(paragraphText(pi).size())};
    }
    const Fragment *hit = nullptr;
    for (int f = line->firstFragment; f < line->firstFragment + line->fragmentCount; ++f) {
        const Fragment &frag = para.fragments[size_t(f)];
        hit = &frag;
        if (point.x() < frag.x + frag.width)
            break;
    }
    if (itemUnder && point.x() >= hit->x && point.x() < hit->x + hit->width)
        *itemUnder = hit->item;
    const int base = fragmentOffset(pi, *hit);
    if (point.x() <= hit->x)
        return {pi, base};
    if (point.x() >= hit->x + hit->width)
        return {pi, base + hit->length};
    // The character boundary nearest to the point.
    int best = 0;
    for (int c = 1; c <= hit->length; ++c) {
        const int left = hit->x + advance(*hit, c - 1);
        const int right = hit->x + advance(*hit, c);
        if (point.x() < (left + right) / 2)
            break;
        best = c;
    }
    return {pi, base + best};
}
