// Switching the controller between external start and communication mode, and its version.

#include "core/prompts.h"
#include "core/strings.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/bracket.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

namespace kz {

bool frmMain::refuseWhileBusy()
{
    if (!isBusy() && !ExchangeInProgress())
        return false;
    prompts().beep();
    return true;
}

void frmMain::mnuModeGaibu_Click()
{
    if (refuseWhileBusy())
        return;
    Bracket bracket(this);
    if (OpenCommPort() == 1 || SetCommMode() == 1) {
        MsgOk(Str(215) + PortFailureDetail());
        return;
    }
    TimeoutMs = 5000;
    if (SendRecvCt(QStringLiteral("0CM0"), 6, QString()) == 1)
        return;
    if (RecvData.left(4) == QLatin1String("0CM0")) {
        ui->imgAlarmLed->hide();
        MsgOk(Str(229));
    }
}

void frmMain::mnuModeTrancefer_Click()
{
    if (refuseWhileBusy())
        return;
    Bracket bracket(this);
    const bool switched = OpenCommPort() == 0 && SetCommMode() == 0;
    MsgOk(switched ? Str(230) : Str(215) + PortFailureDetail());
}

void frmMain::mnuViewCtVersion_Click()
{
    if (refuseWhileBusy())
        return;
    Bracket bracket(this);
    if (OpenCommPort() == 1 || SetCommMode() == 1) {
        MsgOk(Str(215) + PortFailureDetail());
    } else {
        TimeoutMs = 5000;
        if (SendRecvCt(QStringLiteral("0RV"), 11, QString()) == 1)
            MsgOk(Str(231));
        else
            MsgOk(Str(232) + RecvData.mid(3, 3) + Str(233));
    }
    CloseCommPort();
}

}  // namespace kz
