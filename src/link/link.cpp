#include "link/link.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "link/alarm.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "link/port_diag.h"
#include "link/port_settings.h"
#include "link/qt_comm_port.h"
#include "link/tcp_comm_port.h"
#include "link/traffic.h"

#include <QRegularExpression>
#include <QTimer>

namespace kz {

namespace {

// What one wait collected: the text kept (at most kMaxReplyKept characters), its full length,
// and the last two characters received.
struct Reply {
    QByteArray kept;
    qint64 length = 0;
    QByteArray lastTwo;

    void append(const QByteArray &bytes)
    {
        if (bytes.isEmpty())
            return;
        const qsizetype room = kMaxReplyKept - kept.size();
        if (room > 0)
            kept.append(bytes.left(room));
        length += bytes.size();
        lastTwo = (lastTwo + bytes).right(2);
    }
    bool complete() const { return lastTwo == "\r\n"; }
    QString text() const { return QString::fromLatin1(kept); }
};

// "COMn" with n from 1 to 32, else 0.
int ComNumber(const QString &name)
{
    static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,2})$"), QRegularExpression::CaseInsensitiveOption);
    const auto m = com.match(name);
    if (!m.hasMatch())
        return 0;
    const int n = m.captured(1).toInt();
    return n >= 1 && n <= 32 ? n : 0;
}

// A precise single-shot timer: a coarse timer may fire 5 % early, and a controller gets its full time.
class PreciseReplyTimer final : public ReplyTimer {
public:
    PreciseReplyTimer()
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, &ReplyTimer::timeout);
    }
    void start(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

}  // namespace

// One reply wait: what has arrived, and what follows once it ends.
struct Link::Wait {
    Reply reply;
    bool lost = false;
    bool stopped = false;
    QMetaObject::Connection readyRead, timeout, lineLost;
    std::function<void()> then;
};

bool IsNetworkAddress(const QString &device)
{
    return device.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive);
}

QString ResolvePortName(const QString &name)
{
    if (const int n = ComNumber(name))
        return PortDevicePath(n);
    if (IsNetworkAddress(name)) {
        QString host;
        quint16 port = 0;
        return ParseNetworkAddress(name, &host, &port) ? name : QString();
    }
    if (name.startsWith(QLatin1Char('/')))
        return name;
    return {};
}

Link::Link(NumberedPort, const PortChoice &choice, QObject *parent) : QObject(parent), numbered_(true), choice_(choice)
{
}

Link::Link(const QString &address, QObject *parent)
    : QObject(parent), numbered_(false), address_(address), device_(ResolvePortName(address)),
      ownPort_(std::make_unique<DeviceCommPort>())
{
}

Link::~Link()
{
    if (ownPort_)
        ownPort_->close();
}

QString Link::openFailureDetail() const
{
    return openFailure_ ? DescribePortFailure(*openFailure_) : QString();
}

QString Link::name() const
{
    return numbered_ ? QStringLiteral("COM%1").arg(choice_.number) : address_;
}

QString Link::device() const
{
    return numbered_ ? PortDevicePath(choice_.number) : device_;
}

CommPort &Link::port()
{
    return numbered_ ? Port() : *ownPort_;
}

ReplyTimer &Link::timer()
{
    if (testTimer_)
        return *testTimer_;
    if (!timer_)
        timer_ = std::make_unique<PreciseReplyTimer>();
    return *timer_;
}

int Link::open()
{
    CommPort &p = port();
    if (numbered_) {
        failureText_.clear();
        if (choice_.number < 1 || choice_.number > 32)
            LoadPortNo(choice_);
        if (p.isOpen()) {
            openFailure_.reset();
            return 0;
        }
        QString device;
        QString error;
        if (OpenPortNumber(p, choice_.number, choice_.baudIndex, &device, &error) == 0) {
            openFailure_.reset();
            return 0;
        }
        openFailure_ = std::make_unique<PortDiagnosis>(DiagnoseOpenFailure(choice_.number, device, error));
        failure_ = LinkFailure::PortNotOpened;
        failureText_ = openFailureDetail().trimmed();
        failureText_.replace(QLatin1String("\r\n"), QLatin1String(" "));
        report(TrafficKind::OpenFailed, {}, openFailureDetail().trimmed());
        return 1;
    }
    if (p.isOpen())
        return 0;
    failureText_.clear();
    if (device_.isEmpty()) {
        openFailed(Str(3301).arg(address_));
        return 1;
    }
    const bool accessible = IsNetworkAddress(device_) || DeviceAccessible(device_);
    if (accessible && p.open(device_) && p.configure(LineSettingsText(choice_.baudIndex)))
        return 0;
    addressOpenFailed();
    return 1;
}

// Opens the port without holding up the event loop (a network connection is waited for by
// signal), then runs next with the outcome. The numbered port opens at once.
void Link::openThen(std::function<void(bool)> next)
{
    if (numbered_ || port().isOpen() || device_.isEmpty()) {
        next(open() == 0);
        return;
    }
    failureText_.clear();
    if (!IsNetworkAddress(device_) && !DeviceAccessible(device_)) {
        addressOpenFailed();
        next(false);
        return;
    }
    opening_ = true;
    stopRequested_ = false;
    port().openAsync(device_, [this, next = std::move(next)](bool opened) {
        opening_ = false;
        if (stopRequested_) {
            stopRequested_ = false;
            port().close();
            failure_ = LinkFailure::Stopped;
            failureText_ = Str(3312);
            next(false);
            return;
        }
        if (opened && port().configure(LineSettingsText(choice_.baudIndex))) {
            next(true);
            return;
        }
        addressOpenFailed();
        next(false);
    });
}

void Link::stop()
{
    if (opening_) {
        stopRequested_ = true;
        port().cancelOpen();
    } else if (waiting_) {
        wait_->stopped = true;
        endWait();
    }
}

void Link::stopped()
{
    report(TrafficKind::Stopped);
    failure_ = LinkFailure::Stopped;
    failureText_ = Str(3312);
    forceClose();
    finish(1);
}

void Link::addressOpenFailed()
{
    CommPort &p = port();
    const QString error = p.errorText();
    p.close();
    if (const int n = ComNumber(address_))
        openFailed(DescribePortFailure(DiagnoseOpenFailure(n, device_, error)).trimmed());
    else
        openFailed(Str(3300).arg(address_, error.isEmpty() ? Str(3302) : error));
}

// Keeps the reason the port did not open, and puts it in the log.
void Link::openFailed(const QString &reason)
{
    failure_ = LinkFailure::PortNotOpened;
    failureText_ = reason;
    failureText_.replace(QLatin1String("\r\n"), QLatin1String(" "));
    report(TrafficKind::OpenFailed, {}, failureText_);
}

void Link::prepare()
{
    if (!numbered_ && !device_.isEmpty() && !port().isOpen())
        port().prepare(device_);
}

void Link::close()
{
    CommPort &p = port();
    if (p.isOpen() && (!numbered_ || !choice_.keepOpen))
        p.close();
}

void Link::forceClose()
{
    CommPort &p = port();
    if (p.isOpen())
        p.close();
}

void Link::report(TrafficKind kind, const QByteArray &bytes, const QString &detail, const QString &text)
{
    if (!TrafficWatched())
        return;
    TrafficRecord r;
    r.port = name();
    r.device = device();
    r.kind = kind;
    r.bytes = bytes;
    r.detail = detail;
    r.text = text;
    ReportTraffic(std::move(r));
}

void Link::fail(const QString &message)
{
    failureText_ = message;
    failureText_.replace(QLatin1String("\r\n"), QLatin1String(" "));
}

void Link::takeAlarm(const QString &reply)
{
    alarmCode_ = reply.mid(3, 2);
    alarmText_ = AlarmTextFor(reply);
    emit alarmReceived(alarmCode_, alarmText_);
}

// Sends a frame after dropping whatever is still buffered from an earlier reply, so a late reply
// is never taken for this frame's.
bool Link::sendFrame(const QString &frame)
{
    CommPort &p = port();
    p.discardInput();
    const QByteArray bytes = frame.toLatin1() + "\r\n";
    report(TrafficKind::Sent, bytes);
    return p.write(bytes);
}

// Waits on the event loop until the reply ends in CR LF, the timer expires or the line vanishes
// (taken as a time-out), then runs then.
void Link::beginWait(std::function<void()> then)
{
    wait_ = std::make_unique<Wait>();
    wait_->then = std::move(then);
    waiting_ = true;
    timedOut_ = false;
    CommPort &p = port();
    ReplyTimer &t = timer();
    wait_->readyRead = connect(&p, &CommPort::readyRead, this, [this] {
        CommPort &p = port();
        if (p.isOpen() && p.bytesAvailable() > 0)
            wait_->reply.append(p.readAll());
        if (wait_->reply.complete())
            endWait();
    });
    wait_->timeout = connect(&t, &ReplyTimer::timeout, this, [this] {
        timedOut_ = true;
        endWait();
    });
    wait_->lineLost = connect(&p, &CommPort::lineLost, this, [this] {
        timedOut_ = true;
        wait_->lost = true;
        endWait();
    });
    t.start(timeoutMs);
    if (p.isOpen() && p.bytesAvailable() > 0)
        wait_->reply.append(p.readAll());
    if (wait_->reply.complete())
        endWait();
}

void Link::endWait()
{
    waiting_ = false;
    timer().stop();
    disconnect(wait_->readyRead);
    disconnect(wait_->timeout);
    disconnect(wait_->lineLost);
    if (!wait_->reply.kept.isEmpty())
        report(TrafficKind::Received, wait_->reply.kept);
    if (wait_->lost)
        report(TrafficKind::LineLost);
    // then may start the next wait, which replaces this one.
    const auto then = std::move(wait_->then);
    then();
}

void Link::start(const QString &cmd, int expectedLength, const QString &arg, std::function<void(int)> done)
{
    // One exchange at a time: a handler running inside a wait never reaches the port.
    if (inProgress_) {
        if (done)
            done(1);
        return;
    }
    inProgress_ = true;
    failure_ = LinkFailure::None;
    failureText_.clear();
    lostReason_.clear();
    done_ = std::move(done);
    openThen([this, cmd, expectedLength, arg](bool opened) {
        if (!opened) {
            finish(1);
            return;
        }
        send(cmd, expectedLength, arg);
    });
}

void Link::send(const QString &cmd, int expectedLength, const QString &arg)
{
    timedOut_ = false;
    reply_.clear();

    const QString frame = cmd + arg;
    echoKey_ = frame.left(3);
    expectedLength_ = expectedLength;
    if (!sendFrame(frame)) {
        failure_ = LinkFailure::SendFailed;
        failureText_ = Str(3303).arg(name());
        finish(1);
        return;
    }
    beginWait([this] { checkReply(); });
}

void Link::checkReply()
{
    const Reply reply = wait_->reply;
    if (wait_->stopped) {
        stopped();
        return;
    }
    if (wait_->lost) {
        // The port closed itself; its reason stays with it.
        failure_ = LinkFailure::LineLost;
        lostReason_ = port().errorText();
        forceClose();
        fail(LineLostMessage(lostReason_));
        finish(1);
        return;
    }
    if (timedOut_) {
        report(TrafficKind::Timeout, {}, QString::number(timeoutMs));
        failure_ = LinkFailure::Timeout;
        forceClose();
        fail(TimeoutMessage());
        finish(1);
        return;
    }
    const QString text = reply.text();
    if (text.startsWith(QLatin1String("0%%"))) {
        takeAlarm(text);
        failure_ = LinkFailure::Alarm;
        report(TrafficKind::Alarm, {}, alarmCode_, alarmText_);
        fail(AlarmMessageFor(alarmText_));
        close();
        finish(1);
        return;
    }
    if (text.left(3) != echoKey_) {
        report(TrafficKind::EchoMismatch, {}, echoKey_);
        recover(BadReply::Echo);
        return;
    }
    if (reply.length != expectedLength_) {
        report(TrafficKind::LengthError, {},
               QStringLiteral("expected %1, got %2").arg(expectedLength_).arg(reply.length));
        recover(BadReply::Length);
        return;
    }
    reply_ = text;
    report(TrafficKind::Good);
    emit replyAccepted();
    finish(0);
}

// After a reply that failed its echo or length check: ask the controller back to a known state
// with "0CM0" and report.
void Link::recover(BadReply why)
{
    reply_.clear();
    report(TrafficKind::Recovery);
    failure_ = why == BadReply::Length ? LinkFailure::LengthError : LinkFailure::EchoMismatch;
    auto after = [this, why] {
        if (wait_ && wait_->stopped) {
            stopped();
            return;
        }
        const QString text = wait_ ? wait_->reply.text() : QString();
        // The recovery frame's own outcome, before the failure it ends in.
        if (wait_ && wait_->lost)
            ;  // reported as the line lost by the wait itself
        else if (wait_ && timedOut_)
            report(TrafficKind::Timeout, {}, QString::number(timeoutMs));
        else if (wait_ && !text.startsWith(QLatin1String("0%%")))
            report(TrafficKind::RecoveryAnswered);
        if (text.startsWith(QLatin1String("0%%"))) {
            takeAlarm(text);
            failure_ = LinkFailure::Alarm;
            report(TrafficKind::Alarm, {}, alarmCode_, alarmText_);
            close();
            fail(AlarmMessageFor(alarmText_));
            finish(1);
            return;
        }
        close();
        fail(why == BadReply::Length ? LengthErrorMessage() : EchoMismatchMessage());
        finish(1);
    };
    if (!sendFrame(QStringLiteral("0CM0"))) {
        wait_.reset();
        after();
        return;
    }
    beginWait(after);
}

void Link::finish(int result)
{
    inProgress_ = false;
    const auto done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(result);
}

int Link::sendOnly(const QString &cmd, const QString &arg)
{
    if (inProgress_)
        return 1;
    failure_ = LinkFailure::None;
    failureText_.clear();
    if (open() == 1)
        return 1;
    reply_.clear();
    if (!sendFrame(cmd + arg)) {
        failure_ = LinkFailure::SendFailed;
        failureText_ = Str(3303).arg(name());
        return 1;
    }
    return 0;
}


}  // namespace kz
