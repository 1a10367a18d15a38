// The main window's transfers with the controller: read the parameter set, write it back.

#include "core/prompts.h"
#include "core/strings.h"
#include "link/ct_frames.h"
#include "link/exchange.h"
#include "link/frmTrance.h"
#include "link/port.h"
#include "main_window/bracket.h"
#include "main_window/frmMain.h"
#include "params/data_image.h"
#include "params/parameter_set.h"

#include <QLabel>
#include <QProgressBar>

namespace kz {

namespace {

// The transfer window for the length of one transfer; unloaded on every path.
class TransferWindow {
public:
    explicit TransferWindow(QWidget *owner) : window_(new frmTrance(owner))
    {
        window_->setAttribute(Qt::WA_DeleteOnClose);
        window_->show();
    }
    ~TransferWindow() { window_->unload(); }
    TransferWindow(const TransferWindow &) = delete;
    TransferWindow &operator=(const TransferWindow &) = delete;
    frmTrance *operator->() const { return window_; }

private:
    frmTrance *window_;
};

}  // namespace

void frmMain::cmdGetfromCt_Click()
{
    readAndShow(true);
}

void frmMain::readAtStartup()
{
    readAndShow(false);
}

void frmMain::readAndShow(bool ask)
{
    Bracket bracket(this);
    if (ask && !AcceptFocusedField())
        return;
    if (ask) {
        if (document_.changed) {
            switch (prompts().message(Str(210), MsgButtons::YesNoCancel, MsgIcon::Question)) {
            case MsgAnswer::Yes:
                // The edits exist nowhere else: without a saved copy the read does not replace them.
                if (saveAs(Str(3005)) != SaveOutcome::Saved)
                    return;
                break;
            case MsgAnswer::No:
                break;
            default:
                return;
            }
        } else if (prompts().message(Str(211), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes) {
            return;
        }
    }
    if (readControllerBlocks() == 1) {
        MsgOk(Str(212) + PortFailureDetail());
        CommErrFlag = false;
        return;
    }
    document_.makeStagedCurrent();
    ScreenFill();
    document_.name = Str(213);
    document_.path.clear();
    ShowDataName();
    document_.changed = false;
}

int frmMain::readControllerBlocks()
{
    Busy busy(this);
    TransferWindow trance(this);
    trance->lblSetumei()->setText(Str(201));
    auto fail = [] {
        CloseCommPort();
        return 1;
    };
    if (OpenCommPort() == 1 || SetCommMode() == 1)
        return fail();
    trance->lblSetumei()->setText(Str(202));
    trance->prgBar1()->setMaximum(6);
    for (int i = 1; i <= kReadBlockCount; ++i) {
        TimeoutMs = kBlockTimeoutMs;
        if (SendRecvCt(QLatin1String(kReadCommand), kBlockReplyLength, QLatin1String(kReadBlocks[i - 1])) == 1)
            return fail();
        document_.blocks[i] = RecvData;
        trance->prgBar1()->setValue(i);
    }
    // Replies that passed the link's checks but carry no hexadecimal data are not staged.
    if (!StageReadReplies(document_.blocks, document_.staged))
        return fail();
    CommErrFlag = false;
    CloseCommPort();
    return 0;
}

void frmMain::cmdLoadtoCt_Click()
{
    Bracket bracket(this);
    if (!AcceptFocusedField() || TakeScreen() == 1)
        return;
    if (prompts().message(Str(216), MsgButtons::OkCancel, MsgIcon::Question) != MsgAnswer::Ok)
        return;
    if (OpenCommPort() == 1) {
        MsgOk(Str(215) + PortFailureDetail());  // tell the user, as a read does, rather than ending silently
        return;
    }
    if (SetCommMode() == 1) {
        CommErrFlag = false;
        return;
    }
    if (BuildWriteBlocks(document_.current, document_.blocks, ParameterGroupsActive()) == 1)
        return;
    if (writeControllerBlocks() == 1) {
        MsgOk(Str(217));
        return;
    }
    if (prompts().message(StrLines({218, 219}), MsgButtons::OkCancel, MsgIcon::Question) == MsgAnswer::Ok) {
        if (ResetCt() == 1)
            return;
        MsgOk(Str(220));
    }
    document_.changed = false;
    CloseCommPort();
}

int frmMain::writeControllerBlocks()
{
    Busy busy(this);
    TransferWindow trance(this);
    trance->prgBar1()->setMaximum(7);
    trance->lblSetumei()->setText(Str(214));
    auto fail = [] {
        CloseCommPort();
        return 1;
    };
    if (OpenCommPort() == 1 || SetCommMode() == 1)
        return fail();
    for (int i : WriteSlots(ParameterGroupsActive())) {
        TimeoutMs = kBlockTimeoutMs;
        if (SendRecvCt(QLatin1String(kWriteCommand), kBlockReplyLength, document_.blocks[i]) == 1)
            return fail();
        trance->prgBar1()->setValue(i);
    }
    CloseCommPort();
    return 0;
}

}  // namespace kz
