// Switching the controller between external start and communication mode, and its version.

#include "core/prompts.h"
#include "core/strings.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

namespace kz {

bool frmMain::refuseWhileBusy()
{
    if (!talking())
        return false;
    prompts().beep();
    return true;
}

void frmMain::mnuModeGaibu_Click()
{
    if (refuseWhileBusy())
        return;
    Hold hold = holdBracketed();
    session_->setCommunicationMode([this, hold](const Outcome &mode) {
        if (!mode.ok()) {
            sayNotConnected(mode);
            return;
        }
        session_->setExternalMode([this, hold](const Outcome &external) {
            if (external.ok()) {
                ui->imgAlarmLed->hide();
                MsgOk(Str(229));
            } else {
                // A reply that echoes something else than "0CM0" is taken as it is, without a word.
                showFailure(external);
            }
        });
    });
}

void frmMain::mnuModeTrancefer_Click()
{
    if (refuseWhileBusy())
        return;
    Hold hold = holdBracketed();
    session_->setCommunicationMode([this, hold](const Outcome &mode) {
        if (mode.ok()) {
            MsgOk(Str(230));
            return;
        }
        sayNotConnected(mode);
    });
}

void frmMain::mnuViewCtVersion_Click()
{
    if (refuseWhileBusy())
        return;
    Hold hold = holdBracketed();
    session_->setCommunicationMode([this, hold](const Outcome &mode) {
        if (!mode.ok()) {
            sayNotConnected(mode);
            closePort();
            return;
        }
        session_->readVersion([this, hold](const Outcome &read, const QString &version) {
            if (read.ok()) {
                MsgOk(Str(232) + version + Str(233));
            } else {
                showFailure(read);
                MsgOk(Str(231));
            }
            closePort();
        });
    });
}

}  // namespace kz
