#include "reach/routeranswer.h"

#include <QByteArray>
#include <QList>

namespace {

constexpr qsizetype kMaxField = 512;

QByteArray clean(const QString &text)
{
    QByteArray bytes = text.left(kMaxField).toUtf8();
    bytes.replace('\n', ' ');
    return bytes;
}

} // namespace

QByteArray encodeAnswer(const RouterAnswer &answer)
{
    QByteArray out;
    out += "method=" + QByteArray::number(int(answer.method)) + '\n';
    out += "mapped=" + QByteArray(answer.mapped ? "1" : "0") + '\n';
    out += "outside=" + clean(answer.outsideAddress) + '\n';
    out += "port=" + QByteArray::number(answer.outsidePort) + '\n';
    out += "lease=" + QByteArray::number(answer.leaseSeconds) + '\n';
    out += "lan=" + clean(answer.lanAddress) + '\n';
    out += "nooutside=" + QByteArray(answer.noOutsideAddress ? "1" : "0") + '\n';
    out += "failure=" + clean(answer.failure) + '\n';
    out += "control=" + clean(answer.controlUrl) + '\n';
    out += "service=" + clean(answer.serviceType) + '\n';
    return out;
}

RouterAnswer decodeAnswer(const QByteArray &bytes)
{
    RouterAnswer answer;
    bool complete = false;
    for (const QByteArray &line : bytes.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = line.left(equals);
        const QByteArray raw = line.mid(equals + 1).left(kMaxField);
        const QString value = QString::fromUtf8(raw);
        const int number = raw.toInt();
        if (key == "method" && number >= 0 && number <= int(RouterAnswer::Method::NatPmp))
            answer.method = RouterAnswer::Method(number);
        else if (key == "mapped")
            answer.mapped = raw == "1";
        else if (key == "outside")
            answer.outsideAddress = value;
        else if (key == "port" && number >= 0 && number <= 65535)
            answer.outsidePort = number;
        else if (key == "lease" && number >= 0)
            answer.leaseSeconds = number;
        else if (key == "lan")
            answer.lanAddress = value;
        else if (key == "nooutside")
            answer.noOutsideAddress = raw == "1";
        else if (key == "failure")
            answer.failure = value;
        else if (key == "control")
            answer.controlUrl = value;
        else if (key == "service") {
            answer.serviceType = value;
            complete = true; // the last line written
        }
    }
    if (!complete || (answer.mapped && answer.outsidePort == 0)) {
        RouterAnswer broken;
        broken.failure = QStringLiteral("the router search ended without an answer");
        return broken;
    }
    return answer;
}
