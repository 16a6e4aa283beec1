// Reads arbitrary text as a colour and checks that whatever reads also writes
// back to a text that reads as the same value.
#include "chat/colourtext.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<quint32> value = colourtext::fromText(text);
    if (!value)
        return 0;
    const QString written = colourtext::toText(*value);
    if (colourtext::fromText(written) != value)
        std::abort();
    if (colourtext::toText(*colourtext::fromText(written)) != written)
        std::abort();
    return 0;
}
