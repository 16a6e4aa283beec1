#include "chat/chatpanel.h"

#include "chat/chatview.h"
#include "chat/colourtext.h"
#include "protocol/hostmessages.h"
#include "protocol/joinlink.h"
#include "resources/pictures.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QToolButton>

namespace {

const QString kPlaceholder = QStringLiteral("<Enter Chat Here>");
constexpr int kStatusStyle = 0;
constexpr int kSeatStyleOffset = 5;
constexpr int kSeatedStyles = 15; // styles 0..14 follow the text size
constexpr int kMaxLineNumber = 9;
constexpr int kFirstSmileyCode = 10;
constexpr int kLastSmileyCode = 27;
constexpr int kMenuSmilies = 17;

// Chat text travels as single bytes; 0xFF ends a message, so it never goes out.
QByteArray toWire(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar c : text)
        bytes.append(c.unicode() < 0xFF ? char(c.unicode()) : '?');
    return bytes;
}

// Exactly two decimal digits from 10 to 27; anything else is the first picture.
int smileyIndex(const QString &code)
{
    const auto digit = [](QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; };
    if (code.size() != 2 || !digit(code[0]) || !digit(code[1]))
        return 0;
    const int value = (code[0].unicode() - '0') * 10 + (code[1].unicode() - '0');
    if (value < kFirstSmileyCode || value > kLastSmileyCode)
        return 0;
    return value - kFirstSmileyCode;
}

bool isLinkWord(const QString &piece)
{
    return piece.contains(QLatin1String("http://")) || piece.contains(QLatin1String("https://")) ||
           piece.contains(QLatin1String("www.")) ||
           piece.contains(QLatin1String("spades://"), Qt::CaseInsensitive);
}

// The lobby beside this program, else the one on the PATH.
bool openInLobby(const QString &link)
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/spades-lobby");
    const QString program =
        QFileInfo(beside).isExecutable() ? beside : QStringLiteral("spades-lobby");
    return QProcess::startDetached(program, {link});
}

} // namespace

ChatPanel::ChatPanel(QWidget *boardPanel) : QObject(boardPanel)
{
    setObjectName(QStringLiteral("chatpanel"));

    m_frame = new QFrame(boardPanel);
    m_frame->setObjectName(QStringLiteral("panel_chat"));
    m_frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_frame->setLineWidth(2);
    m_frame->setGeometry(478, 168, 265, 268);

    m_mainchat = new ChatView(m_frame);
    m_mainchat->setObjectName(QStringLiteral("mainchat"));
    m_mainchat->setGeometry(2, 2, 261, 264);
    m_mainchat->setFrameShape(QFrame::NoFrame);
    m_mainchat->setBackground(QColor(0xE6, 0xFB, 0xFB));
    m_mainchat->setHorizontalMargins(5);

    const QColor windowText = colourtext::toQColor(colourtext::kWindowText);
    const auto makeStyle = [](QColor colour, bool bold, bool italic, bool underline) {
        ChatView::Style s;
        s.colour = colour;
        s.bold = bold;
        s.italic = italic;
        s.underline = underline;
        return s;
    };
    using colourtext::toQColor;
    m_mainchat->setStyle(0, makeStyle(toQColor(0x800000), false, false, false));
    m_mainchat->setStyle(1, makeStyle(toQColor(0x000000), true, false, false));
    m_mainchat->setStyle(2, makeStyle(toQColor(0xC0C0C0), true, false, false));
    m_mainchat->setStyle(3, makeStyle(toQColor(0x000080), false, true, false));
    m_mainchat->setStyle(4, makeStyle(toQColor(0x008000), false, false, true));
    m_mainchat->setStyle(5, makeStyle(toQColor(0x008000), false, false, true));
    for (int i = 6; i < kStyleCount; ++i)
        m_mainchat->setStyle(i, makeStyle(windowText, false, false, false));
    connect(m_mainchat, &ChatView::jump, this, &ChatPanel::mainchatJump);

    m_mychat = new QLineEdit(boardPanel);
    m_mychat->setObjectName(QStringLiteral("mychat"));
    m_mychat->setGeometry(478, 437, 235, 22);
    m_mychat->setText(kPlaceholder);
    m_mychat->setContextMenuPolicy(Qt::CustomContextMenu);
    m_mychat->installEventFilter(this);
    connect(m_mychat, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_popupMychat->popup(m_mychat->mapToGlobal(pos)); });
    applyEntryColour();

    m_smileyButton = new QToolButton(boardPanel);
    m_smileyButton->setObjectName(QStringLiteral("button_smilies"));
    m_smileyButton->setGeometry(716, 437, 27, 22);
    m_smileyButton->setToolTip(QStringLiteral("See ya!"));
    m_smileyButton->setAutoRaise(true);
    connect(m_smileyButton, &QToolButton::clicked, this, &ChatPanel::button_smiliesClick);

    m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    m_openJoinLink = openInLobby;
    m_pickColour = [this](quint32 current) -> std::optional<quint32> {
        const QColor chosen =
            QColorDialog::getColor(colourtext::toQColor(current), m_mychat->window());
        if (!chosen.isValid())
            return std::nullopt;
        return colourtext::fromQColor(chosen);
    };
    m_alert = [this](const QString &text) {
        QMessageBox::information(m_mychat->window(), QApplication::applicationName(), text);
    };

    buildMenus();

    QList<QPixmap> smilies;
    for (int i = 0; i < pictures::kSmileyCount; ++i)
        smilies << pictures::smiley(i, boardPanel->devicePixelRatioF());
    setSmileyImages(smilies);
}

ChatPanel::~ChatPanel() = default;

void ChatPanel::buildMenus()
{
    m_textColorItem = new QAction(QStringLiteral("Text Color"), this);
    m_textColorItem->setObjectName(QStringLiteral("TextColor1"));
    connect(m_textColorItem, &QAction::triggered, this, &ChatPanel::TextColor1Click);

    for (int size : {8, 10, 12, 14}) {
        auto *item = new QAction(QString::number(size), this);
        item->setObjectName(QStringLiteral("N%1").arg(size));
        item->setData(size);
        item->setCheckable(true);
        item->setChecked(size == 10);
        connect(item, &QAction::triggered, this, [this, size] { N14Click(size); });
        m_sizeItems << item;
    }

    m_scrollChatOff2 = new QAction(QStringLiteral("Scroll Chat Off"), this);
    m_scrollChatOff2->setObjectName(QStringLiteral("ScrollChatOff2"));
    m_scrollChatOff2->setCheckable(true);
    m_scrollChatOff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_scrollChatOff2, &QAction::triggered, this, &ChatPanel::ScrollChatOff1Click);

    m_clearMainChat = new QAction(QStringLiteral("Clear Main Chat"), this);
    m_clearMainChat->setObjectName(QStringLiteral("ClearMainChat1"));
    connect(m_clearMainChat, &QAction::triggered, this, &ChatPanel::ClearMainChat1Click);

    // The view's own menu. Its shortcuts are only shown: the view handles
    // Ctrl+C itself and Ctrl+S belongs to the Options item.
    m_popupMainchat = std::make_unique<QMenu>();
    m_popupMainchat->setObjectName(QStringLiteral("popup_mainchat"));
    const auto addItem = [this](QMenu *menu, const QString &caption) {
        auto *item = new QAction(caption, this); // findable from the window
        menu->addAction(item);
        return item;
    };
    QAction *selectAll = addItem(m_popupMainchat.get(), QStringLiteral("Select All"));
    connect(selectAll, &QAction::triggered, m_mainchat, &ChatView::selectAll);
    QAction *copy = addItem(m_popupMainchat.get(), QStringLiteral("Copy"));
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, m_mainchat, &ChatView::copy);
    m_popupMainchat->addSeparator();
    m_clearMainChat2 = addItem(m_popupMainchat.get(), QStringLiteral("Clear Main Chat"));
    m_clearMainChat2->setObjectName(QStringLiteral("ClearMainChat2"));
    connect(m_clearMainChat2, &QAction::triggered, this, &ChatPanel::ClearMainChat1Click);
    m_scrollChatOff1 = addItem(m_popupMainchat.get(), QStringLiteral("Scroll Chat Off"));
    m_scrollChatOff1->setObjectName(QStringLiteral("ScrollChatOff1"));
    m_scrollChatOff1->setCheckable(true);
    m_scrollChatOff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_scrollChatOff1->setShortcutContext(Qt::WidgetShortcut);
    connect(m_scrollChatOff1, &QAction::triggered, this, &ChatPanel::ScrollChatOff1Click);
    m_authorSeparator = m_popupMainchat->addSeparator();
    m_authorItem = addItem(m_popupMainchat.get(), QString());
    m_authorItem->setObjectName(QStringLiteral("popup_author"));
    connect(m_authorItem, &QAction::triggered, this, [this] {
        if (!m_menuAuthor.isEmpty())
            emit authorItemChosen(m_menuAuthor);
    });
    prepareMainchatMenu(QPoint(-1, -1));
    m_mainchat->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_mainchat, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        prepareMainchatMenu(m_mainchat->viewport()->mapFrom(m_mainchat, pos));
        m_popupMainchat->popup(m_mainchat->mapToGlobal(pos));
    });

    m_popupMychat = std::make_unique<QMenu>();
    m_popupMychat->setObjectName(QStringLiteral("popup_mychat"));
    QAction *paste = addItem(m_popupMychat.get(), QStringLiteral("Paste"));
    paste->setObjectName(QStringLiteral("Paste1"));
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    paste->setShortcutContext(Qt::WidgetShortcut);
    connect(paste, &QAction::triggered, this, &ChatPanel::Paste1Click);

    m_popupSmilies = std::make_unique<QMenu>();
    m_popupSmilies->setObjectName(QStringLiteral("popup_smilies"));
    for (int i = 0; i < kMenuSmilies; ++i) {
        const int code = kFirstSmileyCode + i;
        QAction *item = addItem(m_popupSmilies.get(), QStringLiteral(":)#%1").arg(code));
        item->setData(code);
        connect(item, &QAction::triggered, this, [this, code] { MenuItem17Click(code); });
    }
}

void ChatPanel::prepareMainchatMenu(const QPoint &viewportPos)
{
    const QString author = m_mainchat->authorAt(viewportPos);
    const QString text =
        author.isEmpty() || !m_authorItemText ? QString() : m_authorItemText(author);
    m_menuAuthor = text.isEmpty() ? QString() : author;
    m_authorItem->setText(text);
    for (QAction *item : {m_authorSeparator, m_authorItem})
        item->setVisible(!text.isEmpty());
    m_authorItem->setEnabled(!text.isEmpty());
}

void ChatPanel::setSmileyImages(const QList<QPixmap> &images)
{
    m_mainchat->setImageList(images);
    const QList<QAction *> items = m_popupSmilies->actions();
    for (int i = 0; i < items.size() && i < images.size(); ++i)
        items[i]->setIcon(QIcon(images[i]));
    if (!images.isEmpty()) {
        m_smileyButton->setIcon(QIcon(images[0]));
        m_smileyButton->setIconSize(images[0].deviceIndependentSize().toSize());
    }
    m_mainchat->format();
}

void ChatPanel::addOptionsMenuItems(QMenu *options)
{
    options->addAction(m_textColorItem);
    m_textSizeMenu = options->addMenu(QStringLiteral("Text Size"));
    m_textSizeMenu->setObjectName(QStringLiteral("TextSize1"));
    m_textSizeMenu->addActions(m_sizeItems);
    options->addAction(m_scrollChatOff2);
    options->addAction(m_clearMainChat);
}

// ---- preferences ----

void ChatPanel::setTextColour(quint32 colour)
{
    m_textColour = colour;
    applyEntryColour();
}

void ChatPanel::applyEntryColour()
{
    QPalette pal = m_mychat->palette();
    pal.setColor(QPalette::Text, colourtext::toQColor(m_textColour));
    m_mychat->setPalette(pal);
}

void ChatPanel::setTextSize(int pointSize)
{
    if (pointSize > 0) {
        for (int i = 0; i < kSeatedStyles; ++i)
            m_mainchat->setStylePointSize(i, pointSize);
    }
    m_mainchat->format();
    checkSizeItem(pointSize);
}

int ChatPanel::textSize() const
{
    return m_mainchat->style(kStatusStyle).pointSize;
}

void ChatPanel::checkSizeItem(int size)
{
    for (QAction *item : m_sizeItems)
        item->setChecked(item->data().toInt() == size);
}

void ChatPanel::setScrollChatOff(bool off)
{
    m_scrollChatOff = off;
    m_scrollChatOff1->setChecked(off);
    m_scrollChatOff2->setChecked(off);
}

void ChatPanel::notifySettingsChanged()
{
    if (m_settingsChanged)
        m_settingsChanged();
}

// ---- menu and button handlers ----

void ChatPanel::TextColor1Click()
{
    const std::optional<quint32> chosen = m_pickColour ? m_pickColour(m_textColour) : std::nullopt;
    if (!chosen)
        return;
    setTextColour(*chosen);
    notifySettingsChanged();
}

// The size shows from the view's next layout, that is with the next line.
void ChatPanel::N14Click(int size)
{
    for (int i = 0; i < kSeatedStyles; ++i)
        m_mainchat->setStylePointSize(i, size);
    // The lines already shown are laid out again at once in the new size.
    m_mainchat->format();
    checkSizeItem(size);
    notifySettingsChanged();
}

void ChatPanel::ScrollChatOff1Click()
{
    setScrollChatOff(!m_scrollChatOff);
}

void ChatPanel::ClearMainChat1Click()
{
    m_mainchat->clear();
    m_mainchat->format();
    m_mychat->setFocus();
}

void ChatPanel::button_smiliesClick()
{
    const QPoint corner = m_smileyButton->mapToGlobal(m_smileyButton->rect().bottomRight());
    m_popupSmilies->popup(corner);
}

void ChatPanel::MenuItem17Click(int code)
{
    if (m_mychat->text() == kPlaceholder)
        m_mychat->clear();
    m_mychat->setText(m_mychat->text() + QStringLiteral(":)#%1").arg(code, 2, 10, QChar('0')));
    m_mychat->deselect();
    m_mychat->end(false);
}

void ChatPanel::Paste1Click()
{
    const QString clip = QApplication::clipboard()->text();
    if (clip.isEmpty())
        return;
    m_mychat->setText(m_mychat->text() + clip);
    m_mychat->deselect();
    m_mychat->end(false);
}

bool ChatPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_mychat)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Ctrl+V appends at the end, like the menu's Paste, instead of at the caret.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->matches(QKeySequence::Paste)) {
            event->accept();
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (m_mychat->text() == kPlaceholder)
        m_mychat->clear();
    if (key->matches(QKeySequence::Paste)) {
        Paste1Click();
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        sendit();
        return true;
    }
    return false;
}

// ---- sending ----

QByteArray ChatPanel::message(Line kind, const QString &text) const
{
    const QByteArray field = toWire(text + QLatin1Char('|') + colourtext::toText(m_textColour));
    if (kind == Line::Action)
        return wire::toHost::Action{m_myseat, field}.encode();
    return wire::toHost::Chat{m_myseat, field}.encode();
}

void ChatPanel::send(Line kind, const QString &text)
{
    if (m_send)
        m_send(message(kind, text));
}

void ChatPanel::sendit()
{
    if (!m_loggedin)
        return;
    const QString t = m_mychat->text();
    if (!t.isEmpty()) {
        if (!t.startsWith(QLatin1Char('/')))
            send(Line::Chat, t);
        else if (t.startsWith(QLatin1String("/me")))
            send(Line::Action, t.mid(4)); // "/me" and the blank after it
    }
    m_mychat->clear();
}

// ---- receiving and rendering ----

void ChatPanel::chatrecieved(int n, const QByteArray &line, const QString &author)
{
    const QString text = QString::number(n) + QLatin1Char('+') + QString::fromLatin1(line);
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0) {
        addlinetochat(text, colourtext::kRed, author);
        return;
    }
    addlinetochat(text.left(bar), colourtext::fromTextOr(text.mid(bar + 1), colourtext::kRed),
                  author);
}

QString ChatPanel::cutLongLine(const QString &line)
{
    if (line.size() <= kLongestLine)
        return line;
    // At a blank, so that no word is shown cut (a link would lead elsewhere),
    // unless that would drop more than half of what may be shown.
    qsizetype end = line.lastIndexOf(QLatin1Char(' '), kLongestLine);
    if (end < kLongestLine / 2) {
        end = kLongestLine;
        if (line.at(end - 1).isHighSurrogate())
            --end;
    }
    return line.left(end) + QStringLiteral(" \u2026");
}

void ChatPanel::addlinetochat(const QString &whole, quint32 colour, const QString &author)
{
    const QString line = cutLongLine(whole);
    const qsizetype plus = line.indexOf(QLatin1Char('+'));
    if (plus < 0)
        return;
    bool ok = false;
    const int n = line.left(plus).toInt(&ok);
    // The number picks the style; one the view has no style for shows nothing.
    if (!ok || n < 0 || n > kMaxLineNumber)
        return;
    QString body = line.mid(plus + 1);
    const int style = n == 0 ? kStatusStyle : n + kSeatStyleOffset;

    m_mainchat->setStyleColour(style, colourtext::toQColor(colour));
    m_mainchat->setStyleBold(style, true);

    QString head;
    const qsizetype colon = body.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        head = body.left(colon + 1);
        body = body.mid(colon + 1);
    }
    m_mainchat->addText(head + QLatin1Char(' '), style, true);
    m_mainchat->setLastAuthor(author);

    for (qsizetype code = body.indexOf(QLatin1String(":)#")); code >= 0;
         code = body.indexOf(QLatin1String(":)#"))) {
        const QString before = body.left(code);
        const QString digits = body.mid(code + 3, 2);
        body = body.mid(code + 5);
        appendWords(before, style);
        m_mainchat->addPicture(smileyIndex(digits));
    }
    if (!body.isEmpty())
        appendWords(body, style);

    m_mainchat->format();
    if (!m_scrollChatOff)
        m_mainchat->scrollToEnd();
}

void ChatPanel::appendWords(QString text, int style)
{
    text += QLatin1Char(' ');
    while (!text.isEmpty()) {
        const qsizetype blank = text.indexOf(QLatin1Char(' '));
        const QString piece = text.left(blank + 1);
        text.remove(0, blank + 1);
        m_mainchat->addText(piece, isLinkWord(piece) ? ChatView::kLinkStyle : style, false);
    }
}

QStringList ChatPanel::linkTargets() const
{
    QStringList targets;
    for (int i = 0; i < m_mainchat->itemCount(); ++i) {
        const ChatView::ItemInfo item = m_mainchat->item(i);
        if (item.link >= 0)
            targets << item.text;
    }
    return targets;
}

void ChatPanel::mainchatJump(int linkNumber)
{
    QString target = m_mainchat->linkText(linkNumber);
    if (target.isEmpty())
        return;
    if (target.endsWith(QLatin1Char(' ')))
        target.chop(1);
    if (looksLikeJoinLink(target)) {
        QString why;
        const std::optional<Invitation> invitation = parseInvitationLink(target, &why);
        if (!invitation)
            why = QStringLiteral("Cannot open this invitation. ") + why;
        else if (!m_openJoinLink || !m_openJoinLink(invitationLink(*invitation)))
            why = QStringLiteral("Cannot open the Spades lobby.");
        if (!why.isEmpty() && m_alert)
            m_alert(why);
        return;
    }
    if (target.left(7).toLower() == QLatin1String("http://"))
        target.remove(0, 7);
    // Only web pages: anything else written in a chat is not opened.
    const QUrl url = QUrl::fromUserInput(target);
    const bool web = url.isValid() && (url.scheme() == QLatin1String("http") ||
                                       url.scheme() == QLatin1String("https"));
    if (!web || !m_openUrl || !m_openUrl(url)) {
        if (m_alert)
            m_alert(QStringLiteral("Cannot open Webpage"));
    }
}
