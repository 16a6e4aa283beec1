// Building the board panel: the seats, the shared table controls, the team
// board and the bid controls, at their places on the 768 x 483 panel.
#include "client/tchatboard.h"

#include "chat/chatpanel.h"
#include "client/phrasebuttons.h"
#include "client/seatmenu.h"
#include "client/soundboard.h"
#include "client/tchatwidgets.h"
#include "client/watchrequests.h"
#include "resources/pictures.h"

#include <QFrame>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolButton>

namespace {

struct SeatPlaces
{
    const char *family;
    QSize size; // empty: the label sizes itself
    QPoint at[4];
};

// Positions 1 bottom, 2 left, 3 top, 4 right.
const SeatPlaces kSeatPlaces[] = {
    {"label_playername", {90, 22}, {{72, 311}, {28, 131}, {153, 5}, {376, 77}}},
    {"label_tricklabel", {42, 16}, {{97, 334}, {36, 154}, {160, 29}, {383, 98}}},
    {"label_tricks", {26, 16}, {{139, 334}, {78, 154}, {202, 29}, {425, 98}}},
    {"label_bidlabel", {27, 16}, {{112, 350}, {51, 170}, {175, 45}, {398, 114}}},
    {"label_bid", {26, 16}, {{139, 350}, {78, 170}, {202, 45}, {425, 114}}},
    {"image_cards", {71, 96}, {{168, 333}, {37, 189}, {227, 29}, {385, 133}}},
    {"image_played", {71, 96}, {{219, 187}, {179, 171}, {203, 146}, {243, 163}}},
    {"image_turn", {26, 34}, {{52, 312}, {7, 132}, {128, 4}, {356, 78}}},
    // Left of "Bid:", below "Tricks:", clear of the turn arrow and the Nil pictures.
    {"image_eyes", {17, 12}, {{94, 352}, {33, 172}, {157, 47}, {380, 116}}},
    {"image_nil", {25, 57}, {{88, 369}, {117, 149}, {150, 61}, {356, 145}}},
    {"image_blind", {16, 57}, {{75, 368}, {106, 148}, {138, 61}, {345, 144}}},
    {"image_winner", {92, 90}, {{160, 333}, {29, 189}, {227, 15}, {384, 133}}},
    {"image_trickwinner", {32, 41}, {{122, 369}, {109, 197}, {182, 61}, {352, 197}}},
};

const SeatPlaces &placesOf(const char *family)
{
    for (const SeatPlaces &places : kSeatPlaces)
        if (qstrcmp(places.family, family) == 0)
            return places;
    Q_UNREACHABLE();
}

QString numbered(const char *family, int n)
{
    return QString::fromLatin1(family) + QString::number(n);
}

const char *kLightText = "color: #fffbe6;";

// The game's name beside a spade, top left: the maker's page opens on a click.
QPixmap boardLogo(qreal ratio)
{
    QPixmap logo(QSize(120, 36) * ratio);
    logo.setDevicePixelRatio(ratio);
    logo.fill(Qt::transparent);
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(0, 2, 32, 32, pictures::spadeIcon(int(32 * ratio)));
    painter.setFont(QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold));
    painter.setPen(QColor(0xff, 0xfb, 0xe6));
    painter.drawText(QRect(36, 0, 84, 36), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Spades"));
    return logo;
}

QLabel *tableLabel(const QString &name, const QString &text, const QRect &geometry, QWidget *parent)
{
    auto *label = new QLabel(parent);
    // What the board's labels show comes largely from the host.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setStyleSheet(QString::fromLatin1(kLightText));
    return label;
}

} // namespace

void Tchat::buildBoard()
{
    m_background = new BoardPicture(QStringLiteral("LbBackground1"), m_board->rect(), m_board);
    m_background->setPicture([size = m_board->size()](qreal ratio) {
        return pictures::boardBackground(size, ratio, size);
    });

    m_logo = new BoardPicture(QStringLiteral("image_logo"), QRect(5, 5, 120, 36), m_board);
    m_logo->setCursor(Qt::PointingHandCursor);
    m_logo->setToolTip(QStringLiteral("Velnor Software"));
    m_logo->setPicture(boardLogo);
    connect(m_logo, &BoardPicture::pressed, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            emit homePageWanted();
    });

    buildTableControls();
    buildSeatControls();
    buildBidControls();
    buildScorePanel();
    buildChat();
}

void Tchat::buildChat()
{
    m_chat = new ChatPanel(m_board);
    m_chat->setSendFunction([this](const QByteArray &message) { send(message); });
    m_chat->setSettingsChanged([this] { emit settingsChanged(); });
    m_chat->setAuthorItemText([this](const QString &name) { return m_mutes.itemText(name); });
    connect(m_chat, &ChatPanel::authorItemChosen, this, &Tchat::toggleMute);

    m_phrases = new PhraseButtons(m_board);
    m_phrases->setSendAction([this](const QString &actionText) { return sendAction(actionText); });
    auto *chatter = new QToolButton(m_board);
    chatter->setObjectName(QStringLiteral("b_phrase10"));
    chatter->setGeometry(718, 147, 25, 19);
    chatter->setText(QStringLiteral("\u266A"));
    chatter->setToolTip(QStringLiteral("Chatter Sounds"));
    connect(chatter, &QToolButton::clicked, this,
            [this, chatter] { m_soundBoard->b_phrase10Click(chatter); });

    m_popupKick = new SeatMenu(this);
    connect(m_popupKick, &SeatMenu::removeRequested, this, &Tchat::kicking);
    connect(m_popupKick, &SeatMenu::muteToggled, this, &Tchat::toggleMute);
    connect(m_popupKick, &SeatMenu::watchRequested, this, [this](int tag, int mode) {
        if (auto message =
                watchrequests::seatWatch(m_model.loggedin(), m_model.myseat(), tag, mode))
            send(*message);
    });
}

void Tchat::buildSeatControls()
{
    m_seats = std::make_unique<SeatFamilies>();
    const QColor teamColour[2] = {QColor(0, 64, 128), QColor(128, 0, 0)};

    for (int position = 1; position <= kSeatCount; ++position) {
        const QPoint *at = nullptr;
        auto geometryOf = [&](const char *family) {
            const SeatPlaces &places = placesOf(family);
            at = &places.at[position - 1];
            return QRect(*at, places.size);
        };

        auto *name = new BoardLabel(numbered("label_playername", position),
                                    QStringLiteral("<Waiting>"), {}, m_board);
        name->setGeometry(geometryOf("label_playername"));
        name->setAlignment(Qt::AlignCenter);
        name->setStyleSheet(nameLabelStyle(teamColour[(position + 1) % 2]));
        QFont bold = name->font();
        bold.setBold(true);
        name->setFont(bold);
        name->setToolTip(QString::number(position));
        const int labelTag = position == 1 ? 0 : position;
        connect(name, &BoardLabel::rightClicked, this,
                [this, labelTag, name](const QPoint &at) { openSeatMenu(labelTag, name, at); });
        m_seats->playername[position] = name;

        auto label = [&](const char *family, const QString &text) {
            return tableLabel(numbered(family, position), text, geometryOf(family), m_board);
        };
        m_seats->tricklabel[position] = label("label_tricklabel", QStringLiteral("Tricks:"));
        m_seats->tricks[position] = label("label_tricks", QStringLiteral("0"));
        m_seats->bidlabel[position] = label("label_bidlabel", QStringLiteral("Bid:"));
        m_seats->bid[position] = label("label_bid", QStringLiteral("0"));

        auto picture = [&](const char *family, PictureMaker maker) {
            auto *p = new BoardPicture(numbered(family, position), geometryOf(family), m_board);
            p->setPicture(std::move(maker));
            p->hide();
            return p;
        };
        m_seats->cards[position] =
            picture("image_cards", [](qreal ratio) { return pictures::card(0, ratio); });
        m_seats->played[position] = picture("image_played", nullptr);
        m_seats->played[position]->show();
        m_seats->turn[position] = picture("image_turn", pictures::turnArrow);
        m_seats->eyes[position] = picture("image_eyes", pictures::watchingEyes);
        m_seats->nil[position] = picture("image_nil", pictures::nilMark);
        m_seats->blind[position] = picture("image_blind", pictures::blindNilMark);
        m_seats->winner[position] = picture("image_winner", pictures::trophy);
        m_seats->trickwinner[position] = picture("image_trickwinner", pictures::trickWinner);
    }
    // The cards on the table lie under the marks and names around them.
    for (int position = 1; position <= kSeatCount; ++position)
        m_seats->played[position]->lower();
    m_background->lower();
}

void Tchat::buildTableControls()
{
    m_labelPlaytoscore =
        tableLabel(QStringLiteral("label_playtoscore"), QStringLiteral("Play to Score: 500"),
                   {5, 48, 140, 16}, m_board);
    m_labelBaggin = tableLabel(QStringLiteral("label_baggin"),
                               QStringLiteral("Penalty for Bags: Yes"), {5, 64, 140, 16}, m_board);
    m_labelBlind = tableLabel(QStringLiteral("label_blind"),
                              QStringLiteral("Blind Nil: Disallowed"), {5, 80, 140, 16}, m_board);

    m_labelRound = tableLabel(QStringLiteral("label_round"), QStringLiteral("Round: 0"),
                              {330, 8, 140, 16}, m_board);
    m_labelTotalbids = tableLabel(QStringLiteral("label_totalbids"),
                                  QStringLiteral("Total Bids: 0"), {330, 24, 140, 16}, m_board);
    m_labelTurn = tableLabel(QStringLiteral("label_turn"), QStringLiteral("Good Luck!"),
                             {330, 40, 140, 16}, m_board);
    // The status line often names a player.
    m_labelStatus = new NameLabel(m_board);
    m_labelStatus->setObjectName(QStringLiteral("label_status"));
    m_labelStatus->setGeometry(8, 458, 462, 20);
    m_labelStatus->setStyleSheet(QString::fromLatin1(kLightText));
    m_labelStatus->setName(QString(), QStringLiteral("Welcome To Spades by Velnor Software"));
    QFont statusFont = m_labelStatus->font();
    statusFont.setBold(true);
    m_labelStatus->setFont(statusFont);
    // Shown while a lost connection is being made again.
    m_buttonCancelReconnect =
        new BoardButton(QStringLiteral("button_cancelreconnect"), QStringLiteral("Cancel"),
                        {392, 456, 70, 22}, m_board);
    m_buttonCancelReconnect->hide();

    // The team board.
    auto *teams = new QFrame(m_board);
    teams->setObjectName(QStringLiteral("panel_teams"));
    teams->setGeometry(478, 5, 265, 100);
    teams->setFrameShape(QFrame::StyledPanel);
    teams->setStyleSheet(QStringLiteral("#panel_teams { background: rgba(0, 0, 0, 60);"
                                        " border: 1px solid #c8b878; }"));
    const char *teamNames[] = {"Team Blue", "Team Red"};
    const char *teamColours[] = {"#9cc8ff", "#ff9c9c"};
    for (int team = 1; team <= 2; ++team) {
        const int left = team == 1 ? 10 : 138;
        QLabel *title =
            tableLabel(QStringLiteral("label_teamname%1").arg(team),
                       QString::fromLatin1(teamNames[team - 1]), {left, 6, 120, 20}, teams);
        title->setStyleSheet(
            QStringLiteral("color: %1;").arg(QLatin1String(teamColours[team - 1])));
        QFont titleFont = title->font();
        titleFont.setBold(true);
        titleFont.setPointSize(11);
        title->setFont(titleFont);
        const char *captions[] = {"Score:", "Sandbags:", "Bids:"};
        const char *families[] = {"label_team", "label_bags", "label_bids"};
        std::array<QLabel *, 3> *values[] = {&m_labelTeam, &m_labelBags, &m_labelBids};
        for (int row = 0; row < 3; ++row) {
            const int top = 30 + row * 22;
            tableLabel(QStringLiteral("label_caption_%1_%2").arg(families[row]).arg(team),
                       QString::fromLatin1(captions[row]), {left, top, 72, 18}, teams);
            (*values[row])[team] = tableLabel(numbered(families[row], team), QStringLiteral("0"),
                                              {left + 74, top, 46, 18}, teams);
        }
    }

    m_buttonStart = new BoardButton(QStringLiteral("button_start"), QStringLiteral("Start Game"),
                                    {488, 111, 112, 30}, m_board);
    connect(m_buttonStart, &QAbstractButton::clicked, this, &Tchat::button_startClick);
    m_buttonLast = new BoardButton(QStringLiteral("button_last"), QStringLiteral("Last Trick"),
                                   {620, 111, 112, 30}, m_board);
    m_buttonLast->hide();
    connect(m_buttonLast, &QAbstractButton::clicked, this, &Tchat::button_lastClick);

    m_flippedcards =
        new BoardPicture(QStringLiteral("image_flippedcards"), {160, 333, 155, 96}, m_board);
    m_flippedcards->setPicture(pictures::flippedHand);
    m_flippedcards->hide();
}

void Tchat::buildBidControls()
{
    m_labelYourBid = tableLabel(QStringLiteral("label_bid"), QStringLiteral("Your Bid:"),
                                {167, 301, 90, 18}, m_board);
    QFont bold = m_labelYourBid->font();
    bold.setBold(true);
    m_labelYourBid->setFont(bold);
    m_labelYourBid->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editBid = new QLineEdit(QStringLiteral("1"), m_board);
    m_editBid->setObjectName(QStringLiteral("edit_bid"));
    m_editBid->setGeometry(260, 297, 26, 24);
    // A bid is a number of tricks; anything else typed here would travel as
    // message text.
    m_editBid->setMaxLength(2);
    m_editBid->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,2}")), m_editBid));
    m_updownBid =
        new UpDown(QStringLiteral("updown_bid"), {286, 297, 17, 24}, m_editBid, 1, 13, m_board);
    m_buttonBid = new BoardButton(QStringLiteral("button_bid"), QStringLiteral("Bid"),
                                  {305, 297, 76, 26}, m_board);
    m_buttonNil = new BoardButton(QStringLiteral("button_nil"), QStringLiteral("Nil"),
                                  {385, 297, 76, 26}, m_board);
    m_buttonDobid = new BoardButton(QStringLiteral("button_dobid"), QStringLiteral("Bid"),
                                    {256, 296, 60, 26}, m_board);
    m_buttonBlind = new BoardButton(QStringLiteral("button_blind"), QStringLiteral("Blind Nil"),
                                    {320, 296, 90, 26}, m_board);
    connect(m_buttonBid, &QAbstractButton::clicked, this, &Tchat::button_bidClick);
    connect(m_buttonNil, &QAbstractButton::clicked, this, &Tchat::button_nilClick);
    connect(m_buttonDobid, &QAbstractButton::clicked, this, &Tchat::button_dobidClick);
    connect(m_buttonBlind, &QAbstractButton::clicked, this, &Tchat::button_blindClick);
    hideBidControls();
}
