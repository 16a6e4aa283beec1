// Feeds arbitrary bytes through the receive buffer, the command split and the
// field reader, checking what every reader of a message relies on.
#include "protocol/message.h"
#include "protocol/receivequeue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ReceiveBuffer buffer;
    QList<QByteArray> messages;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Deliver in two pieces to exercise a message split across reads.
    const qsizetype cut = size ? qsizetype(data[0]) % (bytes.size() + 1) : 0;
    buffer.append(bytes.left(cut), messages);
    buffer.append(bytes.mid(cut), messages);
    for (const QByteArray &message : messages) {
        if (message.contains(wire::kTerminator))
            std::abort();
        const auto [name, payload] = wire::splitCommand(message);
        if (name.contains('+'))
            std::abort();
        wire::FieldReader reader(payload);
        qsizetype before = reader.text().size();
        for (int i = 0; i < 40; ++i) {
            const QByteArray field = reader.next();
            const auto number = wire::toInt(field);
            // Leading zeros are accepted: "03" reads as 3.
            bool ok = false;
            if (number && (field.toLongLong(&ok) != *number || !ok))
                std::abort();
            const qsizetype after = reader.text().size();
            if (after > before)
                std::abort();
            before = after;
        }
    }
    return 0;
}
