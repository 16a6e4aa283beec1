#include "protocol/fields.h"

#include <cstdint>

namespace wire {

std::optional<int> toInt(QByteArrayView text)
{
    const bool negative = text.startsWith('-');
    const qsizetype first = negative ? 1 : 0;
    // Ten digits hold every int; more cannot, whatever their value.
    if (first >= text.size() || text.size() - first > 10)
        return std::nullopt;
    long long value = 0;
    for (qsizetype i = first; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

QByteArrayView Fields::next()
{
    const qsizetype plus = m_rest.indexOf('+');
    if (plus < 0)
        return {};
    const QByteArrayView field = m_rest.first(plus);
    m_rest = m_rest.sliced(plus + 1);
    return field;
}

QByteArrayView Fields::nextOrRest()
{
    if (m_rest.contains('+'))
        return next();
    const QByteArrayView field = m_rest;
    m_rest = {};
    return field;
}

QByteArrayView Fields::lastField() const
{
    const qsizetype plus = m_rest.indexOf('+');
    return plus < 0 ? m_rest : m_rest.first(plus);
}

} // namespace wire
