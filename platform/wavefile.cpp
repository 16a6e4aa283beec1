#include "platform/wavefile.h"

#include <QtEndian>
#include <algorithm>

namespace {

quint32 le32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint16 le16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

} // namespace

std::optional<WaveSound> parseWave(const QByteArray &file)
{
    const qsizetype size = file.size();
    if (size < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return std::nullopt;
    const char *bytes = file.constData();

    WaveSound wave;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= size) {
        const QByteArray id = file.mid(pos, 4);
        const quint64 length = le32(bytes + pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = size - body;
        if (id == "fmt ") {
            if (length < 16 || qsizetype(length) > available)
                return std::nullopt;
            const quint16 format = le16(bytes + body);
            wave.channels = le16(bytes + body + 2);
            const quint32 rate = le32(bytes + body + 4);
            wave.bitsPerSample = le16(bytes + body + 14);
            if (format != 1 || wave.channels < 1 || wave.channels > 2 ||
                (wave.bitsPerSample != 8 && wave.bitsPerSample != 16) || rate < 1000 ||
                rate > 192000)
                return std::nullopt;
            wave.sampleRate = int(rate);
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return std::nullopt;
            const auto take = qsizetype(std::min<quint64>(length, quint64(available)));
            const qsizetype whole = take - take % wave.frameBytes();
            wave.samples = file.mid(body, whole);
            return wave;
        }
        // Chunks are padded to an even length.
        const quint64 next = quint64(body) + length + (length & 1);
        if (next > quint64(size))
            break;
        pos = qsizetype(next);
    }
    return std::nullopt;
}
