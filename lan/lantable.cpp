#include "lan/lantable.h"

namespace lantable {

namespace {

const QByteArray kHostKey("host=");
const QByteArray kFreeKey("free=");

// A name from the network is shown, never interpreted: no control
// characters, no line breaks, and only as long as a player's name may be.
QString plainName(const QByteArray &bytes)
{
    QString name;
    for (QChar c : QString::fromUtf8(bytes.left(4 * kMaxHostNameLength))) {
        if (name.size() >= kMaxHostNameLength)
            break;
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Other_Surrogate || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph || c == QChar::ReplacementCharacter)
            continue;
        name += c;
    }
    return name.trimmed();
}

} // namespace

QList<QByteArray> record(const QString &hostName, int freeSeats)
{
    return {kHostKey + hostName.left(kMaxHostNameLength).toUtf8(),
            kFreeKey + QByteArray::number(qBound(0, freeSeats, kSeats))};
}

std::optional<Record> readRecord(const QList<QByteArray> &strings)
{
    Record result;
    bool freeSeen = false;
    for (const QByteArray &string : strings) {
        if (string.startsWith(kHostKey) && result.hostName.isEmpty()) {
            result.hostName = plainName(string.sliced(kHostKey.size()));
        } else if (string.startsWith(kFreeKey) && !freeSeen) {
            const QByteArray value = string.sliced(kFreeKey.size());
            if (value.size() != 1 || value[0] < '0' || value[0] > '0' + kSeats)
                return std::nullopt;
            result.freeSeats = value[0] - '0';
            freeSeen = true;
        }
    }
    if (!freeSeen)
        return std::nullopt;
    return result;
}

} // namespace lantable
