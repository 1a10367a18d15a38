#include "link/controller_session.h"

#include "core/strings.h"
#include "link/ct_frames.h"
#include "link/exchange.h"
#include "params/data_image.h"

#include <QTimer>

#include <memory>

namespace kz {

QString FailureMessage(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Timeout: return TimeoutMessage();
    case Outcome::Kind::LineLost: return LineLostMessage(outcome.lostReason);
    case Outcome::Kind::Alarm: return AlarmMessageFor(outcome.alarmText);
    case Outcome::Kind::EchoMismatch: return EchoMismatchMessage();
    case Outcome::Kind::LengthError: return LengthErrorMessage();
    case Outcome::Kind::Success:
    case Outcome::Kind::PortFailure:
    case Outcome::Kind::SendFailed:
    case Outcome::Kind::BadData:
    case Outcome::Kind::Stopped: break;
    }
    return {};
}

ControllerSession::ControllerSession(const QString &portName, QObject *parent)
    : QObject(parent), ownLink_(std::make_unique<Link>(portName)), link_(*ownLink_)
{
}

ControllerSession::ControllerSession(Link &link, QObject *parent) : QObject(parent), link_(link) {}

ControllerSession::~ControllerSession()
{
    if (!busy_)
        return;
    // The link may outlive the session: its exchange must not call back into it.
    done_ = nullptr;
    onReply_ = nullptr;
    stopRequested_ = true;
    link_.stop();
}

void ControllerSession::stop()
{
    if (!busy_ || stopRequested_)
        return;
    stopRequested_ = true;
    link_.stop();
}

Outcome OutcomeOf(const Link &link)
{
    Outcome o;
    switch (link.lastFailure()) {
    case LinkFailure::PortNotOpened: o.kind = Outcome::Kind::PortFailure; break;
    case LinkFailure::SendFailed: o.kind = Outcome::Kind::SendFailed; break;
    case LinkFailure::Timeout: o.kind = Outcome::Kind::Timeout; break;
    case LinkFailure::LineLost: o.kind = Outcome::Kind::LineLost; break;
    case LinkFailure::Alarm: o.kind = Outcome::Kind::Alarm; break;
    case LinkFailure::EchoMismatch: o.kind = Outcome::Kind::EchoMismatch; break;
    case LinkFailure::LengthError: o.kind = Outcome::Kind::LengthError; break;
    case LinkFailure::Stopped: o.kind = Outcome::Kind::Stopped; break;
    case LinkFailure::None: o.kind = Outcome::Kind::Success; break;
    }
    o.reason = link.failureText();
    if (o.kind == Outcome::Kind::LineLost)
        o.lostReason = link.lostReason();
    if (o.kind == Outcome::Kind::Alarm) {
        o.alarmCode = link.alarmCode();
        o.alarmText = link.alarmText();
    }
    return o;
}

namespace {

// The outcome of a step that failed: never a success, whatever the link says.
Outcome FailureOf(const Link &link)
{
    Outcome o = OutcomeOf(link);
    if (o.ok())
        o.kind = Outcome::Kind::SendFailed;
    return o;
}

}  // namespace

void ControllerSession::run(QList<Step> steps, std::function<void(int, const QString &)> onReply,
                            std::function<void(const Outcome &)> done)
{
    if (busy_) {
        // One operation at a time: the caller's guard should have kept this one back.
        Outcome o;
        o.kind = Outcome::Kind::SendFailed;
        o.reason = QStringLiteral("busy");
        if (done)
            done(o);
        return;
    }
    busy_ = true;
    stopRequested_ = false;
    steps_ = std::move(steps);
    next_ = 0;
    onReply_ = std::move(onReply);
    done_ = std::move(done);
    account_ = {};
    for (const Step &s : steps_) {
        if (!s.block.isEmpty())
            account_.notWritten.append(s.block);
    }
    QTimer::singleShot(0, this, &ControllerSession::runNext);
}

void ControllerSession::runNext()
{
    if (stopRequested_) {
        Outcome o;
        o.kind = Outcome::Kind::Stopped;
        finish(o);
        return;
    }
    if (next_ == steps_.size()) {
        finish({});
        return;
    }
    const Step &step = steps_[next_];
    link_.timeoutMs = step.timeoutMs;
    if (step.replyLength == 0) {
        if (link_.sendOnly(step.command, step.argument) == 1) {
            finish(FailureOf(link_));
            return;
        }
        ++next_;
        emit stepDone(next_, int(steps_.size()));
        QTimer::singleShot(0, this, &ControllerSession::runNext);
        return;
    }
    link_.start(step.command, step.replyLength, step.argument, [this](int result) {
        const Step &done = steps_[next_];
        if (result == 1) {
            const Outcome failure = FailureOf(link_);
            // A block whose frame went out but whose reply never came may be in the controller.
            const bool sent = failure.kind != Outcome::Kind::PortFailure && failure.kind != Outcome::Kind::SendFailed;
            if (!done.block.isEmpty() && sent) {
                account_.notWritten.removeOne(done.block);
                account_.unacknowledged.append(done.block);
            }
            finish(failure);
            return;
        }
        if (!done.block.isEmpty()) {
            account_.notWritten.removeOne(done.block);
            account_.written.append(done.block);
        }
        if (onReply_)
            onReply_(next_, link_.reply());
        ++next_;
        emit stepDone(next_, int(steps_.size()));
        // Queued, so that the exchange that just ended has unwound first.
        QTimer::singleShot(0, this, &ControllerSession::runNext);
    });
}

void ControllerSession::finish(const Outcome &outcome)
{
    busy_ = false;
    stopRequested_ = false;
    const auto done = std::move(done_);
    done_ = nullptr;
    onReply_ = nullptr;
    if (outcome.kind == Outcome::Kind::Stopped)
        link_.forceClose();
    if (done)
        done(outcome);
}


void ControllerSession::readParameters(std::function<void(const Outcome &, const ParameterSet &)> done)
{
    QList<Step> steps{{QLatin1String(kCommModeFrame.command), QLatin1String(kCommModeFrame.argument),
                       kCommModeFrame.replyLength, kCommModeFrame.timeoutMs, {}}};
    for (const char *block : kReadBlocks)
        steps.append({QLatin1String(kReadCommand), QLatin1String(block), kBlockReplyLength, kBlockTimeoutMs, {}});
    auto replies = std::make_shared<QStringList>();
    readReplies_.clear();
    run(std::move(steps),
        [this, replies](int index, const QString &reply) {
            if (index > 0) {
                replies->append(reply);
                readReplies_ = *replies;
            }
        },
        [replies, done = std::move(done)](const Outcome &outcome) {
            if (!outcome.ok()) {
                done(outcome, {});
                return;
            }
            // Replies that passed the link's checks but carry no hexadecimal data are not taken.
            const auto set = ParametersFromReplies(*replies);
            if (!set) {
                Outcome bad;
                bad.kind = Outcome::Kind::BadData;
                done(bad, {});
                return;
            }
            done(outcome, *set);
        });
}

void ControllerSession::writeParameters(const ParameterSet &set, bool groupsActive,
                                        std::function<void(const Outcome &, const WriteAccount &)> done)
{
    const auto blocks = WriteBlocksFor(set);
    if (!blocks) {
        Outcome bad;
        bad.kind = Outcome::Kind::BadData;
        bad.reason = StrLines({248, 249});
        done(bad, {});
        return;
    }
    QList<Step> steps{{QLatin1String(kCommModeFrame.command), QLatin1String(kCommModeFrame.argument),
                       kCommModeFrame.replyLength, kCommModeFrame.timeoutMs, {}}};
    for (int slot : WriteSlots(groupsActive))
        steps.append({QLatin1String(kWriteCommand), (*blocks)[slot], kBlockReplyLength, kBlockTimeoutMs,
                      (*blocks)[slot].left(2)});
    run(std::move(steps), {}, [this, done = std::move(done)](const Outcome &outcome) { done(outcome, account_); });
}

void ControllerSession::reset(std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kCommModeFrame.command), QLatin1String(kCommModeFrame.argument), kCommModeFrame.replyLength,
          kCommModeFrame.timeoutMs, {}},
         {QLatin1String(kResetFrameSpec.command), QString(), 0, kResetFrameSpec.timeoutMs, {}}},
        {}, std::move(done));
}

void ControllerSession::setCommunicationMode(std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kCommModeFrame.command), QLatin1String(kCommModeFrame.argument), kCommModeFrame.replyLength,
          kCommModeFrame.timeoutMs, {}}},
        {}, std::move(done));
}

void ControllerSession::setExternalMode(std::function<void(const Outcome &)> done)
{
    auto echoed = std::make_shared<bool>(false);
    run({{QLatin1String(kExternalModeFrameSpec.command), QString(), kExternalModeFrameSpec.replyLength,
          kExternalModeFrameSpec.timeoutMs, {}}},
        [echoed](int, const QString &reply) { *echoed = reply.left(4) == QLatin1String(kExternalModeFrame); },
        [echoed, done = std::move(done)](const Outcome &outcome) {
            if (outcome.ok() && !*echoed) {
                Outcome bad;
                bad.kind = Outcome::Kind::BadData;
                done(bad);
                return;
            }
            done(outcome);
        });
}

void ControllerSession::readVersion(std::function<void(const Outcome &, const QString &)> done)
{
    auto version = std::make_shared<QString>();
    run({{QLatin1String(kVersionFrame.command), QString(), kVersionFrame.replyLength, kVersionFrame.timeoutMs, {}}},
        [version](int, const QString &reply) { *version = VersionOf(reply); },
        [version, done = std::move(done)](const Outcome &outcome) { done(outcome, *version); });
}

void ControllerSession::move(int target, std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kMoveCommand), MoveArgument(target), kMoveReplyLength, kMoveTimeoutMs, {}}}, {}, std::move(done));
}

void ControllerSession::home(std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kMoveCommand), QLatin1String(kHomeTarget), kMoveReplyLength, kMoveTimeoutMs, {}}}, {},
        std::move(done));
}

void ControllerSession::resetAlarm(std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kAlarmResetFrame.command), QString(), kAlarmResetFrame.replyLength, kAlarmResetFrame.timeoutMs, {}},
         {QLatin1String(kCommModeFrame.command), QLatin1String(kCommModeFrame.argument), kCommModeFrame.replyLength,
          kCommModeFrame.timeoutMs, {}}},
        {}, std::move(done));
}

void ControllerSession::readInputsOutputs(std::function<void(const Outcome &, const QString &)> done)
{
    auto reply = std::make_shared<QString>();
    run({{QLatin1String(kInputOutputFrame.command), QLatin1String(kInputOutputFrame.argument),
          kInputOutputFrame.replyLength, kInputOutputFrame.timeoutMs, {}}},
        [reply](int, const QString &r) { *reply = r; },
        [reply, done = std::move(done)](const Outcome &outcome) { done(outcome, *reply); });
}

void ControllerSession::switchOutputs(int value, std::function<void(const Outcome &)> done)
{
    run({{QLatin1String(kSwitchOutputsCommand), SwitchOutputsArgument(value), kSwitchOutputsReplyLength,
          kInputOutputTimeoutMs, {}}},
        {}, std::move(done));
}

}  // namespace kz
