// Move mode: test moves of the feeder's axis, homing, stop, and the alarm reset.

#include "core/fit_text.h"
#include "core/prompts.h"
#include "core/strings.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

namespace kz {

bool MoveStopRequest = false;

void frmMain::cmdSelectMove_Click()
{
    Busy busy(this);
    disableMoveControls();
    MoveStopRequest = false;
    if (OpenCommPort() == 1 || SetCommMode() == 1) {
        MsgOk(Str(215) + PortFailureDetail());
    } else {
        int target = ui->optPosiNo_0->isChecked() ? 1 : 2;
        for (;;) {
            const QString text = QString::number(target, 16).toUpper();
            TimeoutMs = 5000;
            if (SendRecvCt(QStringLiteral("0MP"), 12, text) == 1)
                break;
            ui->lblKanryoNo->setText(text);
            FitCaption(ui->lblKanryoNo);
            if (!ui->optPosiNo_2->isChecked())
                break;
            target = target == 1 ? 2 : 1;
            if (text == QLatin1String("1") && MoveStopRequest)
                break;
        }
    }
    enableMoveControls();
    CloseCommPort();
}

void frmMain::cmdHome_Click()
{
    Busy busy(this);
    disableMoveControls();
    if (OpenCommPort() == 1 || SetCommMode() == 1) {
        MsgOk(Str(215) + PortFailureDetail());
    } else {
        TimeoutMs = 5000;
        if (SendRecvCt(QStringLiteral("0MP"), 12, QStringLiteral("0")) == 0) {
            ui->lblKanryoNo->setText(Str(460));
            FitCaption(ui->lblKanryoNo);
            CloseCommPort();
        }
    }
    enableMoveControls();
}

void frmMain::cmdStop_Click()
{
    if (!ui->cmdSelectMove->isEnabled())
        MoveStopRequest = true;
}

void frmMain::cmdReset_Click()
{
    if (refuseWhileBusy())
        return;
    Busy busy(this);
    if (OpenCommPort() == 1) {
        MsgOk(Str(215) + PortFailureDetail());
    } else {
        TimeoutMs = 5000;
        if (SendRecvCt(QStringLiteral("0%C"), 7, QString()) == 0 && SetCommMode() == 0) {
            ui->lblAlarmNo->clear();
            ui->lblErrorComment->clear();
            ui->imgAlarmLed->hide();
        }
    }
    CloseCommPort();
}

}  // namespace kz
