#include "link/exchange.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "link/alarm.h"
#include "link/comm_port.h"
#include "link/link_view.h"
#include "link/port.h"
#include "link/traffic.h"

#include <QEventLoop>
#include <QTimer>

namespace kz {

int TimeoutMs = 5000;
bool TimeoutFlag = false;
bool CommErrFlag = false;
QString RecvData;

namespace {

bool g_inProgress = false;

// Tells the link's watchers, if any, about this port.
void Report(TrafficKind kind, const QByteArray &bytes = {}, const QString &detail = {}, const QString &text = {})
{
    if (!TrafficWatched())
        return;
    TrafficRecord r;
    r.port = QStringLiteral("COM%1").arg(PortNo);
    r.device = PortDevicePath(PortNo);
    r.kind = kind;
    r.bytes = bytes;
    r.detail = detail;
    r.text = text;
    ReportTraffic(std::move(r));
}

// Marks an exchange as running for its whole length, waits and recovery included.
class InProgress {
public:
    InProgress() { g_inProgress = true; }
    ~InProgress() { g_inProgress = false; }
    InProgress(const InProgress &) = delete;
    InProgress &operator=(const InProgress &) = delete;
};

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

// The reply timer: ends a wait when TimeoutMs has passed.
QTimer &timerTimeout()
{
    static QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire 5 % early; a controller gets its full time.
    timer.setTimerType(Qt::PreciseTimer);
    return timer;
}

// Waits, letting window events run, until the reply ends in CR LF or the timer expires. A line
// that vanishes under the wait ends it as a time-out.
Reply WaitForReply(CommPort &port)
{
    Reply reply;
    TimeoutFlag = false;
    QTimer &timer = timerTimeout();
    timer.setInterval(TimeoutMs);
    QEventLoop loop;
    auto drain = [&] {
        if (port.isOpen() && port.bytesAvailable() > 0)
            reply.append(port.readAll());
        if (reply.complete())
            loop.quit();
    };
    const auto c1 = QObject::connect(&port, &CommPort::readyRead, &loop, drain);
    const auto c2 = QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        TimeoutFlag = true;
        loop.quit();
    });
    bool lost = false;
    const auto c3 = QObject::connect(&port, &CommPort::lineLost, &loop, [&] {
        TimeoutFlag = true;
        lost = true;
        loop.quit();
    });
    timer.start();
    drain();
    if (!reply.complete())
        loop.exec();
    timer.stop();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    if (!reply.kept.isEmpty())
        Report(TrafficKind::Received, reply.kept);
    if (lost)
        Report(TrafficKind::LineLost);
    return reply;
}

// Sends a frame after dropping whatever is still buffered from an earlier reply, so a late reply
// is never taken for this frame's.
bool SendFrame(CommPort &port, const QString &frame)
{
    port.discardInput();
    const QByteArray bytes = frame.toLatin1() + "\r\n";
    Report(TrafficKind::Sent, bytes);
    return port.write(bytes);
}

enum class BadReply { Length, Echo };

// After a reply that failed its echo or length check: ask the controller back to a known state
// with "0CM0" and report.
void Recover(CommPort &port, BadReply why)
{
    RecvData.clear();
    Report(TrafficKind::Recovery);
    const bool sent = SendFrame(port, QStringLiteral("0CM0"));
    const Reply reply = sent ? WaitForReply(port) : Reply{};
    if (reply.text().startsWith(QLatin1String("0%%"))) {
        AlarmData = reply.text();
        CommErrFlag = true;
        ShowAlarm();
        Report(TrafficKind::Alarm, {}, AlarmData.mid(3, 2), AlarmText);
        CloseCommPort();
        MsgOk(AlarmMessage());
        return;
    }
    CloseCommPort();
    CommErrFlag = true;
    MsgOk(why == BadReply::Length ? LengthErrorMessage() : EchoMismatchMessage());
}

}  // namespace

bool ExchangeInProgress()
{
    return g_inProgress;
}

QString TimeoutMessage()
{
    return StrLines({1100, 1101, 1102, 1103});
}

QString AlarmMessage()
{
    return Str(215) + QLatin1String("\r\n[") + AlarmText + QLatin1Char(']');
}

QString LengthErrorMessage()
{
    return StrLines({1105, 1106});
}

QString EchoMismatchMessage()
{
    return Str(3000);
}

int SendRecvCt(const QString &cmd, int expectedLength, const QString &arg)
{
    // One exchange at a time: a handler running inside a wait never reaches the port.
    if (g_inProgress)
        return 1;
    InProgress guard;

    if (OpenCommPort() == 1) {
        Report(TrafficKind::OpenFailed, {}, PortFailureDetail().trimmed());
        return 1;
    }
    CommPort &port = Port();

    CommErrFlag = false;
    TimeoutFlag = false;
    RecvData.clear();

    const QString frame = cmd + arg;
    const QString echoKey = frame.left(3);
    if (!SendFrame(port, frame))
        return 1;
    const Reply reply = WaitForReply(port);

    if (TimeoutFlag) {
        Report(TrafficKind::Timeout, {}, QString::number(TimeoutMs));
        CommErrFlag = true;
        ForceClosePort();
        MsgOk(TimeoutMessage());
        return 1;
    }
    const QString text = reply.text();
    if (text.startsWith(QLatin1String("0%%"))) {
        AlarmData = text;
        CommErrFlag = true;
        ShowAlarm();
        Report(TrafficKind::Alarm, {}, text.mid(3, 2), AlarmText);
        MsgOk(AlarmMessage());
        CloseCommPort();
        return 1;
    }
    if (text.left(3) != echoKey) {
        Report(TrafficKind::EchoMismatch, {}, echoKey);
        Recover(port, BadReply::Echo);
        return 1;
    }
    if (reply.length != expectedLength) {
        Report(TrafficKind::LengthError, {}, QStringLiteral("expected %1, got %2").arg(expectedLength).arg(reply.length));
        Recover(port, BadReply::Length);
        return 1;
    }
    RecvData = text;
    Report(TrafficKind::Good);
    linkView().setAlarmLampVisible(false);
    linkView().setErrorComment(QStringLiteral("No Error"));
    return 0;
}

int SendOnlyCt(const QString &cmd, int /*expectedLength*/, const QString &arg)
{
    if (g_inProgress)
        return 1;
    if (OpenCommPort() == 1) {
        Report(TrafficKind::OpenFailed, {}, PortFailureDetail().trimmed());
        return 1;
    }
    CommErrFlag = false;
    RecvData.clear();
    return SendFrame(Port(), cmd + arg) ? 0 : 1;
}

int SetCommMode()
{
    TimeoutMs = 1000;
    return SendRecvCt(QStringLiteral("0CM"), 6, QStringLiteral("1")) == 1 ? 1 : 0;
}

int ResetCt()
{
    int result = 0;
    if (OpenCommPort() == 1) {
        result = 1;
    } else if (SetCommMode() == 1) {
        result = 1;
    } else {
        TimeoutMs = 1000;
        result = SendOnlyCt(QStringLiteral("0CM3"), 6, QString()) == 1 ? 1 : 0;
    }
    CloseCommPort();
    return result;
}

}  // namespace kz
