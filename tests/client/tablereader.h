#pragma once

#include "client/tablemodel.h"
#include "protocol/wirecodec.h"

#include <QByteArray>
#include <optional>

namespace tabletest {

// One host message into the model as the window takes it: the own cards
// turned face up as dealt (unless they stay face down for a blind bid), a
// card taken out of the hand when used. Gives the message decoded.
inline std::optional<wire::ToClient> takeIn(TableModel &model, const QByteArray &message,
                                            bool turnUp = true)
{
    const std::optional<wire::ToClient> decoded = wire::decodeToClient(message);
    if (!decoded)
        return decoded;
    model.apply(*decoded);
    if (turnUp)
        for (const wire::CardInSlot &c : model.takeDealt())
            model.addCard(c.position, c.card);
    if (const auto *used = std::get_if<wire::toClient::UseCard>(&*decoded))
        model.removeCard(used->handPosition);
    return decoded;
}

} // namespace tabletest
