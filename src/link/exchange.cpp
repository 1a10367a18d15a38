#include "link/exchange.h"

#include "core/strings.h"
#include "link/alarm.h"
#include "link/link.h"

namespace kz {

int &TimeoutMs = Link::Default().TimeoutMs;
bool &TimeoutFlag = Link::Default().TimeoutFlag;
bool &CommErrFlag = Link::Default().CommErrFlag;
QString &RecvData = Link::Default().RecvData;

bool ExchangeInProgress()
{
    return Link::Default().inProgress();
}

QString TimeoutMessage()
{
    return StrLines({1100, 1101, 1102, 1103});
}

QString AlarmMessage()
{
    return AlarmMessageFor(AlarmText);
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

int SendRecvCt(const QString &cmd, int expectedLength, const QString &arg)
{
    return Link::Default().sendRecv(cmd, expectedLength, arg);
}

int SendOnlyCt(const QString &cmd, int /*expectedLength*/, const QString &arg)
{
    return Link::Default().sendOnly(cmd, arg);
}

int SetCommMode()
{
    return Link::Default().setCommMode();
}

int ResetCt()
{
    return Link::Default().reset();
}

}  // namespace kz
