// Move mode: test moves of the feeder's axis, homing, stop, and the alarm reset.

#include "core/fit_text.h"
#include "core/prompts.h"
#include "core/strings.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

namespace kz {

void frmMain::cmdSelectMove_Click()
{
    Hold busy = holdBusy();
    disableMoveControls();
    moveStopRequested_ = false;
    const int target = ui->optPosiNo_0->isChecked() ? 1 : 2;
    session_->setCommunicationMode([this, busy, target](const Outcome &mode) {
        if (!mode.ok()) {
            sayNotConnected(mode);
            enableMoveControls();
            closePort();
            return;
        }
        moveStep(busy, target);
    });
}

// One move of a run: to target, then (Repeat) to the other position, until a stop is asked for
// at an arrival at position 1.
void frmMain::moveStep(const Hold &busy, int target)
{
    session_->move(target, [this, busy, target](const Outcome &moved) {
        const auto end = [this] {
            enableMoveControls();
            closePort();
        };
        if (!moved.ok()) {
            showFailure(moved);
            end();
            return;
        }
        const QString text = QString::number(target, 16).toUpper();
        ui->lblKanryoNo->setText(text);
        FitCaption(ui->lblKanryoNo);
        if (!ui->optPosiNo_2->isChecked() || (target == 1 && moveStopRequested_)) {
            end();
            return;
        }
        moveStep(busy, target == 1 ? 2 : 1);
    });
}

void frmMain::cmdHome_Click()
{
    Hold busy = holdBusy();
    disableMoveControls();
    session_->setCommunicationMode([this, busy](const Outcome &mode) {
        if (!mode.ok()) {
            sayNotConnected(mode);
            enableMoveControls();
            return;
        }
        session_->home([this, busy](const Outcome &homed) {
            if (homed.ok()) {
                ui->lblKanryoNo->setText(Str(460));
                FitCaption(ui->lblKanryoNo);
                closePort();
            } else {
                showFailure(homed);
            }
            enableMoveControls();
        });
    });
}

void frmMain::cmdStop_Click()
{
    if (!ui->cmdSelectMove->isEnabled())
        moveStopRequested_ = true;
}

void frmMain::cmdReset_Click()
{
    if (refuseWhileBusy())
        return;
    Hold busy = holdBusy();
    session_->resetAlarm([this, busy](const Outcome &reset) {
        if (reset.ok()) {
            ui->lblAlarmNo->clear();
            ui->lblErrorComment->clear();
            ui->imgAlarmLed->hide();
        } else if (reset.kind == Outcome::Kind::PortFailure) {
            MsgOk(Str(215) + link_->openFailureDetail());
        } else {
            showFailure(reset);
        }
        closePort();
    });
}

}  // namespace kz
