#include "coordinator/coordinatorstore.h"

#include "coordinator/endpoint.h"

// "keyhash owner direct|-": three words, none of them empty.
QByteArray TableRecord::serialize() const
{
    return keyHash + ' ' + owner + ' ' + (direct.isEmpty() ? QByteArray("-") : direct);
}

std::optional<TableRecord> TableRecord::parse(QByteArrayView text)
{
    const QList<QByteArray> words = text.toByteArray().split(' ');
    if (words.size() != 3 || words[0].isEmpty() || words[1].isEmpty())
        return std::nullopt;
    TableRecord record{words[0], words[1], {}};
    if (words[2] != "-") {
        if (!Endpoint::parse(words[2]))
            return std::nullopt;
        record.direct = words[2];
    }
    return record;
}
