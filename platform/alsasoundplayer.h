#pragma once

#include "platform/soundplayer.h"
#include "platform/wavefile.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Where the frames of one sound go, a chunk at a time, on the worker thread.
class PcmOutput
{
public:
    virtual ~PcmOutput() = default;
    // Takes up to `frames` frames, waiting while the device is full; returns
    // how many it took, or a negative number when the device failed.
    virtual long write(const char *data, long frames) = 0;
    // Frames written but not yet heard; 0 when that cannot be told.
    virtual long queued() = 0;
};
// Opens the output for one sound; nullptr when there is no device.
using PcmOpener = std::function<std::unique_ptr<PcmOutput>(const WaveSound &wave)>;

// Plays embedded wave files on an ALSA device from one worker thread, which
// sleeps while nothing plays. A new sound cuts off the one playing. A device
// that cannot be opened is silence: nothing is reported.
class AlsaSoundPlayer : public SoundPlayer
{
public:
    // Sounds are the "*.wav" files of `folder`, found by base name in any case.
    explicit AlsaSoundPlayer(QString device = QStringLiteral("default"),
                             QString folder = QStringLiteral(":/sounds"));
    // Plays through outputs from `open` instead of the ALSA device.
    AlsaSoundPlayer(PcmOpener open, QString folder);
    ~AlsaSoundPlayer() override;

    void play(const QString &name) override;

    // How many sounds the worker has started and finished, and how many of
    // those stopped before their end (tests wait on these).
    int started() const { return m_started.load(); }
    int finished() const { return m_finished.load(); }
    int cutOff() const { return m_cutOff.load(); }
    bool deviceFailed() const { return m_deviceFailed.load(); }

private:
    std::shared_ptr<const WaveSound> find(const QString &name);
    void run();
    void playOne(const WaveSound &wave, unsigned generation);
    bool cancelled(unsigned generation) const;

    PcmOpener m_open;
    QString m_folder;
    QHash<QString, QString> m_files; // lower-case name -> path
    QHash<QString, std::shared_ptr<const WaveSound>> m_cache;
    bool m_scanned = false;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<const WaveSound> m_pending;
    std::atomic<unsigned> m_generation{0};
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_started{0};
    std::atomic<int> m_finished{0};
    std::atomic<int> m_cutOff{0};
    std::atomic<bool> m_deviceFailed{false};
    std::thread m_worker;
};
