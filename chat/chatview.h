#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QString>
#include <memory>
#include <vector>

#include "chat/chatdocument.h"

// A read-only rich-text view of a growing chat: paragraphs of text items in
// shared styles and inline pictures. A style is shared by index, so changing a
// style's colour recolours every item drawn with it. Each paragraph keeps its
// own layout, which makes appending independent of the length of the history.
// The history is bounded: past kKeptItems items or kKeptCharacters characters,
// the oldest paragraphs go when the next one starts.
class ChatView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    struct Style
    {
        QString family = QStringLiteral("Arial");
        int pointSize = 10;
        QColor colour = Qt::black;
        bool bold = false;
        bool italic = false;
        bool underline = false;
    };

    static constexpr int kLinkStyle = 4; // text items in this style are links
    // A few thousand lines of talk; a peer relaying long lines of one-letter
    // words as fast as the host allows cannot make the table hold more.
    static constexpr int kKeptItems = 40000;
    static constexpr qsizetype kKeptCharacters = 400000;

    explicit ChatView(QWidget *parent = nullptr);
    ~ChatView() override;

    static constexpr int kStyleCount = 16;

    int styleCount() const;
    const Style &style(int index) const;
    void setStyle(int index, const Style &style);
    void setStyleColour(int index, const QColor &colour);
    void setStyleBold(int index, bool bold);
    void setStylePointSize(int index, int pointSize);

    void setImageList(const QList<QPixmap> &images);

    // Appending. An item continuing the paragraph of an empty view starts one.
    void addText(const QString &text, int style, bool newParagraph);
    void addPicture(int imageIndex);
    // Who wrote the last paragraph, in words of the view's owner; empty for
    // nobody in particular. It goes when the paragraph goes.
    void setLastAuthor(const QString &author);
    // The author of the paragraph at a point of the viewport; empty where
    // no paragraph is.
    QString authorAt(const QPoint &viewportPos) const;

    // Lays out what changed since the last call and updates the scroll range.
    void format();
    int itemCount() const;
    int paragraphCount() const;
    // Links added since the last clear, numbered from 0, kept or not.
    int linkCount() const;
    // The text of a link still shown; empty for one that was dropped.
    QString linkText(int linkNumber) const;
    void setVerticalScrollPosition(int value); // at or past the end: the last line
    void scrollToEnd();
    void clear();

    void setBackground(const QColor &colour);
    void setHorizontalMargins(int pixels);

    // The selection, as plain text with one line break between paragraphs.
    bool hasSelection() const;
    QString selectedText() const;
    QString plainText() const;
    void selectAll();
    void copy();

    // Read access for whoever needs to inspect the content (tests, copy).
    struct ItemInfo
    {
        bool picture = false;
        QString text;   // empty for a picture
        int style = -1; // -1 for a picture
        int image = -1; // picture index, -1 for text
        int link = -1;  // link number of a link item, else -1
        bool startsParagraph = false;
    };
    ItemInfo item(int index) const;

    // Where a link item is drawn in viewport coordinates (empty when not shown).
    QRect linkRect(int linkNumber) const;
    // Where a paragraph is drawn in viewport coordinates, shown or not.
    QRect paragraphRect(int paragraph) const;

signals:
    void jump(int linkNumber);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QPoint toDocument(const QPoint &viewportPos) const;
    int linkAt(const QPoint &viewportPos) const;
    void updateScrollRange();
    void selectWordAt(const QPoint &viewportPos);
    void setSelection(ChatDocument::Position anchor, ChatDocument::Position cursor);
    void exportSelection();
    QFont fontOf(const Style &style) const;
    void pushFonts();
    void paintParagraph(QPainter &painter, int index, int top);
    void keepInBounds();

    ChatDocument m_doc;
    std::vector<Style> m_styles;
    int m_links = 0;
    QColor m_background{0xE6, 0xFB, 0xFB};
    int m_margin = 5;
    static constexpr int kTopMargin = 2;
    int m_pressLink = -1;
    bool m_selecting = false;
    ChatDocument::Position m_anchor;
    ChatDocument::Position m_cursor;
    int m_droppedHeight = 0; // scrolled away at the next format
};
