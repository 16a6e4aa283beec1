#pragma once

// A solo table and its host in one process, on real loopback sockets, with
// the host's pauses and computer moves shortened and every dialog recorded.
#include "client/sidewindows.h"
#include "client/tchat.h"
#include "client/tchatwiring.h"
#include "host/hostruntime.h"
#include "platform/soundplayer.h"

#include <QStringList>

class SilentSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

struct SoloTable
{
    static HostRuntime::Timing quickTiming()
    {
        HostRuntime::Timing timing;
        timing.socktimer = 1;
        timing.timer1 = 1;
        timing.computerPercent = 1;
        return timing;
    }

    SoloTable() : host(20261208, quickTiming())
    {
        host.onAlert = [](const QByteArray &) {};
        table.setSoundPlayer(&silence);
        table.services().messageBox = [this](const QString &text) { boxes.append(text); };
        table.services().showDownload = [] {};
        table.services().startHost = [this] {
            host.listen(0);
            table.setHostPort(host.port());
        };
        windows = attachSideWindows(table);
        host.botSpeedHook = [this]() -> std::optional<int> { return table.botSpeed(); };
    }

    // Shows the window and hosts as a solo start does.
    void start()
    {
        table.show();
        table.processparams({});
    }

    HostRuntime host;
    SilentSounds silence;
    Tchat table;
    QStringList boxes; // message boxes the table would have shown
    SideWindows *windows = nullptr;
};
