#pragma once

#include "platform/soundplayer.h"
#include "platform/wavefile.h"

#include <QHash>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// Plays embedded wave files on an ALSA device from one worker thread, which
// sleeps while nothing plays. A new sound cuts off the one playing. A device
// that cannot be opened is silence: nothing is reported.
class AlsaSoundPlayer : public SoundPlayer
{
public:
    // Sounds are the "*.wav" files of `folder`, found by base name in any case.
    explicit AlsaSoundPlayer(QString device = QStringLiteral("default"),
                             QString folder = QStringLiteral(":/sounds"));
    ~AlsaSoundPlayer() override;

    void play(const QString &name) override;

    // How many sounds the worker has started and finished (tests wait on these).
    int started() const { return m_started.load(); }
    int finished() const { return m_finished.load(); }
    bool deviceFailed() const { return m_deviceFailed.load(); }

private:
    std::shared_ptr<const WaveSound> find(const QString &name);
    void run();
    void playOne(const WaveSound &wave, unsigned generation);
    bool cancelled(unsigned generation) const;

    QString m_device;
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
    std::atomic<bool> m_deviceFailed{false};
    std::thread m_worker;
};
