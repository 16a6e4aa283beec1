#pragma once

#include <QByteArrayView>
#include <optional>

// Reading the fields of one message. Every receiver reads from the left by the
// same rule: the next field is the text before the first "+", which is then cut
// off together with its "+". When no "+" is left, the field read is empty and
// the rest stays as it is. A text field is whatever rest remains.
namespace wire {

// Strict decimal conversion: an optional "-", then digits only (leading zeros
// allowed), within the range of int. No blanks, no "+" sign.
std::optional<int> toInt(QByteArrayView text);

// A value that converted and lies in [low, high]; nothing otherwise.
constexpr std::optional<int> within(std::optional<int> value, int low, int high)
{
    if (value && *value >= low && *value <= high)
        return value;
    return std::nullopt;
}

// The cutting rule over a view of one payload. The view must outlive it.
class Fields
{
public:
    explicit Fields(QByteArrayView payload) : m_rest(payload) {}

    QByteArrayView next();
    std::optional<int> nextInt() { return toInt(next()); }

    // The next field, or, when no "+" is left, the whole rest, which is then
    // used up: a last field that may come without its trailing "+".
    QByteArrayView nextOrRest();

    // The rest up to its first "+", or all of it when there is none; the rest
    // itself is left alone. A last field read with or without the trailing
    // "+" and with anything after it ignored.
    QByteArrayView lastField() const;

    QByteArrayView rest() const { return m_rest; }
    bool atEnd() const { return m_rest.isEmpty(); }

private:
    QByteArrayView m_rest;
};

} // namespace wire
