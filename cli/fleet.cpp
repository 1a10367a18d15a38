#include "fleet.h"

#include "core/strings.h"

#include <QTimer>

namespace kzcli {

using namespace kz;

PortRun::PortRun(const QString &portName, int frameCount, QObject *parent)
    : QObject(parent), session_(portName), frameCount_(frameCount)
{
    connect(&session_, &ControllerSession::stepDone, this, [this](int done, int total) {
        framesDone_ = framesBefore_ + done;
        if (done == total)
            framesBefore_ = framesDone_;
        emit progressed();
    });
}

void PortRun::start(std::function<void(PortRun *)> first)
{
    then([this, first = std::move(first)] { first(this); });
}

void PortRun::requestStop()
{
    if (result_ != Result::Running || stopRequested_)
        return;
    stopRequested_ = true;
    session_.stop();
}

void PortRun::then(std::function<void()> next)
{
    // Queued, so that the operation that just ended has unwound first.
    QTimer::singleShot(0, this, [this, next = std::move(next)] {
        if (result_ != Result::Running)
            return;
        if (stopRequested_) {
            failureKind_ = QStringLiteral("stopped");
            end(Result::Stopped, Str(3312));
            return;
        }
        next();
    });
}

void PortRun::succeed(const QString &message)
{
    end(Result::Ok, message);
}

void PortRun::fail(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Kind::Stopped:
        failureKind_ = QStringLiteral("stopped");
        end(Result::Stopped, Str(3312));
        return;
    case Outcome::Kind::PortFailure: failureKind_ = QStringLiteral("port"); break;
    case Outcome::Kind::SendFailed:
    case Outcome::Kind::LineLost: failureKind_ = QStringLiteral("line-lost"); break;
    case Outcome::Kind::Timeout: failureKind_ = QStringLiteral("timeout"); break;
    case Outcome::Kind::Alarm:
        failureKind_ = QStringLiteral("alarm");
        alarmCode = outcome.alarmCode;
        break;
    case Outcome::Kind::EchoMismatch: failureKind_ = QStringLiteral("echo-mismatch"); break;
    case Outcome::Kind::LengthError: failureKind_ = QStringLiteral("length-error"); break;
    case Outcome::Kind::BadData:
    case Outcome::Kind::Success: failureKind_ = QStringLiteral("bad-reply"); break;
    }
    QString message = outcome.reason;
    if (outcome.kind == Outcome::Kind::BadData || message.isEmpty())
        message = Str(212);
    end(Result::Failed, message);
}

void PortRun::failWith(const QString &kind, const QString &message)
{
    failureKind_ = kind;
    end(Result::Failed, message);
}

void PortRun::end(Result result, const QString &message)
{
    if (result_ != Result::Running)
        return;
    result_ = result;
    message_ = message;
    session_.close();
    emit finished();
}

}  // namespace kzcli
