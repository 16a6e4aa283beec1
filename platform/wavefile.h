#pragma once

#include <QByteArray>
#include <optional>

// The sample data of a RIFF wave file with linear PCM samples.
struct WaveSound
{
    int channels = 1;
    int sampleRate = 11025;
    int bitsPerSample = 8; // 8 (unsigned) or 16 (signed, little-endian)
    QByteArray samples;    // whole frames only

    int frameBytes() const { return channels * bitsPerSample / 8; }
    qsizetype frameCount() const { return frameBytes() ? samples.size() / frameBytes() : 0; }
};

// Reads a wave file. Anything that is not mono or stereo 8- or 16-bit PCM,
// or whose chunks do not fit the data, gives nullopt; a data chunk cut short
// keeps the frames that are there.
std::optional<WaveSound> parseWave(const QByteArray &file);
