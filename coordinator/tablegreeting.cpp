#include "coordinator/tablegreeting.h"

#include "protocol/clientmessages.h"

namespace reach {

std::optional<bool> isTableGreeting(QByteArrayView firstBytes)
{
    using wire::toClient::SendLoginInfo;
    const qsizetype end = firstBytes.indexOf('\xFF');
    if (end < 0)
        return firstBytes.size() >= kLongestGreeting ? std::optional(false) : std::nullopt;
    const QByteArrayView message = firstBytes.first(end);
    const QByteArrayView prefix = QByteArrayView(SendLoginInfo::kName);
    if (!message.startsWith(prefix) || message.size() <= prefix.size() ||
        message[prefix.size()] != '+')
        return false;
    return SendLoginInfo::decode(message.sliced(prefix.size() + 1)).has_value();
}

} // namespace reach
