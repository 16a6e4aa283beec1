#include "client/scorepanel.h"

#include "client/tchatwidgets.h"
#include "resources/panelpictures.h"

#include <QLabel>
#include <QPushButton>

namespace {

// Team colours of the board: blue for seats 1 and 3, red for 2 and 4.
const QColor kTeamColour[2] = {QColor(0, 64, 128), QColor(128, 0, 0)};

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, int left, int top,
                  int width, int height = 16)
{
    auto *label = new QLabel(parent);
    // The figures are the host's texts.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (!name.isEmpty())
        label->setObjectName(name);
    label->setGeometry(left, top, width, height);
    return label;
}

QLabel *makePicture(QWidget *parent, const QString &name, PictureMaker maker, int left, int top)
{
    const QPixmap atOne = maker(1.0);
    auto *picture = new BoardPicture(name, QRect(QPoint(left, top), atOne.size()), parent);
    picture->setPicture(std::move(maker));
    picture->hide();
    return picture;
}

QString contractText(const QString &text, int value)
{
    return (value >= 0 ? QStringLiteral("=+") : QStringLiteral("=")) + text;
}

} // namespace

ScorePanel::ScorePanel(QWidget *parent) : QFrame(parent)
{
    setObjectName("panel_scores");
    setGeometry(140, 111, 216, 227);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(2);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(236, 233, 216));
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);

    buildBlock(1, 4);
    buildBlock(2, 116);

    m_close = new QPushButton("X", this);
    m_close->setObjectName("button_close");
    m_close->setGeometry(194, 4, 18, 18);
    m_close->setFocusPolicy(Qt::NoFocus);
    connect(m_close, &QPushButton::clicked, this, &ScorePanel::button_closeClick);
    hide();
}

void ScorePanel::buildBlock(int team, int top)
{
    const QString n = QString::number(team);
    TeamBlock &b = m_team[team - 1];

    QLabel *title = makeLabel(this, "label_teamname" + n, team == 1 ? "Team Blue" : "Team Red", 8,
                              top, 120, 18);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, kTeamColour[team - 1]);
    title->setPalette(palette);

    const int left = 52;
    const int value = 118;
    makeLabel(this, QString(), "Bids", left, top + 20, 60);
    b.bids = makeLabel(this, "label_teambids" + n, "0", value, top + 20, 30);
    b.trickscore = makeLabel(this, "label_teamtrickscore" + n, QString(), 148, top + 20, 50);
    makeLabel(this, QString(), "Tricks", left, top + 36, 60);
    b.tricks = makeLabel(this, "label_teamtricks" + n, "0", value, top + 36, 30);
    makeLabel(this, QString(), "Bagged", left, top + 52, 60);
    b.sands = makeLabel(this, "label_teamsands" + n, "0", value, top + 52, 30);
    b.minus = makeLabel(this, "label_minus" + n, QString(), 148, top + 52, 34);
    b.bagged = makePicture(this, "image_teambagged" + n, panelpictures::teamBagged, 184, top + 48);
    makeLabel(this, QString(), "Turn Total", left, top + 68, 64);
    b.total = makeLabel(this, "label_teamtotal" + n, "0", value, top + 68, 40);

    b.set = makePicture(this, "image_teamset" + n, panelpictures::teamSet, 6, top + 20);
    b.nilgood = makePicture(this, "image_nilgood" + n, panelpictures::nilGood, 4, top + 62);
    b.nilbad = makePicture(this, "image_nilbad" + n, panelpictures::nilBad, 4, top + 62);
    b.nilscore = makeLabel(this, "label_nilscore" + n, QString(), 4, top + 86, 44);
    b.nilscore->setAlignment(Qt::AlignHCenter);

    b.score = makeLabel(this, "label_teamscore" + n, "0", left, top + 88, 150, 18);
    b.score->setFont(bold);
}

void ScorePanel::postscores(const wire::toClient::PostScores &m)
{
    const std::array<int, 16> &value = m.values;
    QString text[16];
    for (int i = 0; i < 16; ++i)
        text[i] = QString::number(value[i]);

    for (int t = 0; t < 2; ++t) {
        TeamBlock &b = m_team[t];
        b.tricks->setText(text[0 + t]);
        b.trickscore->setText(contractText(text[2 + t], value[2 + t]));
        b.sands->setText(text[6 + t]);
        b.minus->clear();
    }
    for (int t = 0; t < 2; ++t) {
        TeamBlock &b = m_team[t];
        if (value[8 + t] != 0) {
            b.minus->setText(text[8 + t]);
            b.bagged->show();
        } else {
            b.bagged->hide();
        }
        b.total->setText(text[10 + t]);
        b.set->setVisible(value[10 + t] < 0);
        b.score->setText("Total Score: " + text[12 + t]);
        const int nil = value[14 + t];
        b.nilgood->setVisible(nil > 0);
        b.nilbad->setVisible(nil < 0);
        b.nilscore->setText(nil != 0 ? text[14 + t] : QString());
    }
    show();
    raise();
}

void ScorePanel::setTeamBids(int team, const QString &text)
{
    if (team == 1 || team == 2)
        m_team[team - 1].bids->setText(text);
}

void ScorePanel::reset()
{
    for (TeamBlock &b : m_team) {
        for (QLabel *value : {b.tricks, b.sands, b.total, b.bids, b.score})
            value->setText("0");
        b.minus->clear();
        b.nilscore->clear();
        for (QLabel *mark : {b.set, b.bagged, b.nilgood, b.nilbad})
            mark->hide();
    }
}

void ScorePanel::button_closeClick()
{
    hide();
    emit closeClicked();
}
