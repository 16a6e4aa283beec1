#include "client/tchat.h"

#include "chat/chatpanel.h"
#include "client/accessiblenames.h"
#include "client/boardscaler.h"
#include "client/keyboardplay.h"
#include "client/phrasebuttons.h"
#include "client/reconnection.h"
#include "client/scorepanel.h"
#include "client/seatmenu.h"
#include "client/soundboard.h"
#include "client/tableview.h"
#include "client/tchatboard.h"
#include "client/tchatwidgets.h"
#include "platform/soundplayer.h"
#include "protocol/cards.h"
#include "protocol/tsock.h"
#include "resources/pictures.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScopedValueRollback>
#include <QTimer>

namespace {

constexpr int kBoardWidth = 768;
constexpr int kBoardHeight = 483;
// The room the window's first size (780 x 534, frame included) leaves the
// board when the window has no frame; with a frame it leaves less. Up to it the
// board keeps its first size, so that every control stands where it was laid out.
constexpr QSize kFirstRoom{776, 507};

QAction *addItem(QMenu *menu, const QString &name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

} // namespace

// Without the program around it, the window talks to its own sockets and
// opens its own boxes; there is no host to start.
class Tchat::OwnRequests : public TableRequests
{
public:
    explicit OwnRequests(Tchat &table) : m_table(table) {}

    void send(const QByteArray &message) override { m_table.m_sock->Send(message); }
    void connectTo(const QString &host) override
    {
        m_table.m_sock->setHostName(host);
        m_table.m_sock->Open();
    }
    void startHost(HostReach) override {}
    void openLobbyLink() override { m_table.m_sock11->Open(); }
    void messageBox(const QString &text) override
    {
        QMessageBox box(QMessageBox::Information, m_table.windowTitle(), text, QMessageBox::Ok,
                        &m_table);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    bool confirm(const QString &question) override
    {
        QMessageBox box(QMessageBox::Question, m_table.windowTitle(), question,
                        QMessageBox::Yes | QMessageBox::No, &m_table);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    }
    void popup(QMenu *menu, const QPoint &at) override { menu->popup(at); }

private:
    Tchat &m_table;
};

Tchat::Tchat(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("chat"));
    setWindowTitle(QStringLiteral("Spades "));

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    m_board = new QWidget(central);
    m_board->setObjectName(QStringLiteral("panel_board"));
    m_board->setGeometry(2, 2, kBoardWidth, kBoardHeight);
    central->setMinimumSize(kBoardWidth + 4, kBoardHeight + 5);
    setCentralWidget(central);

    m_soundBoard = new SoundBoard(this);
    m_soundBoard->setSendFunction([this](const QByteArray &message) { send(message); });
    m_soundBoard->setStatusLine([this](const QString &line) { addlinetochat(line); });
    m_soundBoard->setSeatName([this](int seat) -> std::optional<QString> {
        if (!cards::isSeat(seat))
            return std::nullopt;
        return nameOfSeat(seat);
    });
    m_soundBoard->setSettingsChanged([this] { emit settingsChanged(); });

    buildBoard();
    m_scaler = new BoardScaler(m_board, QSize(kBoardWidth, kBoardHeight), kFirstRoom);
    m_scaler->capture();
    m_scaler->forget(m_background);
    m_background->setFill(true);
    m_feltRoom = m_board->size();
    m_feltTimer = new QTimer(this);
    m_feltTimer->setObjectName(QStringLiteral("felt_timer"));
    m_feltTimer->setSingleShot(true);
    m_feltTimer->setInterval(150);
    connect(m_feltTimer, &QTimer::timeout, this, &Tchat::drawFelt);
    anchorChat();
    central->installEventFilter(this);
    buildMenus();
    const TableView view{this, m_board, &m_model, m_panelScores};
    // The veils first: the names and the keyboard focus read them.
    connect(this, &Tchat::tableChanged, this, &Tchat::refreshPlayable);
    connect(this, &Tchat::tableChanged, new AccessibleNames(view), &AccessibleNames::refresh);
    m_keyboard = std::make_unique<KeyboardPlay>(view, m_popupKick);
    connect(this, &Tchat::tableChanged, m_keyboard.get(), &KeyboardPlay::tableChanged);
    connect(m_keyboard.get(), &KeyboardPlay::cardChosen, this,
            [this](int position) { cardimagesMouseDown(cardAt(position), Qt::LeftButton); });
    connect(m_keyboard.get(), &KeyboardPlay::hintWanted, this, [this] {
        if (m_hint->isEnabled())
            Hint1Click();
    });
    connect(this, &Tchat::tableChanged, this, &Tchat::hintTableChanged);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(1);
    connect(m_timer1, &QTimer::timeout, this, [this] { processsocktimer(); });

    m_sock = new TSock(this);
    m_sock->setObjectName(QStringLiteral("sock"));
    m_sock->setPortName(QStringLiteral("7772"));
    m_sock->OnRead = [this](TSock *sender, int) { sockRead(sender->Receive()); };
    m_sock->OnInfo = [this](TSock *, TSocketInfo kind, const QByteArray &text) {
        if (kind == siError)
            sockError();
        sockInfo(text);
    };
    m_sock->OnConnect = [this](TSock *) { sockConnected(); };
    m_reconnection = new Reconnection(this);
    connect(m_reconnection, &Reconnection::attemptWanted, this, &Tchat::reconnectAttempt);
    connect(m_reconnection, &Reconnection::gaveUp, this, &Tchat::giveUpReconnecting);
    connect(m_buttonCancelReconnect, &QAbstractButton::clicked, this, &Tchat::cancelReconnectClick);
    // A host name that turns out unknown is told as when the connect was made.
    m_sock->OnFailure = [this](TSock *, const QByteArray &text) {
        showMessage(QString::fromLatin1(text));
    };
    m_sock11 = new TSock(this);
    m_sock11->setObjectName(QStringLiteral("Sock11"));
    m_sock11->setHostName(QStringLiteral("127.0.0.1"));
    m_sock11->setPortName(QStringLiteral("9001"));
    // The lobby that started this game gave it a token to show first, so that
    // the lobby believes only its own game (lobby/lobbylink.h).
    m_sock11->OnConnect = [](TSock *sock) {
        const QByteArray token = qgetenv("SPADES_LOBBY_TOKEN");
        if (!token.isEmpty() && token.size() <= 64)
            sock->Send("hello " + token + '\n');
    };
    m_ownRequests = std::make_unique<OwnRequests>(*this);
    m_requests = m_ownRequests.get();

    m_buttonStart->hide();
    m_startGame->setEnabled(false);
    m_logintext.clear();
    clearall();
}

// The keyboard, declared last, goes first: it filters the board's events and
// must not see the board take itself apart under a half-destroyed window.
Tchat::~Tchat() = default;

void Tchat::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    m_startGame = addItem(file, QStringLiteral("StartGame1"), QStringLiteral("Start Game"));
    connect(m_startGame, &QAction::triggered, this, &Tchat::button_startClick);
    m_hint = addItem(file, QStringLiteral("Hint1"), QStringLiteral("Hint"));
    m_hint->setEnabled(false);
    connect(m_hint, &QAction::triggered, this, &Tchat::Hint1Click);
    connect(addItem(file, QStringLiteral("Exit1"), QStringLiteral("Exit")), &QAction::triggered,
            this, &QWidget::close);

    m_optionsMenu = menuBar()->addMenu(QStringLiteral("&Options"));
    m_optionsMenu->setObjectName(QStringLiteral("Options1"));
    QMenu *options = m_optionsMenu;
    // "Play Sounds", "Play Chatter Sounds" and "Turn Sound".
    m_soundBoard->addOptionsMenuItems(options);

    QMenu *botSpeed = options->addMenu(QStringLiteral("Bot Speed"));
    botSpeed->setObjectName(QStringLiteral("BotSpeed1"));
    auto *speedGroup = new QActionGroup(this);
    const std::pair<const char *, int> speeds[] = {{"Slow", 1000}, {"Normal", 500}, {"Fast", 200}};
    for (std::size_t i = 0; i < std::size(speeds); ++i) {
        const auto &[caption, delay] = speeds[i];
        QAction *item = addItem(botSpeed, QString::fromLatin1(caption) + QLatin1Char('1'),
                                QString::fromLatin1(caption));
        item->setCheckable(true);
        speedGroup->addAction(item);
        m_botSpeedItems[i] = {delay, item};
        // A copy: clang 14 cannot capture a structured binding.
        const int ms = delay;
        connect(item, &QAction::triggered, this, [this, ms] { setBotSpeed(ms, true); });
    }
    setBotSpeed(500, false);
    buildComputersMenu(options);
    // "Text Color", "Text Size", "Scroll Chat Off" and "Clear Main Chat".
    m_chat->addOptionsMenuItems(options);

    connect(addItem(options, QStringLiteral("ResetScreenLocation1"),
                    QStringLiteral("Reset Screen Location")),
            &QAction::triggered, this, [this] {
                placeWindow(QRect(3, 3, 780, 534));
                emit placeReset();
            });
    m_justWatch = addItem(options, QStringLiteral("JustWatch1"), QStringLiteral("Just Watch"));
    m_justWatch->setCheckable(true);
    // The check mark follows the host's announcement only.
    connect(m_justWatch, &QAction::triggered, this, [this](bool) {
        m_justWatch->setChecked(m_model.watching());
        JustWatch1Click();
    });
    // Last, so that they take no letter the items above were known by.
    addPlayableItem(options);
    addReachItems(file, options);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("View1"));
    const std::pair<const char *, const char *> windows[] = {
        {"ViewTally1", "View Tally"}, {"SpyList1", "Spy List"}, {"ScoreSheet1", "Score Sheet"}};
    for (const auto &[name, caption] : windows) {
        const QString item = QString::fromLatin1(name);
        connect(addItem(view, item, QString::fromLatin1(caption)), &QAction::triggered, this,
                [this, item] { emit windowWanted(item); });
    }
    connect(addItem(view, QStringLiteral("LastTrick1"), QStringLiteral("Last Trick")),
            &QAction::triggered, this, &Tchat::button_lastClick);
    connect(addItem(view, QStringLiteral("PhraseList1"), QStringLiteral("Phrase List")),
            &QAction::triggered, this,
            [this] { emit windowWanted(QStringLiteral("PhraseList1")); });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    for (const char *name : {"Content", "About"}) {
        const QString item = QString::fromLatin1(name) + QLatin1Char('1');
        connect(addItem(help, item, QString::fromLatin1(name)), &QAction::triggered, this,
                [this, item] { emit windowWanted(item); });
    }
    QAction *debug = addItem(help, QStringLiteral("Debug1"), QStringLiteral("Debug"));
    debug->setCheckable(true);
    debug->setVisible(false);
}

void Tchat::processparams(const QStringList &args)
{
    if (args.isEmpty()) {
        addlinetochat(QStringLiteral("0+Loading Solo Game..Please wait."));
        emit downloadWanted();
        m_playername = QStringLiteral("You");
        m_hostaddress = QStringLiteral("127.0.0.1");
        // Nobody else is asked to a solo game, so nobody else may come in.
        hostpress(HostReach::ThisComputer);
        return;
    }
    addlinetochat(QStringLiteral("0+Loading Multi-player Game.. Please Wait."));
    if (args.size() < 3)
        return;
    m_playername = args.at(0);
    m_hostaddress = args.at(1);
    if (args.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    try {
        m_requests->openLobbyLink();
    } catch (const ESockException &) {
        // Nobody listens for the lobby: nothing depends on that link.
    }
}

void Tchat::openConnection(const QString &host)
{
    m_mutes.clear(); // a new table; a reconnect to this one does not come here
    try {
        m_requests->connectTo(host);
    } catch (const ESockException &e) {
        showMessage(QString::fromLatin1(e.what()));
    }
}

void Tchat::hostpress(HostReach reach)
{
    m_requests->startHost(reach);
    m_logintext = m_playername.toLatin1();
    m_model.setHost();
    m_computersMenu->menuAction()->setVisible(true);
    openConnection(QStringLiteral("127.0.0.1"));
    offerHostControls();
}

void Tchat::offerHostControls()
{
    m_buttonStart->show();
    m_startGame->setEnabled(true);
    emit hosting();
}

void Tchat::joinpress()
{
    m_logintext = m_playername.toLatin1();
    openConnection(m_hostaddress);
    m_buttonStart->hide();
    m_startGame->setEnabled(false);
}

void Tchat::setHostPort(int port)
{
    m_sock->setPortName(QString::number(port));
}

bool Tchat::send(const QByteArray &message)
{
    // Nothing the player does goes to a host the table is not logged in at.
    if (m_connectionGone || (m_reconnection && m_reconnection->active() && !m_loggingIn))
        return false;
    try {
        m_requests->send(message);
    } catch (const ESockException &e) {
        showMessage(QString::fromLatin1(e.what()));
        return false;
    }
    return true;
}

void Tchat::addlinetochat(const QString &line, quint32 colour)
{
    constexpr int kKeptLines = 500;
    m_chatLines.append(ChatPanel::cutLongLine(line));
    if (m_chatLines.size() > kKeptLines)
        m_chatLines.removeFirst();
    m_chat->addlinetochat(line, colour);
}

void Tchat::playsounds(const QString &name)
{
    m_soundBoard->playsounds(name);
}

void Tchat::setSoundPlayer(SoundPlayer *player)
{
    m_soundBoard->setPlayer(player);
}

bool Tchat::sendAction(const QString &actionText)
{
    // Sent here rather than by the chat pane so the phrase buttons learn
    // whether anything went out and stay ready when it did not.
    return send(m_chat->actionMessage(actionText));
}

bool Tchat::timerRunning() const
{
    return m_timer1->isActive();
}

void Tchat::startTimer1()
{
    if (!m_ending && !m_timer1->isActive())
        m_timer1->start();
}

// One box at a time: a box's own event loop must not open another.
void Tchat::showMessage(const QString &text)
{
    if (m_boxOpen)
        return;
    const QScopedValueRollback<bool> open(m_boxOpen, true);
    m_requests->messageBox(text);
}

void Tchat::setRequests(TableRequests *requests)
{
    m_requests = requests ? requests : m_ownRequests.get();
}

TableRequests &Tchat::ownRequests()
{
    return *m_ownRequests;
}

void Tchat::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    m_timer1->stop();
    m_receivedlist.clear();
    close();
    emit programEnds();
}

void Tchat::placeWindow(const QRect &outer)
{
    // The stored size is the whole window, frame included.
    const QSize frame = frameGeometry().size() - geometry().size();
    move(outer.topLeft());
    resize(outer.size() - frame);
}

bool Tchat::othersAgree(const QString &question)
{
    // Only the host's own window ends the game for everybody.
    if (!m_model.ishost() || !m_model.gameRunning() || !m_model.othersSeated())
        return true;
    return m_requests->confirm(question);
}

void Tchat::anchorChat()
{
    // The chat keeps the text size its reader chose; it takes the room the
    // board leaves, growing right and down, its entry line along the bottom.
    using Anchors = BoardScaler::Anchors;
    const std::pair<const char *, Anchors> kChat[] = {
        {"panel_chat", {false, false, true, true}},
        {"mainchat", {false, false, true, true}},
        {"mychat", {false, true, true, true}},
        {"button_smilies", {true, true, true, true}},
    };
    for (const auto &[name, anchors] : kChat)
        if (auto *control = m_board->findChild<QWidget *>(QLatin1String(name)))
            m_scaler->anchor(control, anchors, true);
}

void Tchat::fitBoard()
{
    // Two pixels round the board, three below, as at the first size.
    const QSize room =
        (centralWidget()->size() - QSize(4, 5)).expandedTo(QSize(kBoardWidth, kBoardHeight));
    m_board->setGeometry(QRect(QPoint(2, 2), room));
    m_scaler->fit(room);
    m_background->setGeometry(m_board->rect());
    if (room != m_feltRoom)
        m_feltTimer->start();
    if (m_keyboard)
        m_keyboard->boardResized();
}

void Tchat::drawFelt()
{
    // Drawn in the board's own units at the board's scale, so that its
    // lines keep their weight and its ring lies round the trick.
    const qreal scale = m_scaler->scale();
    m_feltRoom = m_board->size();
    const QSize size(qRound(m_feltRoom.width() / scale), qRound(m_feltRoom.height() / scale));
    m_background->setPicture([size, scale](qreal ratio) {
        return pictures::boardBackground(size, ratio * scale, QSize(kBoardWidth, kBoardHeight));
    });
}

bool Tchat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize && m_scaler)
        fitBoard();
    return QMainWindow::eventFilter(watched, event);
}

void Tchat::closeEvent(QCloseEvent *event)
{
    if (!othersAgree(QStringLiteral("Other players are in the game at your table. "
                                    "Quit and end it for everybody?"))) {
        event->ignore();
        return;
    }
    m_timer1->stop();
    emit closing();
    event->accept();
}

int Tchat::botSpeed() const
{
    return m_model.botSpeed();
}

void Tchat::setBotSpeed(int milliseconds, bool announce)
{
    QAction *chosen = nullptr;
    for (const auto &[delay, item] : m_botSpeedItems)
        if (delay == milliseconds)
            chosen = item;
    if (!chosen || !m_model.setBotSpeed(milliseconds))
        return;
    chosen->setChecked(true);
    if (!announce)
        return;
    if (const auto message = m_model.botSpeedMessage())
        send(*message);
    emit settingsChanged();
}

void Tchat::buildComputersMenu(QMenu *options)
{
    m_computersMenu = options->addMenu(QStringLiteral("Computer Players"));
    m_computersMenu->setObjectName(QStringLiteral("ComputerPlayers1"));
    auto *group = new QActionGroup(this);
    const std::pair<const char *, ComputerKind> kinds[] = {{"Classic", ComputerKind::Classic},
                                                           {"Expert", ComputerKind::Expert}};
    for (std::size_t i = 0; i < std::size(kinds); ++i) {
        const auto &[caption, kind] = kinds[i];
        QAction *item =
            addItem(m_computersMenu, QString::fromLatin1(caption) + QStringLiteral("Computers1"),
                    QString::fromLatin1(caption));
        item->setCheckable(true);
        group->addAction(item);
        m_computerItems[i] = {kind, item};
        const ComputerKind chosen = kind;
        connect(item, &QAction::triggered, this, [this, chosen] { setComputers(chosen, true); });
    }
    m_computerItems[0].second->setChecked(true);
    // No message carries the choice: only a host in this process can take it.
    m_computersMenu->menuAction()->setVisible(false);
}

void Tchat::setComputers(ComputerKind kind, bool announce)
{
    m_model.setComputers(kind);
    for (const auto &[itemKind, item] : m_computerItems)
        item->setChecked(itemKind == kind);
    emit computersChosen(kind);
    if (announce)
        emit settingsChanged();
}

bool Tchat::newTurnSound() const
{
    return m_soundBoard->turnSoundChoice() == 1;
}

void Tchat::setNewTurnSound(bool useNew)
{
    m_soundBoard->setTurnSoundChoice(useNew ? 1 : 0);
}

bool Tchat::playSounds() const
{
    return m_soundBoard->playSounds();
}

void Tchat::setPlaySounds(bool on)
{
    m_soundBoard->setPlaySounds(on);
}

bool Tchat::playChatterSounds() const
{
    return m_soundBoard->playChatterSounds();
}

void Tchat::setPlayChatterSounds(bool on)
{
    m_soundBoard->setPlayChatterSounds(on);
}

bool Tchat::justWatching() const
{
    return m_model.watching();
}

void Tchat::playTurnSound()
{
    playsounds(m_soundBoard->turnSound());
}

void Tchat::setStatus(const QString &text)
{
    setStatus(QString(), text);
}

void Tchat::setStatus(const QString &name, const QString &after)
{
    m_labelStatus->setName(name, after);
    emit tableChanged();
}

QString Tchat::status() const
{
    return m_labelStatus->wholeText();
}

void Tchat::button_startClick()
{
    if (!m_model.loggedin()) {
        showMessage(QStringLiteral("You are not connected"));
        return;
    }
    if (!othersAgree(QStringLiteral("Other players are in the game at your table. "
                                    "Start a new game instead?")))
        return;
    emit gameStartWanted();
}
