#pragma once

#include "protocol/clientmessages.h"

#include <QByteArray>
#include <QFrame>
#include <optional>

class QLabel;
class QPushButton;

// What a posted score changes on the board's team display, team 1 first.
struct ScoreBoardUpdate
{
    int bags[2] = {};
    int score[2] = {};
};

// The end-of-hand score panel over the table: a block per team with the
// hand's bids, tricks, bags, penalties, Nil results and totals.
class ScorePanel : public QFrame
{
    Q_OBJECT
public:
    // The status line the table shows while the panel is up.
    static constexpr const char *kPostingText = "Posting Scores, Please Wait...";

    explicit ScorePanel(QWidget *parent = nullptr);

    // Shows the sixteen values of a posted score and the panel.
    ScoreBoardUpdate postscores(const wire::toClient::PostScores &m);
    // The team's total bid, set when bidding ends. Team 1 or 2.
    void setTeamBids(int team, const QString &text);
    // Back to a blank hand: values "0", texts emptied, marks hidden.
    void reset();

signals:
    // The player closed the panel; the host is to hear about it.
    void closeClicked();

private:
    struct TeamBlock
    {
        QLabel *bids;
        QLabel *trickscore;
        QLabel *tricks;
        QLabel *sands;
        QLabel *minus;
        QLabel *bagged;
        QLabel *total;
        QLabel *set;
        QLabel *nilgood;
        QLabel *nilbad;
        QLabel *nilscore;
        QLabel *score;
    };

    void buildBlock(int team, int top);
    void button_closeClick();

    TeamBlock m_team[2];
    QPushButton *m_close;
};
