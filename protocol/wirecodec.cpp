#include "protocol/wirecodec.h"

#include "protocol/message.h"

#include <algorithm>
#include <utility>

namespace wire {

namespace {

template <class Variant, std::size_t... I>
std::optional<Variant> decodeByName(QByteArrayView name, QByteArrayView payload,
                                    std::index_sequence<I...>)
{
    std::optional<Variant> out;
    const auto tryOne = [&](auto type) {
        using T = typename decltype(type)::type;
        if (name != QByteArrayView(T::kName))
            return false;
        if (std::optional<T> m = T::decode(payload))
            out.emplace(std::move(*m));
        return true;
    };
    (tryOne(std::type_identity<std::variant_alternative_t<I, Variant>>{}) || ...);
    return out;
}

template <class Variant> std::optional<Variant> decode(QByteArrayView message)
{
    const qsizetype plus = message.indexOf('+');
    if (plus <= 0 || message.contains(kTerminator))
        return std::nullopt;
    return decodeByName<Variant>(message.first(plus), message.sliced(plus + 1),
                                 std::make_index_sequence<std::variant_size_v<Variant>>{});
}

template <class Variant, std::size_t... I> QList<QByteArray> namesOf(std::index_sequence<I...>)
{
    return {QByteArray(std::variant_alternative_t<I, Variant>::kName)...};
}

} // namespace

bool isLineToRelay(QByteArrayView message)
{
    const QByteArrayView name = message.first(std::max<qsizetype>(0, message.indexOf('+')));
    return name == toHost::kChatName || name == toHost::kActionName;
}

std::optional<ToHost> decodeToHost(QByteArrayView message)
{
    return decode<ToHost>(message);
}

std::optional<ToClient> decodeToClient(QByteArrayView message)
{
    return decode<ToClient>(message);
}

QByteArray encode(const ToHost &message)
{
    return std::visit([](const auto &m) { return m.encode(); }, message);
}

QByteArray encode(const ToClient &message)
{
    return std::visit([](const auto &m) { return m.encode(); }, message);
}

const QList<QByteArray> &hostCommandNames()
{
    static const QList<QByteArray> names =
        namesOf<ToHost>(std::make_index_sequence<std::variant_size_v<ToHost>>{});
    return names;
}

const QList<QByteArray> &clientCommandNames()
{
    static const QList<QByteArray> names =
        namesOf<ToClient>(std::make_index_sequence<std::variant_size_v<ToClient>>{});
    return names;
}

} // namespace wire
