// The main window's transfers with the controller: read the parameter set, write it back.

#include "core/prompts.h"
#include "core/strings.h"
#include "link/ct_frames.h"
#include "link/frmTrance.h"
#include "link/port.h"
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
    Hold hold = holdBracketed();
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
    readControllerBlocks([this, hold](const Outcome &outcome) {
        if (!outcome.ok()) {
            MsgOk(Str(212) + portFailureDetail(outcome));
            return;
        }
        document_.makeStagedCurrent();
        ScreenFill();
        document_.name = Str(213);
        document_.path.clear();
        ShowDataName();
        document_.changed = false;
    });
}

void frmMain::readControllerBlocks(std::function<void(const Outcome &)> done)
{
    auto trance = std::make_shared<TransferWindow>(this);
    (*trance)->lblSetumei()->setText(Str(201));
    auto progress = connect(session_.get(), &ControllerSession::stepDone, this, [trance](int step, int) {
        // The first step is the communication mode; then one step per block.
        if (step == 1) {
            (*trance)->lblSetumei()->setText(Str(202));
            (*trance)->prgBar1()->setMaximum(6);
        } else {
            (*trance)->prgBar1()->setValue(step - 1);
        }
    });
    session_->readParameters([this, trance, progress, done = std::move(done)](const Outcome &outcome,
                                                                              const ParameterSet &set) mutable {
        disconnect(progress);
        const QStringList replies = session_->readReplies();
        for (int i = 0; i < replies.size(); ++i)
            document_.blocks[i + 1] = replies[i];
        if (outcome.ok())
            document_.staged = set;
        else
            showFailure(outcome);
        closePort();
        trance.reset();
        done(outcome);
    });
}

void frmMain::cmdLoadtoCt_Click()
{
    Hold hold = holdBracketed();
    if (!AcceptFocusedField() || TakeScreen() == 1)
        return;
    if (prompts().message(Str(216), MsgButtons::OkCancel, MsgIcon::Question) != MsgAnswer::Ok)
        return;
    session_->setCommunicationMode([this, hold](const Outcome &mode) {
        if (!mode.ok()) {
            // A port that did not open is said, as a read says it, rather than ending silently.
            if (mode.kind == Outcome::Kind::PortFailure)
                MsgOk(Str(215) + link_->openFailureDetail());
            else
                showFailure(mode);
            return;
        }
        if (BuildWriteBlocks(document_.current, document_.blocks, ParameterGroupsActive()) == 1)
            return;
        writeControllerBlocks([this, hold](const Outcome &written) {
            if (!written.ok()) {
                MsgOk(Str(217));
                return;
            }
            if (prompts().message(StrLines({218, 219}), MsgButtons::OkCancel, MsgIcon::Question) != MsgAnswer::Ok) {
                document_.changed = false;
                closePort();
                return;
            }
            session_->reset([this, hold](const Outcome &reset) {
                closePort();
                if (!reset.ok()) {
                    showFailure(reset);
                    return;
                }
                MsgOk(Str(220));
                document_.changed = false;
            });
        });
    });
}

void frmMain::writeControllerBlocks(std::function<void(const Outcome &)> done)
{
    auto trance = std::make_shared<TransferWindow>(this);
    (*trance)->prgBar1()->setMaximum(7);
    (*trance)->lblSetumei()->setText(Str(214));
    const QList<int> sent = WriteSlots(ParameterGroupsActive());
    auto progress = connect(session_.get(), &ControllerSession::stepDone, this, [trance, sent](int step, int) {
        // The first step is the communication mode; then one step per block sent.
        if (step >= 2 && step - 2 < sent.size())
            (*trance)->prgBar1()->setValue(sent[step - 2]);
    });
    session_->writeParameters(document_.current, ParameterGroupsActive(),
                              [this, trance, progress, done = std::move(done)](const Outcome &outcome,
                                                                               const WriteAccount &) mutable {
                                  disconnect(progress);
                                  if (!outcome.ok())
                                      showFailure(outcome);
                                  closePort();
                                  trance.reset();
                                  done(outcome);
                              });
}

}  // namespace kz
