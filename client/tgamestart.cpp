#include "client/tgamestart.h"

#include "client/arrowupdown.h"
#include "client/picturebutton.h"
#include "client/picturecheckbox.h"
#include "client/windowbackground.h"
#include "protocol/message.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr QSize kBoxSize{44, 28};

QLabel *caption(const QString &text, QWidget *parent, int left, int top, int width)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(left, top, width, 20);
    return label;
}

// The name is the first field of the start message; a "+" or terminator in
// it would shift every later field, so those bytes are sent as blanks.
QByteArray safeField(QByteArray text)
{
    for (char &c : text) {
        if (c == '+' || c == wire::kTerminator)
            c = ' ';
    }
    return text;
}

} // namespace

Tgamestart::Tgamestart(QWidget *parent) : QDialog(parent)
{
    setObjectName("Tgamestart");
    setWindowTitle("Spades - Game Start");
    setFixedSize(220, 250);

    const qreal dpr = qApp->devicePixelRatio();
    m_imagelistBox = {pictures::checkBoxFace(false, kBoxSize, dpr),
                      pictures::checkBoxFace(true, kBoxSize, dpr)};

    auto *title = caption("Game Options", this, 10, 8, 200);
    title->setObjectName("label_title");
    title->setAlignment(Qt::AlignHCenter);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSize(titleFont.pointSize() + 2);
    title->setFont(titleFont);

    caption("Play to Score:", this, 20, 42, 90);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName("edit_playtoscore");
    m_edit->setReadOnly(true);
    m_edit->setGeometry(112, 40, 52, 22);
    m_updown = new ArrowUpDown(this);
    m_updown->setObjectName("UpDown1");
    m_updown->setGeometry(164, 40, 16, 22);
    m_updown->setRange(250, 1000);
    m_updown->setIncrement(250);
    connect(m_updown, &ArrowUpDown::positionChanged, this,
            [this](int position) { m_edit->setText(QString::number(position)); });
    m_updown->setPosition(500);

    const struct
    {
        PictureCheckBox **box;
        const char *name;
        const char *text;
    } rows[] = {{&m_sands, "image_sands", "Sandbag"},
                {&m_blind, "image_blind", "Blind Nil"},
                {&m_club, "image_club", "Start 2 Clubs"}};
    int top = 76;
    for (const auto &row : rows) {
        auto *check = new PictureCheckBox(&m_imagelistBox, this);
        check->setObjectName(row.name);
        check->setGeometry(30, top, kBoxSize.width(), kBoxSize.height());
        check->setTag(1);
        caption(row.text, this, 82, top + 4, 120);
        *row.box = check;
        top += 36;
    }

    m_start = new PictureButton("Start Game", this);
    m_start->setObjectName("button_start");
    m_start->setGeometry(60, 198, 100, 30);
    connect(m_start, &PictureButton::clicked, this, &Tgamestart::button_startClick);
}

void Tgamestart::setBackgroundPicture(const QPixmap &picture)
{
    setWindowBackground(this, picture);
}

PictureCheckBox *Tgamestart::box(const QString &name) const
{
    if (name == QLatin1String("image_sands"))
        return m_sands;
    if (name == QLatin1String("image_blind"))
        return m_blind;
    if (name == QLatin1String("image_club"))
        return m_club;
    return nullptr;
}

void Tgamestart::checkbox(const QString &name, int value)
{
    if (PictureCheckBox *check = box(name))
        check->setTag(value == 1 ? 1 : 0);
}

int Tgamestart::playtoscore() const
{
    return m_updown->position();
}
void Tgamestart::setPlaytoscore(int score)
{
    m_updown->setPosition(score);
}
bool Tgamestart::sandbag() const
{
    return m_sands->isOn();
}
bool Tgamestart::blind() const
{
    return m_blind->isOn();
}
bool Tgamestart::startclub() const
{
    return m_club->isOn();
}

QByteArray Tgamestart::startMessage() const
{
    return wire::StartGame::of(safeField(m_playername), m_edit->text().toLatin1(), sandbag(),
                               blind(), startclub())
        .encode();
}

void Tgamestart::button_startClick()
{
    const QByteArray message = startMessage();
    if (m_send)
        m_send(message);
    hide();
    emit gameStarted();
}
