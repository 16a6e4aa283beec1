// Parses arbitrary bytes as a wave file; what it accepts must be playable.
#include "platform/wavefile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<WaveSound> wave = parseWave(bytes);
    if (!wave)
        return 0;
    if (wave->channels < 1 || wave->channels > 2 ||
        (wave->bitsPerSample != 8 && wave->bitsPerSample != 16) ||
        wave->samples.size() % wave->frameBytes() != 0 || wave->samples.size() > bytes.size())
        std::abort();
    return 0;
}
