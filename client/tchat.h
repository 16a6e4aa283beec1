#pragma once

#include "client/chatmutes.h"
#include "client/scoresheet.h"
#include "client/tablemodel.h"
#include "client/tablerequests.h"
#include "protocol/receivequeue.h"
#include "protocol/wirecodec.h"

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class BoardButton;
class BoardScaler;
class ChatPanel;
class PhraseButtons;
class Reconnection;
class SeatMenu;
class SoundBoard;
class BoardLabel;
class BoardPicture;
class CardPicture;
class KeyboardPlay;
class NameLabel;
class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QWidget;
class ScorePanel;
class SoundPlayer;
class TSock;

// The table client: the board with the four seats, the own hand, bids and
// scores, and the chat pane. Everything the host sends enters through
// processsocktimer; everything the client sends leaves through send(). What it
// asks of the program goes through TableRequests; what it tells the program
// are its signals.
class Tchat : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kSeatCount = 4;
    static constexpr quint32 kStatusColour = 0xFF0000; // pure blue, $00BBGGRR

    explicit Tchat(QWidget *parent = nullptr);
    ~Tchat() override;

    // Where the table's requests go; null puts back the window's own.
    void setRequests(TableRequests *requests);
    // The window's own: its sockets, its boxes, no host.
    TableRequests &ownRequests();
    // The port of the game host; 7772 unless a test host listens elsewhere.
    void setHostPort(int port);
    TSock *sock() const { return m_sock; }

    // Start-up modes, called when the window is first shown.
    void processparams(const QStringList &args);
    void hostpress(HostReach reach = HostReach::Everyone);
    void joinpress();
    // The controls only the table's runner uses: Start, File > "Start Game"
    // and removal of watchers.
    void offerHostControls();

    // The socket's events.
    void sockRead(const QByteArray &bytes);
    void sockInfo(const QByteArray &text);
    // The connection failed with an error (unreachable, reset, unanswered),
    // not closed in order by the host.
    void sockError();
    // The connection to the host is up (again).
    void sockConnected();
    // Queues one message as the socket would (terminator already removed).
    void queueMessage(const QByteArray &message);
    // One tick of Timer1: at most one message is handled. A tick that comes
    // while a handler still runs (a message box's own event loop) waits for
    // it, so messages keep their order and no handler runs inside another.
    void processsocktimer();
    bool timerRunning() const;
    int queuedMessages() const { return int(m_receivedlist.size()); }
    const ReceiveQueue &receiveQueue() const { return m_receivedlist; }

    // The one way out to the host; false when the message did not go out
    // (no connection: the socket's complaint is shown instead).
    bool send(const QByteArray &message);
    // The one way into the chat view.
    void addlinetochat(const QString &line, quint32 colour = kStatusColour);
    // The one way to play a sound; silent while Options > "Play Sounds" is off.
    void playsounds(const QString &name);

    // Where the sounds go; tests record them.
    void setSoundPlayer(SoundPlayer *player);

    // Client state.
    const TableModel &model() const { return m_model; }
    int myseat() const { return m_model.myseat(); }
    bool loggedin() const { return m_model.loggedin(); }
    bool ishost() const { return m_model.ishost(); }
    bool hostRights() const { return m_model.hostRights(); }
    QString playername() const { return m_playername; }
    QString hostaddress() const { return m_hostaddress; }
    int turnseat() const { return m_model.turnseat(); }
    int seatcount() const { return kSeatCount; }
    bool alreadybid() const { return m_model.alreadybid(); }
    // The computer name a seat shows when nobody plays it.
    QString seatname(int seat) const { return TableModel::defaultName(seat); }
    // The most recent chat lines, as given to addlinetochat.
    const QStringList &chatLines() const { return m_chatLines; }
    // The names muted in this window's chat (tchatmutes.cpp): the menu item
    // for connection n shown under name (empty where none is offered), and
    // the choice of it. A chat line offers the item for the name it was
    // shown under, whatever that connection is called since.
    const ChatMutes &mutes() const { return m_mutes; }
    QString muteItemText(int n, const QString &name) const;
    void toggleMute(const QString &name);

    // Options the other windows read or set.
    int botSpeed() const;
    void setBotSpeed(int milliseconds, bool announce);
    bool newTurnSound() const;
    void setNewTurnSound(bool useNew);
    bool playSounds() const;
    void setPlaySounds(bool on);
    bool playChatterSounds() const;
    void setPlayChatterSounds(bool on);
    bool justWatching() const;
    QString status() const;
    // The computer players of the host this window runs; the menu offers the
    // choice only to the table that runs the host.
    ComputerKind computers() const { return m_model.computers(); }
    void setComputers(ComputerKind kind, bool announce);
    // Options > "Show Playable Cards": at the own turn the cards the rules do
    // not allow lie under a veil.
    bool showPlayable() const { return m_showPlayable; }
    void setShowPlayable(bool on, bool announce);
    // Options > "Ask the Router to Open the Port", for the tables this window hosts.
    bool portMapping() const { return m_portMapping; }
    void setPortMapping(bool on, bool announce);
    // Options > "List This Table in Open Tables": offered only to a table this
    // window hosts with a coordinator; checked while the table is listed (or,
    // where not offered, when the player wants tables listed).
    void setListPublicly(bool on);
    void offerListPublicly(bool offered);
    // How friends reach the hosted table, said in the chat and passed on to the
    // lobby; File > "Copy Invitation" puts `invitation` on the clipboard.
    void showReach(const QString &text, const QString &invitation);
    QString invitation() const { return m_invitation; }

    // The parts of the table that other windows work with.
    ChatPanel *chatPanel() const { return m_chat; }
    SoundBoard *soundBoard() const { return m_soundBoard; }
    PhraseButtons *phraseButtons() const { return m_phrases; }
    SeatMenu *seatMenu() const { return m_popupKick; }
    QWidget *boardPanel() const { return m_board; }
    // Where the board's controls go at the window's present size.
    const BoardScaler &boardScaler() const { return *m_scaler; }
    QMenu *optionsMenu() const { return m_optionsMenu; }
    ScorePanel *scorePanel() const { return m_panelScores; }

    // The board, rotated: the seat's control of each family.
    BoardLabel *playernameLabel(int seat) const;
    QLabel *bidLabel(int seat) const;
    QLabel *tricksLabel(int seat) const;
    BoardPicture *playedPicture(int seat) const;
    BoardPicture *cardsPicture(int seat) const;
    CardPicture *cardAt(int position) const;
    // Hand positions in slot order (left to right), free slots as -1.
    std::array<int, 14> handSlots() const { return m_model.handSlots(); }

    // Handlers, by message.
    void sendloginfo(const wire::toClient::SendLoginInfo &m);
    void newplayerinfo(int n, const QByteArray &name);
    void playerdisconnected(const wire::toClient::PlayerDisconnected &m);
    void chatrecieved(int n, const QByteArray &line);
    void startthegame(const wire::StartGame &m);
    void startround(const wire::toClient::StartRound &m);
    void getnextplayer(const wire::toClient::NextPlayer &m);
    void justwatching(const wire::toClient::JustWatching &m);
    void mycards(const wire::toClient::MyCards &m);
    void getbid(const wire::toClient::GetBid &m);
    void hebid(const wire::toClient::HeBid &m);
    void finalbid(const wire::toClient::FinalBid &m);
    void error(const wire::toClient::Error &m);
    void heplayed(const wire::toClient::HePlayed &m);
    void usecard(const wire::toClient::UseCard &m);
    void tooktrick(const wire::toClient::TookTrick &m);
    void postscores(const wire::toClient::PostScores &m);
    void winner(const wire::toClient::Winner &m);
    void gamestats(const wire::toClient::GameStats &m);
    void loadcards(const wire::toClient::LoadCards &m);
    void playasound(const wire::toClient::PlayASound &m);
    void havewrongversion(const wire::toClient::HaveWrongVersion &m);
    void wrongversion();
    void full();
    void seatticket(const wire::toClient::SeatTicket &m);

    // The way back after a lost connection (tchatreconnect.cpp). A joined
    // table that holds its seat's ticket tries to get back into its seat
    // when the connection fails without the host closing it.
    static QString reconnectingText();
    static QString connectionLostText();
    bool reconnecting() const;
    const Reconnection &reconnection() const { return *m_reconnection; }
    void cancelReconnectClick();
    // The board.
    void movestuff(int from, int to);
    void sortstuff(int seat);
    void clearall();
    void flipcards();
    void createcard(int position, int card);
    void sortthem();
    void movecards(int position);
    void cardimagesMouseDown(CardPicture *card, Qt::MouseButton button);
    void kicking(int seat);
    // labelTag: 0 for the bottom name label, else its position (2 to 4); the
    // menu acts on it as the seat number, which it is for the unrotated host.
    void openSeatMenu(int labelTag, BoardLabel *label, const QPoint &globalPos);

    // Player actions.
    void button_startClick();
    void button_bidClick();
    void button_nilClick();
    void button_blindClick();
    void button_dobidClick();
    void button_closeClick();
    void button_lastClick();
    void JustWatch1Click();
    // File > "Hint": marks the card or names the bid the expert player would
    // choose in the own seat; nothing is sent.
    void Hint1Click();

signals:
    // The program should end (host full, connection lost).
    void programEnds();
    // The solo start: the lobby download window should show.
    void downloadWanted();
    // The host confirmed the own connection number.
    void loginConfirmed(int seat);
    // The own player is at the table: time to read the settings file.
    void connected();
    // A preference kept in the settings file changed.
    void settingsChanged();
    // This process runs the table (the side windows offer removal of watchers).
    void hosting();
    // A game this seat played ended: "addtomine" or the winning team's name.
    void gameRecorded(const QString &word);
    // The watchers list: a line "n: name" comes or goes.
    void spyJoined(const QString &line);
    void spyLeft(const QString &line);
    // The last-trick window: a game starts, a card is laid, a trick is taken.
    void gameStarted();
    void cardLaid(int seat);
    void trickTaken(int winner);
    // The player asked for another window: the game options, the last trick,
    // or one by its menu item's name ("SpyList1", "ViewTally1", "PhraseList1",
    // "Content1", "About1"); or for the maker's web page (the logo).
    void gameStartWanted();
    void lastTrickWanted();
    void windowWanted(const QString &item);
    void homePageWanted();
    // Options > "Reset Screen Location": the last-trick window goes back too.
    void placeReset();
    // The window is closing (the program ends after it).
    void closing();
    // The hosting player chose the computer players (also when the settings
    // file is read): the host in this process takes them.
    void computersChosen(ComputerKind kind);
    // The player turned Options > "List This Table in Open Tables" on or off.
    void listPubliclyChosen(bool on);
    // A host message was handled or the status line changed: what the board
    // shows may be different.
    void tableChanged();
    // A new game started or a hand was scored: the score sheet changed.
    void scoreSheetChanged(const ScoreSheet &sheet);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool othersAgree(const QString &question);
    // Whether connection n, shown under name, is a person the player may mute.
    bool offersMute(int n, const QString &name) const;
    struct SeatFamilies;

    void buildMenus();
    void buildBoard();
    void buildSeatControls();
    void buildTableControls();
    void buildBidControls();
    void buildScorePanel();
    void buildChat();
    void anchorChat();
    // Fits the board to the window's room, the chat taking what is left.
    void fitBoard();
    void drawFelt();
    void dispatch(const wire::ToClient &message);
    void startTimer1();
    void openConnection(const QString &host);
    void placeWindow(const QRect &outer);
    void endProgram();
    bool mayReconnect() const;
    void connectionLost();
    void reconnectAttempt();
    void backInSeat();
    void giveUpReconnecting();
    void closeQuietly();
    void showMessage(const QString &text);
    void setStatus(const QString &text);
    // A status line about a player: the name is what gets cut where it is long.
    void setStatus(const QString &name, const QString &after);
    void playTurnSound();
    bool sendAction(const QString &actionText);
    void hideBidControls();
    void showNumberBid(bool visible);
    void raiseBidControls();
    void clearTeamScores();
    void destroyCards();
    // Puts the hand's pictures where the model has the cards, from a slot on.
    void layOutHand(int fromSlot);
    // Draws what the model holds of the seats, the teams and the round.
    void drawBoard();
    void drawRules();
    QString nameOfSeat(int seat) const;
    void buildComputersMenu(QMenu *options);
    void clearHint();
    void hintTableChanged();
    void addPlayableItem(QMenu *options);
    void addReachItems(QMenu *file, QMenu *options);
    void refreshPlayable();

    class OwnRequests;
    std::unique_ptr<OwnRequests> m_ownRequests;
    TableRequests *m_requests = nullptr;
    TSock *m_sock = nullptr;
    TSock *m_sock11 = nullptr;

    // Client state.
    TableModel m_model;
    ScoreSheet m_scoreSheet;
    QString m_playername;
    QString m_hostaddress;
    QByteArray m_logintext;
    bool m_rotated = false;
    // The pictures of the own hand, by hand position.
    std::array<std::unique_ptr<CardPicture>, 14> m_cards;
    // The card each seat's table picture shows, so it is drawn only anew.
    std::array<int, 5> m_shownPlayed{};

    // The seat's ticket from the host, for getting back after a lost
    // connection; never shown or sent anywhere but to that host.
    QByteArray m_ticket;
    int m_ticketSeat = 0;
    Reconnection *m_reconnection = nullptr;
    bool m_lostWithError = false; // the socket reported an error before it closed
    bool m_rejoinPending = false; // the next CMD_sendlogininfo is answered with the ticket
    bool m_closingQuietly = false;
    bool m_loggingIn = false;      // the login (or the ticket) goes out even while reconnecting
    bool m_connectionGone = false; // lost for good: nothing more is sent
    QString m_statusBeforeLoss;
    BoardButton *m_buttonCancelReconnect = nullptr;

    // Receiving.
    ReceiveQueue m_receivedlist{limits::kClient};
    QTimer *m_timer1 = nullptr;
    bool m_dispatching = false;
    bool m_ending = false;
    bool m_boxOpen = false;
    bool m_toldHandFull = false;

    QStringList m_chatLines;
    ChatMutes m_mutes;

    // Widgets.
    QWidget *m_board = nullptr;
    BoardPicture *m_background = nullptr;
    // The felt is drawn anew once the window keeps its size a moment.
    QTimer *m_feltTimer = nullptr;
    QSize m_feltRoom;
    BoardScaler *m_scaler = nullptr;
    std::unique_ptr<SeatFamilies> m_seats;
    ScorePanel *m_panelScores = nullptr;
    QLabel *m_labelRound = nullptr;
    QLabel *m_labelTotalbids = nullptr;
    QLabel *m_labelTurn = nullptr;
    NameLabel *m_labelStatus = nullptr;
    QLabel *m_labelPlaytoscore = nullptr;
    QLabel *m_labelBaggin = nullptr;
    QLabel *m_labelBlind = nullptr;
    std::array<QLabel *, 3> m_labelTeam{};
    std::array<QLabel *, 3> m_labelBags{};
    std::array<QLabel *, 3> m_labelBids{};
    BoardButton *m_buttonStart = nullptr;
    BoardButton *m_buttonLast = nullptr;
    BoardPicture *m_logo = nullptr;
    BoardPicture *m_flippedcards = nullptr;
    QLabel *m_labelYourBid = nullptr;
    QLineEdit *m_editBid = nullptr;
    QWidget *m_updownBid = nullptr;
    BoardButton *m_buttonBid = nullptr;
    BoardButton *m_buttonNil = nullptr;
    BoardButton *m_buttonDobid = nullptr;
    BoardButton *m_buttonBlind = nullptr;

    // Menus.
    QMenu *m_optionsMenu = nullptr;
    QAction *m_startGame = nullptr;
    std::array<std::pair<int, QAction *>, 3> m_botSpeedItems{};
    QMenu *m_computersMenu = nullptr;
    std::array<std::pair<ComputerKind, QAction *>, 2> m_computerItems{};
    QAction *m_hint = nullptr;
    QPointer<QWidget> m_hintMark; // on the suggested card while it is the own turn
    QAction *m_showPlayableItem = nullptr;
    bool m_showPlayable = false;
    QAction *m_justWatch = nullptr;
    QAction *m_portMappingItem = nullptr;
    QAction *m_listPubliclyItem = nullptr;
    QAction *m_copyInvitation = nullptr;
    bool m_portMapping = true;
    QString m_invitation;
    SeatMenu *m_popupKick = nullptr;
    ChatPanel *m_chat = nullptr;
    SoundBoard *m_soundBoard = nullptr;
    PhraseButtons *m_phrases = nullptr;

    // Last, so it goes first: it watches the board's widgets.
    std::unique_ptr<KeyboardPlay> m_keyboard;
};
