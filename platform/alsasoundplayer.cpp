#include "platform/alsasoundplayer.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <chrono>

#ifdef SPADES_HAVE_ALSA
#include <alsa/asoundlib.h>
#endif

namespace {

constexpr int kChunkMs = 20;

#ifdef SPADES_HAVE_ALSA
constexpr unsigned kLatencyUs = 100000;

// The library would print every failure to stderr; a missing device is normal.
void quietAlsa(const char *, int, const char *, int, const char *, ...) {}

class AlsaOutput : public PcmOutput
{
public:
    explicit AlsaOutput(snd_pcm_t *pcm) : m_pcm(pcm) {}
    ~AlsaOutput() override
    {
        snd_pcm_drop(m_pcm);
        snd_pcm_close(m_pcm);
    }
    long write(const char *data, long frames) override
    {
        snd_pcm_sframes_t written = snd_pcm_writei(m_pcm, data, snd_pcm_uframes_t(frames));
        if (written < 0)
            written = snd_pcm_recover(m_pcm, int(written), 1);
        return long(written);
    }
    long queued() override
    {
        snd_pcm_sframes_t delay = 0;
        return snd_pcm_delay(m_pcm, &delay) < 0 ? 0 : long(delay);
    }

private:
    snd_pcm_t *m_pcm;
};

std::unique_ptr<PcmOutput> openAlsa(const QByteArray &device, const WaveSound &wave)
{
    snd_pcm_t *pcm = nullptr;
    if (snd_pcm_open(&pcm, device.constData(), SND_PCM_STREAM_PLAYBACK, 0) < 0)
        return nullptr;
    const snd_pcm_format_t format =
        wave.bitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
    if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, unsigned(wave.channels),
                           unsigned(wave.sampleRate), 1, kLatencyUs) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::make_unique<AlsaOutput>(pcm);
}
#endif

} // namespace

AlsaSoundPlayer::AlsaSoundPlayer(QString device, QString folder) : m_folder(std::move(folder))
{
#ifdef SPADES_HAVE_ALSA
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(quietAlsa); });
    m_open = [name = device.toLocal8Bit()](const WaveSound &wave) { return openAlsa(name, wave); };
#else
    Q_UNUSED(device);
#endif
}

AlsaSoundPlayer::AlsaSoundPlayer(PcmOpener open, QString folder)
    : m_open(std::move(open)), m_folder(std::move(folder))
{
}

AlsaSoundPlayer::~AlsaSoundPlayer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        ++m_generation;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

std::shared_ptr<const WaveSound> AlsaSoundPlayer::find(const QString &name)
{
    if (!m_scanned) {
        m_scanned = true;
        QDirIterator it(m_folder, {QStringLiteral("*.wav"), QStringLiteral("*.WAV")}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            m_files.insert(QFileInfo(path).completeBaseName().toLower(), path);
        }
    }
    const QString key = name.toLower();
    if (auto cached = m_cache.constFind(key); cached != m_cache.constEnd())
        return *cached;
    std::shared_ptr<const WaveSound> wave;
    if (const auto path = m_files.constFind(key); path != m_files.constEnd()) {
        QFile file(*path);
        if (file.open(QIODevice::ReadOnly)) {
            if (std::optional<WaveSound> parsed = parseWave(file.readAll()))
                wave = std::make_shared<const WaveSound>(std::move(*parsed));
        }
    }
    m_cache.insert(key, wave); // a name that failed stays silent without retrying
    return wave;
}

void AlsaSoundPlayer::play(const QString &name)
{
    std::shared_ptr<const WaveSound> wave = find(name);
    if (!wave || wave->frameCount() == 0)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(wave);
        ++m_generation; // cuts off whatever plays now
    }
    if (!m_worker.joinable())
        m_worker = std::thread([this] { run(); });
    m_wake.notify_all();
}

bool AlsaSoundPlayer::cancelled(unsigned generation) const
{
    return m_stop.load() || m_generation.load() != generation;
}

void AlsaSoundPlayer::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop.load() || m_pending; });
        if (m_stop)
            return;
        std::shared_ptr<const WaveSound> wave = std::move(m_pending);
        m_pending.reset();
        const unsigned generation = m_generation.load();
        lock.unlock();
        ++m_started;
        playOne(*wave, generation);
        ++m_finished;
        lock.lock();
    }
}

void AlsaSoundPlayer::playOne(const WaveSound &wave, unsigned generation)
{
    std::unique_ptr<PcmOutput> output = m_open ? m_open(wave) : nullptr;
    if (!output) {
        m_deviceFailed = true;
        return;
    }
    m_deviceFailed = false;

    const char *data = wave.samples.constData();
    const qsizetype frames = wave.frameCount();
    const qsizetype chunk = std::max(1, wave.sampleRate * kChunkMs / 1000);
    qsizetype done = 0;
    while (done < frames && !cancelled(generation)) {
        const long written =
            output->write(data + done * wave.frameBytes(), long(std::min(chunk, frames - done)));
        if (written < 0)
            break;
        done += written;
    }
    if (done < frames)
        ++m_cutOff;
    // Let the buffered tail play out, but stay ready to be cut off.
    std::unique_lock lock(m_mutex);
    while (!cancelled(generation)) {
        const long delay = output->queued();
        if (delay <= 0)
            break;
        const auto wait = std::chrono::milliseconds(
            std::clamp<long>(delay * 1000 / wave.sampleRate, 1, kChunkMs));
        m_wake.wait_for(lock, wait, [&] { return cancelled(generation); });
    }
}
