#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class ChatView;
class QAction;
class QFrame;
class QLineEdit;
class QMenu;
class QToolButton;
class QWidget;

// The chat pane of the table: the framed view `mainchat`, the entry field
// `mychat` and the chat's menu items. It renders chat lines (head, words,
// links, smilies) and builds the outgoing chat and action messages.
class ChatPanel : public QObject
{
    Q_OBJECT

public:
    using SendFunction = std::function<void(const QByteArray &message)>;
    using UrlOpener = std::function<bool(const QUrl &url)>;
    using ColourPicker = std::function<std::optional<quint32>(quint32 current)>;

    static constexpr int kStyleCount = 16;
    static constexpr int kLinkTableSize = 101;

    // Creates the widgets on `boardPanel` (which owns them and this object).
    explicit ChatPanel(QWidget *boardPanel);
    ~ChatPanel() override;

    QFrame *frame() const { return m_frame; }
    ChatView *mainchat() const { return m_mainchat; }
    QLineEdit *mychat() const { return m_mychat; }
    QMenu *popupSmilies() const { return m_popupSmilies.get(); }
    QMenu *popupMainchat() const { return m_popupMainchat.get(); }
    QMenu *popupMychat() const { return m_popupMychat.get(); }
    QToolButton *smileyButton() const { return m_smileyButton; }

    // Every message leaves through this function, already terminated.
    void setSendFunction(SendFunction send) { m_send = std::move(send); }
    // Called after a preference of the chat changed (colour, size).
    void setSettingsChanged(std::function<void()> changed)
    {
        m_settingsChanged = std::move(changed);
    }
    // How links are opened and how the colour is chosen; tests replace these.
    void setUrlOpener(UrlOpener opener) { m_openUrl = std::move(opener); }
    // An invitation link goes to the lobby; the link handed over is rebuilt
    // from what was read, never the text as it came.
    void setJoinLinkOpener(std::function<bool(const QString &link)> opener)
    {
        m_openJoinLink = std::move(opener);
    }
    void setColourPicker(ColourPicker picker) { m_pickColour = std::move(picker); }
    // Shown when a link cannot be opened; tests replace it.
    void setAlert(std::function<void(const QString &)> alert) { m_alert = std::move(alert); }

    void setMySeat(int seat) { m_myseat = seat; }
    int mySeat() const { return m_myseat; }
    void setLoggedIn(bool loggedIn) { m_loggedin = loggedIn; }
    bool loggedIn() const { return m_loggedin; }

    // The own text colour ($00BBGGRR); it colours the entry field.
    void setTextColour(quint32 colour);
    quint32 textColour() const { return m_textColour; }
    // Font size of styles 0..14; checks the matching Text Size item, if any.
    void setTextSize(int pointSize);
    int textSize() const;
    void setScrollChatOff(bool off);
    bool scrollChatOff() const { return m_scrollChatOff; }

    // Adds the Options items of the chat to `options` at its end: "Text Color",
    // "Text Size", "Scroll Chat Off" (Ctrl+S) and "Clear Main Chat".
    void addOptionsMenuItems(QMenu *options);
    // The pictures of the smiley codes, index 0..17.
    void setSmileyImages(const QList<QPixmap> &images);

    // One chat line "N+body" in a colour; N = 0 is a status line. A line
    // longer than kLongestLine characters shows its start and " …". The
    // author is who wrote it, as the owner names them (empty for nobody): the
    // view's menu offers the author item on the line.
    void addlinetochat(const QString &line, quint32 colour, const QString &author = {});
    // Hundreds of words; a host may relay lines of 128 KiB, which would take
    // the view long to lay out and fill it with one line.
    static constexpr qsizetype kLongestLine = 2000;
    static QString cutLongLine(const QString &line);
    // A relayed chat or action line: its number N and "body|colour text".
    void chatrecieved(int n, const QByteArray &line, const QString &author = {});
    void sendit();
    // An action line ("says: ..." or the text of "/me ...") in the own colour.
    void sendAction(const QString &actionText) { send(Line::Action, actionText); }
    // The terminated action message sendAction would hand to the send function.
    QByteArray actionMessage(const QString &actionText) const
    {
        return message(Line::Action, actionText);
    }
    void mainchatJump(int linkNumber);

    // Addresses of the links the view still shows, oldest first.
    QStringList linkTargets() const;

    // The item the view's menu offers for the author of the line under the
    // pointer: its text for that author, empty where none is offered.
    using AuthorItemText = std::function<QString(const QString &author)>;
    void setAuthorItemText(AuthorItemText text) { m_authorItemText = std::move(text); }
    QAction *authorItem() const { return m_authorItem; }
    // Fills the view's menu for a point of the view's viewport.
    void prepareMainchatMenu(const QPoint &viewportPos);

signals:
    // The author item was chosen for the line's author.
    void authorItemChosen(const QString &author);

public slots:
    void TextColor1Click();
    void N14Click(int size);
    void ScrollChatOff1Click();
    void ClearMainChat1Click();
    void button_smiliesClick();
    void MenuItem17Click(int code);
    void Paste1Click();

private:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void buildMenus();
    void appendWords(QString text, int style);
    void applyEntryColour();
    void checkSizeItem(int size);
    void notifySettingsChanged();
    enum class Line { Chat, Action };
    void send(Line kind, const QString &text);
    QByteArray message(Line kind, const QString &text) const;

    QFrame *m_frame = nullptr;
    ChatView *m_mainchat = nullptr;
    QLineEdit *m_mychat = nullptr;
    // The popup menus have no parent widget: the panel owns them.
    std::unique_ptr<QMenu> m_popupSmilies;
    std::unique_ptr<QMenu> m_popupMainchat;
    std::unique_ptr<QMenu> m_popupMychat;
    QToolButton *m_smileyButton = nullptr;
    QAction *m_textColorItem = nullptr;
    QMenu *m_textSizeMenu = nullptr;
    QList<QAction *> m_sizeItems;
    QAction *m_scrollChatOff1 = nullptr;
    QAction *m_scrollChatOff2 = nullptr;
    QAction *m_clearMainChat = nullptr;
    QAction *m_clearMainChat2 = nullptr;
    QAction *m_authorSeparator = nullptr;
    QAction *m_authorItem = nullptr;
    QString m_menuAuthor;
    AuthorItemText m_authorItemText;

    SendFunction m_send;
    std::function<void()> m_settingsChanged;
    UrlOpener m_openUrl;
    std::function<bool(const QString &link)> m_openJoinLink;
    ColourPicker m_pickColour;
    std::function<void(const QString &)> m_alert;

    int m_myseat = 0;
    bool m_loggedin = false;
    quint32 m_textColour = 0;
    bool m_scrollChatOff = false;
};
