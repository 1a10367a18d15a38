// The exchange (the default link's, which SendRecvCt waits for) against an in-process port that
// answers with the fuzzer's bytes, on a reply timer the harness fires.
//
// Input: byte 0 picks the command (counted from '0'), byte 1 holds flags, the rest is the reply.
// The reply is cut into pieces at each 0x1F byte, each piece arriving on its own; whatever follows the
// first 0x1E is the answer to the recovery frame "0CM0", if one is sent.
//
// Flags: 0x01 port occupy, 0x02 Japanese texts, 0x04 keep every piece (else the reply stops with the
// first piece that leaves it ending in CR LF, so that the outcome can be predicted), 0x08 a handler
// tries a second exchange during the wait.
//
// Every outcome must be one of the documented ones (reply kept, time-out, alarm, echo mismatch, length
// error) with its message, flags, alarm display and port state; with the pieces cut, it must be exactly
// the one a plain reading of the reply predicts.

#include "fuzz_support.h"

#include "core/paths.h"
#include "core/strings.h"
#include "link/alarm.h"
#include "link/exchange.h"
#include "link/link.h"
#include "link/link_view.h"
#include "link/port.h"
#include "support/fake_port.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdint>
#include <optional>

using namespace kz;
using kz::test::Piece;

namespace {

struct Command {
    const char *cmd;
    const char *arg;
    int length;
};

constexpr Command kCommands[] = {
    {"0CM", "1", 6},   {"0CM0", "", 6}, {"0RD", "02", 23}, {"0RD", "20", 23},
    {"0WD", "022805050000C81EFF", 23}, {"0MP", "1", 12}, {"0%C", "", 7}, {"0RV", "", 11},
    {"0WS", "F0", 7},  {"0MP", "0", 12},
};
constexpr int kCommandCount = int(sizeof kCommands / sizeof kCommands[0]);

// The reply timer runs on the harness's clock (VirtualTimer), so the time-out's value only has to be
// a plausible one.
constexpr int kTimeoutMs = 5000;

constexpr char kPieceBreak = '\x1f';
constexpr char kRecoveryBreak = '\x1e';

struct Input {
    Command command;
    bool occupy = false;
    bool japanese = false;
    bool allPieces = false;
    bool secondExchange = false;
    QList<Piece> pieces;
    std::optional<QByteArray> recoveryReply;
};

Input Decode(const std::uint8_t *data, std::size_t size)
{
    Input in;
    in.command = kCommands[size > 0 ? std::uint8_t(data[0] - '0') % kCommandCount : 0];
    const std::uint8_t flags = size > 1 ? data[1] : 0;
    in.occupy = flags & 0x01;
    in.japanese = flags & 0x02;
    in.allPieces = flags & 0x04;
    in.secondExchange = flags & 0x08;

    QByteArray rest = size > 2 ? QByteArray(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2))
                               : QByteArray();
    const qsizetype recovery = rest.indexOf(kRecoveryBreak);
    if (recovery >= 0) {
        in.recoveryReply = rest.mid(recovery + 1);
        rest.truncate(recovery);
    }
    if (!rest.isEmpty()) {
        QByteArray sofar;
        for (const QByteArray &bytes : rest.split(kPieceBreak)) {
            in.pieces.append(Piece{bytes, 0});
            sofar += bytes;
            if (!in.allPieces && sofar.endsWith("\r\n"))
                break;
        }
    }
    return in;
}

enum class Outcome { Kept, Timeout, Alarm, Echo, Length };

// What the exchange must end with when the reply's pieces stop at its first CR LF end.
struct Expected {
    Outcome outcome;
    QString reply;          // the reply text when it ended in CR LF
    bool recovery = false;  // "0CM0" sent
    QString alarmData;      // for Outcome::Alarm
};

Expected Predict(const Input &in)
{
    QByteArray all;
    for (const Piece &p : in.pieces)
        all += p.bytes;
    if (!all.endsWith("\r\n"))
        return {Outcome::Timeout, {}, false, {}};
    const QString text = QString::fromLatin1(all.left(kMaxReplyKept));
    if (text.startsWith(QLatin1String("0%%")))
        return {Outcome::Alarm, text, false, text};
    const QString echo = (QLatin1String(in.command.cmd) + QLatin1String(in.command.arg)).left(3);
    const Outcome bad = text.left(3) != echo ? Outcome::Echo
        : all.size() != in.command.length    ? Outcome::Length
                                              : Outcome::Kept;
    if (bad == Outcome::Kept)
        return {Outcome::Kept, text, false, {}};
    // The answer to "0CM0" counts as an alarm by its beginning, even when it never ends in CR LF.
    const QByteArray recovery = in.recoveryReply.value_or(QByteArray());
    if (recovery.startsWith("0%%"))
        return {Outcome::Alarm, text, true, QString::fromLatin1(recovery.left(kMaxReplyKept))};
    return {bad, text, true, {}};
}

struct Observed {
    int result = -1;
    QStringList frames;
    QStringList messages;
    bool portOpen = false;
    bool timeoutFlag = false;
    bool commErr = false;
    QString recvData;
    QString alarmData;
    QString alarmText;
    RecordedLinkView view;
    std::optional<int> nestedResult;  // the second exchange tried during the wait
    int framesWhenNested = -1;
};

const QString kAlarmDataBefore = QStringLiteral("untouched");
const QString kAlarmNoBefore = QStringLiteral("zz");
const QString kCommentBefore = QStringLiteral("before");

// The reply timer on the harness's clock: it fires when the harness says so, which is once nothing
// more is on its way from the port.
class ManualTimer final : public ReplyTimer {
public:
    void start(int /*ms*/) override { armed_ = true; }
    void stop() override { armed_ = false; }
    bool armed() const { return armed_; }
    void fire()
    {
        armed_ = false;
        emit timeout();
    }

private:
    bool armed_ = false;
};

// Runs the default link's exchange (the one SendRecvCt waits for) to its end without an event loop:
// the harness hands the port one piece at a time, each arriving on its own as from a line (the
// answer to "0CM0" once that frame is written), and fires the reply timer once nothing more is on
// its way. A reply that ends in time is therefore always seen whole, and no input waits on a real
// timer.
Observed Run(const Input &in, int timeoutMs)
{
    fuzz::SilentPrompts prompts;
    test::FakePort port;
    ManualTimer clock;
    Link &link = Link::Default();
    link.setReplyTimer(&clock);

    PortNo = 1;
    PortOccupy = in.occupy;
    LangOffset = in.japanese ? 0 : kEnglishOffset;
    TimeoutMs = timeoutMs;
    CommErrFlag = false;
    RecvData = QStringLiteral("stale");
    AlarmData = kAlarmDataBefore;
    AlarmText.clear();
    RecordedView() = RecordedLinkView();
    RecordedView().alarmLamp = true;
    RecordedView().alarmNo = kAlarmNoBefore;
    RecordedView().errorComment = kCommentBefore;

    Observed seen;
    link.start(QLatin1String(in.command.cmd), in.command.length, QLatin1String(in.command.arg),
               [&](int r) { seen.result = r; });
    if (in.secondExchange && link.inProgress()) {
        // A handler running during the wait tries a second exchange.
        seen.framesWhenNested = int(port.frames.size());
        seen.nestedResult = SendRecvCt(QStringLiteral("0RV"), 11, QString());
        FUZZ_CHECK(port.frames.size() == seen.framesWhenNested);
    }
    QList<QByteArray> arriving;
    for (const Piece &p : in.pieces)
        arriving.append(p.bytes);
    bool recoveryAnswered = !in.recoveryReply;
    while (link.inProgress()) {
        if (!recoveryAnswered && port.frames.size() >= 2) {
            arriving.prepend(*in.recoveryReply);
            recoveryAnswered = true;
        }
        if (!arriving.isEmpty()) {
            const QByteArray bytes = arriving.takeFirst();
            if (port.isOpen())  // a closed port hears nothing
                port.inject(bytes);
            continue;
        }
        FUZZ_CHECK(clock.armed());
        clock.fire();
    }
    seen.frames = port.frames;
    seen.messages = prompts.texts;
    seen.portOpen = port.isOpen();
    seen.timeoutFlag = TimeoutFlag;
    seen.commErr = CommErrFlag;
    seen.recvData = RecvData;
    seen.alarmData = AlarmData;
    seen.alarmText = AlarmText;
    seen.view = RecordedView();
    FUZZ_CHECK(!ExchangeInProgress());
    FUZZ_CHECK(prompts.dialogs == 0);
    ForceClosePort();
    link.setReplyTimer(nullptr);
    return seen;
}

// What holds whatever the pieces did.
void CheckDocumented(const Input &in, const Observed &seen)
{
    const QString frame = QLatin1String(in.command.cmd) + QLatin1String(in.command.arg);
    FUZZ_CHECK(seen.result == 0 || seen.result == 1);
    FUZZ_CHECK(!seen.frames.isEmpty() && seen.frames.size() <= 2 && seen.frames[0] == frame);
    FUZZ_CHECK(seen.frames.size() == 1 || seen.frames[1] == QLatin1String("0CM0"));
    if (seen.nestedResult)
        FUZZ_CHECK(*seen.nestedResult == 1);

    if (seen.result == 0) {
        FUZZ_CHECK(seen.messages.isEmpty());
        FUZZ_CHECK(seen.frames.size() == 1);
        FUZZ_CHECK(!seen.commErr && !seen.timeoutFlag);
        FUZZ_CHECK(seen.recvData.size() == in.command.length);
        FUZZ_CHECK(seen.recvData.left(3) == frame.left(3));
        FUZZ_CHECK(seen.recvData.endsWith(QLatin1String("\r\n")));
        FUZZ_CHECK(seen.portOpen);
        FUZZ_CHECK(!seen.view.alarmLamp && seen.view.errorComment == QLatin1String("No Error"));
        FUZZ_CHECK(seen.view.alarmNo == kAlarmNoBefore && seen.alarmData == kAlarmDataBefore);
        return;
    }

    FUZZ_CHECK(seen.messages.size() == 1);
    FUZZ_CHECK(seen.commErr);
    FUZZ_CHECK(seen.recvData.isEmpty());
    const QString &message = seen.messages[0];
    if (message == TimeoutMessage()) {
        FUZZ_CHECK(seen.frames.size() == 1 && seen.timeoutFlag && !seen.portOpen);
        FUZZ_CHECK(seen.alarmData == kAlarmDataBefore && seen.view.alarmNo == kAlarmNoBefore);
    } else if (seen.alarmData != kAlarmDataBefore) {
        FUZZ_CHECK(seen.alarmData.startsWith(QLatin1String("0%%")));
        FUZZ_CHECK(seen.alarmText == AlarmTextFor(seen.alarmData));
        FUZZ_CHECK(message == AlarmMessage());
        FUZZ_CHECK(seen.view.alarmLamp && seen.view.errorComment == seen.alarmText);
        FUZZ_CHECK(seen.view.alarmNo == seen.alarmData.left(5).mid(3));
        FUZZ_CHECK(seen.portOpen == in.occupy);
    } else {
        FUZZ_CHECK(message == LengthErrorMessage() || message == EchoMismatchMessage());
        FUZZ_CHECK(seen.frames.size() == 2);
        FUZZ_CHECK(seen.portOpen == in.occupy);
        FUZZ_CHECK(seen.view.alarmLamp && seen.view.alarmNo == kAlarmNoBefore);
        FUZZ_CHECK(seen.view.errorComment == kCommentBefore);
    }
}

// Whether seen is exactly the predicted outcome.
bool Matches(const Expected &want, const Observed &seen)
{
    const int frames = want.recovery ? 2 : 1;
    switch (want.outcome) {
    case Outcome::Kept:
        return seen.result == 0 && seen.recvData == want.reply;
    case Outcome::Timeout:
        return seen.result == 1 && seen.messages == QStringList{TimeoutMessage()};
    case Outcome::Alarm:
        return seen.result == 1 && seen.frames.size() == frames && seen.alarmData == want.alarmData
            && seen.messages.size() == 1 && seen.messages[0] == AlarmMessage();
    case Outcome::Echo:
        return seen.result == 1 && seen.frames.size() == frames
            && seen.messages == QStringList{EchoMismatchMessage()};
    case Outcome::Length:
        return seen.result == 1 && seen.frames.size() == frames
            && seen.messages == QStringList{LengthErrorMessage()};
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    // No port links of the developer's own: COMn stays /dev/ttyS{n-1}, which the fake never opens.
    static const QString configDir = QDir::temp().filePath(
        QStringLiteral("kz-fuzz-config-%1").arg(QCoreApplication::applicationPid()));
    SetConfigDirOverride(configDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Input in = Decode(data, size);
    const Observed seen = Run(in, kTimeoutMs);
    CheckDocumented(in, seen);
    // Every piece arrives before the deadline, so the prediction holds exactly.
    if (!in.allPieces)
        FUZZ_CHECK(Matches(Predict(in), seen));
    return 0;
}
