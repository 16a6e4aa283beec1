#include "protocol/message.h"

namespace wire {

QByteArray join(const char *name, const QList<QByteArray> &fields, bool trailing)
{
    QByteArray out(name);
    out += '+';
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += '+';
        out += fields[i];
    }
    if (trailing)
        out += '+';
    out += kTerminator;
    return out;
}

QByteArray flag(bool value)
{
    return value ? QByteArray("y") : QByteArray("n");
}
QByteArray number(int value)
{
    return QByteArray::number(value);
}

} // namespace wire
