#pragma once

#include "client/tchat.h"
#include "client/tchatwidgets.h"
#include "platform/soundplayer.h"
#include "tests/common/test_support.h"

#include <QByteArray>
#include <QLabel>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

class RecordingSounds : public SoundPlayer
{
public:
    void play(const QString &name) override { played.append(name); }
    QStringList played;
};

// A table window whose sends, message boxes, sounds and tally are recorded,
// fed host messages directly.
class TableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        table = std::make_unique<Tchat>();
        TableServices &s = table->services();
        s.send = [this](const QByteArray &message) { sent.append(message); };
        s.messageBox = [this](const QString &text) { boxes.append(text); };
        s.recordTally = [this](const QString &word) { tally.append(word); };
        s.addSpy = [this](const QString &line) { spies.append(line); };
        s.removeSpy = [this](const QString &line) { return spies.removeOne(line); };
        s.recordLastTrick = [this](int seat) { lastTricks.append(seat); };
        s.menuPopup = [](QMenu *) { return true; };
        table->setSoundPlayer(&sounds);
        drain();
    }

    // Queues host messages and hands them to the dispatch one by one.
    void feed(std::initializer_list<QByteArray> messages)
    {
        for (const QByteArray &message : messages)
            table->queueMessage(message);
        drain();
    }
    void feed(const QByteArray &message) { feed({message}); }
    void drain()
    {
        while (table->queuedMessages() > 0)
            table->processsocktimer();
    }

    void login(int seat, const QByteArray &name = "Ann")
    {
        feed({"CMD_sendlogininfo+" + QByteArray::number(seat),
              "CMD_newplayerinfo+" + QByteArray::number(seat) + '+' + name});
        sent.clear();
        sounds.played.clear();
    }

    template <typename T = QWidget> T *control(const QString &name) const
    {
        auto *found = table->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    QString text(const QString &name) const
    {
        auto *label = control<QLabel>(name);
        return label ? label->text() : QString();
    }
    bool shown(const QString &name) const
    {
        auto *widget = control(name);
        return widget && !widget->isHidden();
    }

    std::unique_ptr<Tchat> table;
    QList<QByteArray> sent;
    QStringList boxes;
    QStringList tally;
    QStringList spies;
    QList<int> lastTricks;
    RecordingSounds sounds;
};

inline QByteArray terminated(const QByteArray &text)
{
    return text + char(0xFF);
}
