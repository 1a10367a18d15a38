#include "link/exchange.h"

#include "core/strings.h"

namespace kz {

QString TimeoutMessage()
{
    return StrLines({1100, 1101, 1102, 1103});
}

QString AlarmMessageFor(const QString &alarmText)
{
    return Str(215) + QLatin1String("\r\n[") + alarmText + QLatin1Char(']');
}

QString LengthErrorMessage()
{
    return StrLines({1105, 1106});
}

QString EchoMismatchMessage()
{
    return Str(3000);
}

QString LineLostMessage(const QString &reason)
{
    QString text = Str(3320);
    if (!reason.isEmpty())
        text += QLatin1String("\r\n") + Str(3321).arg(reason);
    return text + QLatin1String("\r\n") + Str(3322);
}

}  // namespace kz
