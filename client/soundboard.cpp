#include "client/soundboard.h"

#include "platform/soundplayer.h"
#include "protocol/hostmessages.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QWidget>
#include <array>

namespace {

constexpr std::array<const char *, SoundBoard::kChatterCount + 1> kChatterNames{
    "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
    "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
    "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
    "Woman Laughing", "Man Laughing", "Crying"};

constexpr int kSeatCount = 4;

} // namespace

SoundBoard::SoundBoard(QObject *parent, SoundPlayer *player)
    : QObject(parent), m_player(player ? player : &systemSoundPlayer())
{
    m_playSoundsItem = new QAction(QStringLiteral("Play Sounds"), this);
    m_playSoundsItem->setObjectName(QStringLiteral("PlaySounds1"));
    m_playSoundsItem->setCheckable(true);
    m_playSoundsItem->setChecked(m_playSounds);
    connect(m_playSoundsItem, &QAction::triggered, this, &SoundBoard::PlaySounds1Click);

    m_playChatterItem = new QAction(QStringLiteral("Play Chatter Sounds"), this);
    m_playChatterItem->setObjectName(QStringLiteral("PlayChatterSounds1"));
    m_playChatterItem->setCheckable(true);
    m_playChatterItem->setChecked(m_playChatter);
    connect(m_playChatterItem, &QAction::triggered, this, &SoundBoard::PlayChatterSounds1Click);

    m_classicItem = new QAction(QStringLiteral("Classic"), this);
    m_classicItem->setObjectName(QStringLiteral("Classic1"));
    m_classicItem->setData(0);
    m_newItem = new QAction(QStringLiteral("New"), this);
    m_newItem->setObjectName(QStringLiteral("New1"));
    m_newItem->setData(1);
    for (QAction *item : {m_classicItem, m_newItem}) {
        item->setCheckable(true);
        const int tag = item->data().toInt();
        connect(item, &QAction::triggered, this, [this, tag] { New1Click(tag); });
    }
    m_classicItem->setChecked(true);

    buildPopup();
}

SoundBoard::~SoundBoard() = default;

void SoundBoard::buildPopup()
{
    m_popupSounds = std::make_unique<QMenu>();
    m_popupSounds->setObjectName(QStringLiteral("popup_sounds"));
    for (int k = 0; k <= kChatterCount; ++k) {
        const QString caption = chatterName(k);
        auto *item = new QAction(caption, this); // findable from the window
        m_popupSounds->addAction(item);
        item->setObjectName(QStringLiteral("wave%1").arg(k));
        item->setData(k);
        item->setToolTip(caption);
        item->setStatusTip(caption);
        connect(item, &QAction::triggered, this, [this, k] { wave14Click(k); });
    }
}

QString SoundBoard::chatterName(int k)
{
    if (k < 0 || k > kChatterCount)
        return {};
    return QString::fromLatin1(kChatterNames[size_t(k)]);
}

void SoundBoard::setPlayer(SoundPlayer *player)
{
    m_player = player ? player : &systemSoundPlayer();
}

void SoundBoard::addOptionsMenuItems(QMenu *options)
{
    options->addAction(m_playSoundsItem);
    options->addAction(m_playChatterItem);
    QMenu *turn = options->addMenu(QStringLiteral("Turn Sound"));
    turn->setObjectName(QStringLiteral("TurnSound1"));
    turn->addAction(m_classicItem);
    turn->addAction(m_newItem);
}

void SoundBoard::setPlaySounds(bool on)
{
    m_playSounds = on;
    m_playSoundsItem->setChecked(on);
}

void SoundBoard::setPlayChatterSounds(bool on)
{
    m_playChatter = on;
    m_playChatterItem->setChecked(on);
}

void SoundBoard::setTurnSoundChoice(int choice)
{
    m_turnChoice = choice == 1 ? 1 : 0;
    m_classicItem->setChecked(m_turnChoice == 0);
    m_newItem->setChecked(m_turnChoice == 1);
}

void SoundBoard::notifySettingsChanged()
{
    if (m_settingsChanged)
        m_settingsChanged();
}

void SoundBoard::playsounds(const QString &name)
{
    if (m_playSounds)
        m_player->play(name);
}

void SoundBoard::PlaySounds1Click()
{
    setPlaySounds(!m_playSounds);
    notifySettingsChanged();
}

void SoundBoard::PlayChatterSounds1Click()
{
    setPlayChatterSounds(!m_playChatter);
    notifySettingsChanged();
}

void SoundBoard::New1Click(int tag)
{
    setTurnSoundChoice(tag);
    notifySettingsChanged();
}

void SoundBoard::b_phrase10Click(QWidget *button)
{
    if (button)
        m_popupSounds->popup(button->mapToGlobal(button->rect().bottomRight()));
}

void SoundBoard::wave14Click(int k)
{
    if (k <= 0 || k > kChatterCount)
        return;
    if (m_myseat < 1 || m_myseat > kSeatCount || !m_loggedin || !m_send)
        return;
    m_send(wire::toHost::PlayASound{m_myseat, "wave" + QByteArray::number(k)}.encode());
}

void SoundBoard::playasound(const wire::toClient::PlayASound &m)
{
    // Only the chatter sounds can be asked for, and only by a playing seat:
    // the decoded message holds nothing else.
    if (m_playChatter) {
        m_player->play(QString::fromLatin1(m.sound));
        return;
    }
    const std::optional<QString> who = m_seatName ? m_seatName(m.n) : std::nullopt;
    if (!who || !m_statusLine)
        return;
    m_statusLine(QStringLiteral("0+") + *who + QStringLiteral(": <Chatter Sound> ") +
                 chatterName(m.chatter()));
}
