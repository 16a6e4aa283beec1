#include "platform/alsasoundplayer.h"
#include "platform/wavefile.h"

#include "tests/common/test_support.h"

#include <QFile>
#include <QtEndian>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, 0);
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body, qint64 declared = -1)
{
    QByteArray c(id, 4);
    c += le32(quint32(declared < 0 ? body.size() : declared));
    c += body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

QByteArray format(int formatTag, int channels, int rate, int bits)
{
    const int block = channels * bits / 8;
    return le16(quint16(formatTag)) + le16(quint16(channels)) + le32(quint32(rate)) +
           le32(quint32(rate * block)) + le16(quint16(block)) + le16(quint16(bits));
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(quint32(4 + chunks.size())) + "WAVE" + chunks;
}

} // namespace

TEST(WaveFile, ReadsPcmAndSkipsOtherChunks)
{
    const QByteArray samples("\x80\x90\xA0", 3);
    const auto wave = parseWave(riff(chunk("fmt ", format(1, 1, 11025, 8)) + chunk("LIST", "odd") +
                                     chunk("data", samples)));
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->sampleRate, 11025);
    EXPECT_EQ(wave->channels, 1);
    EXPECT_EQ(wave->bitsPerSample, 8);
    EXPECT_EQ(wave->samples, samples);

    const auto stereo =
        parseWave(riff(chunk("fmt ", format(1, 2, 44100, 16)) + chunk("data", QByteArray(10, 1))));
    ASSERT_TRUE(stereo);
    EXPECT_EQ(stereo->frameCount(), 2); // 10 bytes hold two whole 4-byte frames
    EXPECT_EQ(stereo->samples.size(), 8);

    // A data chunk cut short keeps what is there.
    const auto cut =
        parseWave(riff(chunk("fmt ", format(1, 1, 8000, 8)) + chunk("data", "abcd", 1000000)));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->samples, "abcd");
}

TEST(WaveFile, RejectsWhatItCannotPlay)
{
    const QByteArray data = chunk("data", "abcd");
    const QByteArray bad[] = {
        QByteArray(),
        "RIFF",
        "RIFX" + le32(4) + "WAVE",
        riff(chunk("fmt ", format(3, 1, 8000, 32)) + data),     // float samples
        riff(chunk("fmt ", format(1, 1, 8000, 24)) + data),     // 24-bit
        riff(chunk("fmt ", format(1, 0, 8000, 8)) + data),      // no channels
        riff(chunk("fmt ", format(1, 6, 8000, 8)) + data),      // surround
        riff(chunk("fmt ", format(1, 1, 0, 8)) + data),         // no rate
        riff(data + chunk("fmt ", format(1, 1, 8000, 8))),      // data before format
        riff(chunk("fmt ", format(1, 1, 8000, 8).left(10))),    // short format
        riff(chunk("fmt ", format(1, 1, 8000, 8), 0x7FFFFFF0)), // format past the end
        riff(chunk("fmt ", format(1, 1, 8000, 8))),             // no data
        riff(chunk("fmt ", format(1, 1, 8000, 8)) + chunk("junk", "x", 0xFFFFFFFF) + data),
    };
    for (size_t i = 0; i < std::size(bad); ++i)
        EXPECT_FALSE(parseWave(bad[i]).has_value()) << i;
}

TEST(SoundSet, EverySoundIsEmbeddedAsSmallMonoPcm)
{
    QStringList names{"ENTERED",     "CLICK", "TURN",      "TURNNEW", "PLACECARD", "TURNOVERGOOD",
                      "TURNOVERBAD", "ERROR", "ROUNDOVER", "WINNER",  "BID",       "TAKETRICK"};
    for (int k = 1; k <= 20; ++k)
        names << QStringLiteral("WAVE%1").arg(k);
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(":/sounds/" + name + ".wav");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const auto wave = parseWave(file.readAll());
        ASSERT_TRUE(wave);
        EXPECT_EQ(wave->channels, 1);
        EXPECT_EQ(wave->bitsPerSample, 8);
        EXPECT_EQ(wave->sampleRate, 11025);
        EXPECT_GT(wave->frameCount(), 100);
    }
}

TEST(AlsaSoundPlayer, AMissingDeviceIsSilentAndUnknownNamesPlayNothing)
{
    AlsaSoundPlayer player(QStringLiteral("no-such-device-anywhere"));
    for (const char *unknown : {"nosuchsound", "", "../sounds/TURN"})
        player.play(unknown);
    EXPECT_EQ(player.started(), 0);
    player.play("turn");
    player.play("PLACECARD"); // names in any case
    ASSERT_TRUE(testsupport::waitUntil(
        [&] { return player.finished() >= 1 && player.started() == player.finished(); }));
    EXPECT_TRUE(player.deviceFailed());
}

// An output that takes frames at the pace a sound card plays them.
class PacedOutput : public PcmOutput
{
public:
    PacedOutput(int sampleRate, std::atomic<long> &taken) : m_rate(sampleRate), m_taken(taken) {}
    long write(const char *, long frames) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(frames * 1000000 / m_rate));
        m_taken += frames;
        return frames;
    }
    long queued() override { return 0; }

private:
    int m_rate;
    std::atomic<long> &m_taken;
};

TEST(AlsaSoundPlayer, ANewSoundCutsTheOneStillPlaying)
{
    std::atomic<long> taken{0};
    AlsaSoundPlayer player(
        [&taken](const WaveSound &wave) {
            return std::make_unique<PacedOutput>(wave.sampleRate, taken);
        },
        QStringLiteral(":/sounds"));
    player.play("wave6"); // the longest sound, over a second
    ASSERT_TRUE(testsupport::waitUntil([&] { return taken.load() > 0; }));
    player.play("click");
    ASSERT_TRUE(testsupport::waitUntil([&] { return player.finished() == 2; }));
    EXPECT_EQ(player.started(), 2);
    EXPECT_EQ(player.cutOff(), 1);
    EXPECT_FALSE(player.deviceFailed());
}

#ifdef SPADES_HAVE_ALSA
TEST(AlsaSoundPlayer, PlaysOnTheNullDevice)
{
    AlsaSoundPlayer player(QStringLiteral("null"));
    player.play("click");
    ASSERT_TRUE(testsupport::waitUntil([&] { return player.finished() == 1; }));
    EXPECT_EQ(player.cutOff(), 0);
    EXPECT_FALSE(player.deviceFailed());
}
#endif
