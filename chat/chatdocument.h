#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QList>
#include <QPixmap>
#include <QString>
#include <optional>
#include <vector>

// The content of the chat view and its layout. Items are appended to the last
// paragraph; every paragraph keeps the lines it was broken into, so adding a
// line lays out that paragraph alone. A change of a font or of the width
// lays out everything again.
class ChatDocument
{
public:
    struct Item
    {
        QString text; // empty for a picture
        int style = -1;
        int image = -1;
        int link = -1;
        bool isPicture() const { return image >= 0; }
    };

    // A piece of one item on one line of a paragraph.
    struct Fragment
    {
        int item = 0; // index into the document's items
        int from = 0; // first character of the item's text
        int length = 0;
        int x = 0;
        int width = 0;
    };

    struct Line
    {
        int y = 0; // relative to the paragraph
        int height = 0;
        int ascent = 0;
        int firstFragment = 0;
        int fragmentCount = 0;
    };

    struct Paragraph
    {
        int firstItem = 0;
        int itemCount = 0;
        int y = 0;
        int height = 0;
        bool laidOut = false;
        QString author; // who wrote the line, as the owner of the view names them
        std::vector<Line> lines;
        std::vector<Fragment> fragments;
    };

    // A place between characters: paragraph and offset into its character
    // stream (a picture counts as one character).
    struct Position
    {
        int paragraph = 0;
        int offset = 0;
        auto operator<=>(const Position &) const = default;
    };

    static constexpr char16_t kPictureChar = 0xFFFC;

    void setFonts(const std::vector<QFont> &fonts); // one per style, used from the next layout
    void setImages(const QList<QPixmap> &images) { m_images = images; }
    const QPixmap *image(int index) const;

    void addText(const QString &text, int style, int link, bool newParagraph);
    void addPicture(int image);
    // The author of the last paragraph; it goes with the paragraph.
    void setLastAuthor(const QString &author);
    void clear();

    // Drops the oldest paragraphs until at most `maxItems` items with at most
    // `maxCharacters` characters are left (a picture counts as one, and a
    // paragraph's author counts with its text). Says how
    // many paragraphs went and how high they stood when last laid out.
    struct Dropped
    {
        int paragraphs = 0;
        int height = 0;
    };
    Dropped dropOldest(int maxItems, qsizetype maxCharacters);
    qsizetype characterCount() const { return m_characters; }

    // Lays out what needs it at `width`; returns the total height.
    int layout(int width);
    int height() const;

    int itemCount() const { return int(m_items.size()); }
    int paragraphCount() const { return int(m_paragraphs.size()); }
    const Item &item(int index) const { return m_items[size_t(index)]; }
    const Paragraph &paragraph(int index) const { return m_paragraphs[size_t(index)]; }
    bool startsParagraph(int itemIndex) const;
    const QFont &layoutFont(int style) const;

    // The first paragraph whose bottom lies below y.
    int paragraphAt(int y) const;
    // The nearest position to a point in document coordinates, and the item
    // under it when the point is on one.
    Position positionAt(QPoint point, int *itemUnder = nullptr) const;

    // The paragraph's characters with pictures as kPictureChar.
    QString paragraphText(int paragraph) const;
    // Offset of the fragment's first character in the paragraph's stream.
    int fragmentOffset(int paragraph, const Fragment &fragment) const;
    // Horizontal position of character `count` of the fragment.
    int advance(const Fragment &fragment, int count) const;

private:
    void layoutParagraph(Paragraph &para, int width);
    void placeLine(Paragraph &para, Line &line);
    const QFontMetrics &metrics(int style) const;

    std::vector<Item> m_items;
    std::vector<Paragraph> m_paragraphs;
    std::vector<QFont> m_fonts;
    std::vector<QFontMetrics> m_metrics;
    QList<QPixmap> m_images;
    int m_width = -1;
    bool m_fontsChanged = true;
    int m_firstDirty = 0; // paragraphs from here on need a layout
    qsizetype m_characters = 0;
};
