// Feeds arbitrary bytes through the receive queue, the command split and the
// field reader, checking what every reader of a message relies on and that
// the queue never holds more than its limits.
#include "protocol/message.h"
#include "protocol/receivequeue.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Small limits, so that inputs of a few kilobytes reach every one of them.
    const ReceiveLimits limits{64, 16, 256};
    ReceiveQueue queue(limits);
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Deliver in two pieces to exercise a message split across reads.
    const qsizetype cut = size ? qsizetype(data[0]) % (bytes.size() + 1) : 0;
    QList<QByteArray> messages;
    for (const QByteArray &read : {bytes.left(cut), bytes.mid(cut)}) {
        const bool accepted = queue.append(read);
        if (queue.size() > limits.queuedMessages || queue.queuedBytes() > limits.queuedBytes ||
            queue.unfinishedBytes() > limits.unfinishedBytes)
            std::abort();
        if (!accepted && (!queue.isEmpty() || queue.unfinishedBytes() != 0))
            std::abort();
        // Taking every other time lets later reads find room again.
        if (read.size() % 2 == 0)
            messages << queue.takeAll();
    }
    messages << queue.takeAll();
    for (const QByteArray &message : messages) {
        if (message.indexOf('+') <= 0 || message.contains(wire::kTerminator) ||
            message.size() > limits.unfinishedBytes)
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
