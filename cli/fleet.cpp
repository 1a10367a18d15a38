#include "fleet.h"

#include "core/strings.h"
#include "link/comm_port.h"
#include "link/ct_frames.h"
#include "params/data_image.h"

#include <QTimer>

namespace kzcli {

using namespace kz;

PortJob::PortJob(const QString &portName, QObject *parent) : QObject(parent), link_(portName) {}

void PortJob::start()
{
    QTimer::singleShot(0, this, &PortJob::runNext);
}

QStringList PortJob::notWritten() const
{
    QStringList out;
    for (const Step &s : steps_) {
        if (!s.block.isEmpty() && !written_.contains(s.block) && !unacknowledged_.contains(s.block))
            out.append(s.block);
    }
    return out;
}

void PortJob::requestStop()
{
    if (result_ != Result::Running || stopRequested_)
        return;
    stopRequested_ = true;
    link_.stop();
}

void PortJob::runNext()
{
    if (result_ != Result::Running)
        return;
    if (stopRequested_) {
        end(Result::Stopped, Str(3312));
        return;
    }
    if (next_ == steps_.size()) {
        end(Result::Ok, doneMessage_ ? doneMessage_() : QString());
        return;
    }
    const Step &step = steps_[next_];
    link_.TimeoutMs = step.timeoutMs;
    if (step.sendOnly) {
        if (link_.sendOnly(step.cmd, step.arg) == 1) {
            linkFailure_ = link_.lastFailure();
            end(Result::Failed, link_.failureText());
            return;
        }
        ++next_;
        emit progressed();
        if (step.after) {
            const QString error = step.after();
            if (!error.isEmpty()) {
                end(Result::Failed, error);
                return;
            }
        }
        QTimer::singleShot(0, this, &PortJob::runNext);
        return;
    }
    link_.start(step.cmd, step.replyLength, step.arg, [this](int r) {
        if (r == 1) {
            const Step &failed = steps_[next_];
            linkFailure_ = link_.lastFailure();
            // A block whose frame went out but whose reply never came may be in the controller.
            const bool sent = linkFailure_ != LinkFailure::PortNotOpened && linkFailure_ != LinkFailure::SendFailed;
            if (!failed.block.isEmpty() && sent)
                unacknowledged_.append(failed.block);
            if (linkFailure_ == LinkFailure::Stopped)
                end(Result::Stopped, Str(3312));
            else
                end(Result::Failed, link_.failureText());
            return;
        }
        const Step &done = steps_[next_];
        if (!done.block.isEmpty())
            written_.append(done.block);
        ++next_;
        emit progressed();
        if (done.after) {
            const QString error = done.after();
            if (!error.isEmpty()) {
                end(Result::Failed, error);
                return;
            }
        }
        // Queued, so that the exchange that just ended has unwound first.
        QTimer::singleShot(0, this, &PortJob::runNext);
    });
}

void PortJob::end(Result result, const QString &message)
{
    result_ = result;
    message_ = message;
    link_.forceClose();
    emit finished();
}

void AddCommMode(PortJob &job)
{
    job.add({QStringLiteral("0CM"), kCommModeReplyLength, QStringLiteral("1"), 1000, false, {}, {}});
}

void AddReadBlocks(PortJob &job, std::function<QString()> afterAll)
{
    for (int i = 0; i < kReadBlockCount; ++i) {
        Step step{QLatin1String(kReadCommand), kBlockReplyLength, QLatin1String(kReadBlocks[i]),
                  kBlockTimeoutMs, false, {}, {}};
        const bool last = i == kReadBlockCount - 1;
        step.after = [&job, last, afterAll] {
            job.replies.append(job.link().RecvData);
            return last && afterAll ? afterAll() : QString();
        };
        job.add(std::move(step));
    }
}

bool SetFromReplies(const QStringList &replies, ParameterSet *set)
{
    if (replies.size() != kReadBlockCount)
        return false;
    // The image rules live with the window's globals; one port at a time passes through them.
    const ParameterSet savedTemp = Temp;
    for (int i = 1; i <= kReadBlockCount; ++i)
        PSDA[i] = replies[i - 1];
    const bool ok = Extract2temp();
    if (ok)
        *set = Temp;
    Temp = savedTemp;
    return ok;
}

}  // namespace kzcli
