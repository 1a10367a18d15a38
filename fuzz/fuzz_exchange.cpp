// The exchange of the window's link (COMn, on the port of link/port.h) against an in-process port
// that answers with the fuzzer's bytes, on a reply timer the harness fires.
//
// Input: byte 0 picks the command (counted from '0'), byte 1 holds flags, the rest is the reply.
// The reply is cut into pieces at each 0x1F byte, each piece arriving on its own; whatever follows the
// first 0x1E is the answer to the recovery frame "0CM0", if one is sent.
//
// Flags: 0x01 port occupy, 0x02 Japanese texts, 0x04 keep every piece (else the reply stops with the
// first piece that leaves it ending in CR LF, so that the outcome can be predicted), 0x08 a handler
// tries a second exchange during the wait (at its start and after every piece).
//
// Every outcome must be one of the documented ones (reply kept, time-out, alarm, echo mismatch, length
// error) with its frames, the reply kept, the message the window shows for it, the signals that drive
// the alarm display and the port's state, and the link itself shows nothing; with the pieces cut, it
// must be exactly the one a plain reading of the reply predicts.

#include "fuzz_support.h"

#include "core/paths.h"
#include "core/strings.h"
#include "link/alarm.h"
#include "link/controller_session.h"
#include "link/exchange.h"
#include "link/link.h"
#include "link/port_diag.h"
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

// The reply timer runs on the harness's clock (fuzz::ManualTimer), so the time-out's value only has to be
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

enum class Ending { Kept, Timeout, Alarm, Echo, Length };

// What the exchange must end with when the reply's pieces stop at its first CR LF end.
struct Expected {
    Ending ending;
    QString reply;          // the reply text when it ended in CR LF
    bool recovery = false;  // "0CM0" sent
    QString alarmReply;     // for Ending::Alarm: the reply that was the alarm
};

Expected Predict(const Input &in)
{
    QByteArray all;
    for (const Piece &p : in.pieces)
        all += p.bytes;
    if (!all.endsWith("\r\n"))
        return {Ending::Timeout, {}, false, {}};
    const QString text = QString::fromLatin1(all.left(kMaxReplyKept));
    if (text.startsWith(QLatin1String("0%%")))
        return {Ending::Alarm, text, false, text};
    const QString echo = (QLatin1String(in.command.cmd) + QLatin1String(in.command.arg)).left(3);
    const Ending bad = text.left(3) != echo ? Ending::Echo
        : all.size() != in.command.length    ? Ending::Length
                                              : Ending::Kept;
    if (bad == Ending::Kept)
        return {Ending::Kept, text, false, {}};
    // The answer to "0CM0" counts as an alarm by its beginning, even when it never ends in CR LF.
    const QByteArray recovery = in.recoveryReply.value_or(QByteArray());
    if (recovery.startsWith("0%%"))
        return {Ending::Alarm, text, true, QString::fromLatin1(recovery.left(kMaxReplyKept))};
    return {bad, text, true, {}};
}

struct Signalled {
    QString code;
    QString text;
};

// The alarm display as the window keeps it from the link's signals: a good reply puts the lamp out
// and the comment back to "No Error"; an alarm lights the lamp with its code and text.
struct AlarmDisplay {
    bool lamp = true;
    QString number = QStringLiteral("zz");
    QString comment = QStringLiteral("before");
};
const AlarmDisplay kDisplayBefore;

struct Observed {
    int result = -1;
    int results = 0;  // how often the exchange reported its end
    QStringList frames;
    bool portOpen = false;
    LinkFailure failure = LinkFailure::None;
    QString reply;
    QString failureText;
    QString alarmCode;
    QString alarmText;
    Outcome outcome;
    QString shown;  // what the window shows for the outcome
    int accepted = 0;
    QList<Signalled> alarms;
    AlarmDisplay display;
    QList<int> nestedResults;  // the exchanges tried during the wait
};

// A handler running during the wait tries to start exchanges of its own: neither reaches the port,
// both fail at once, and the exchange in flight goes on.
void TrySecondExchange(Link &link, const test::FakePort &port, Observed &seen)
{
    const qsizetype frames = port.frames.size();
    int nested = -1;
    link.start(QStringLiteral("0RV"), 11, QString(), [&nested](int r) { nested = r; });
    seen.nestedResults.append(nested);
    seen.nestedResults.append(link.sendOnly(QStringLiteral("0CM"), QStringLiteral("3")));
    FUZZ_CHECK(port.frames.size() == frames);
    FUZZ_CHECK(link.inProgress());
}

// Runs an exchange of the window's link to its end without an event loop: the harness hands the
// port one piece at a time, each arriving on its own as from a line (the answer to "0CM0" once that
// frame is written), and fires the reply timer once nothing more is on its way. A reply that ends in
// time is therefore always seen whole, and no input waits on a real timer.
Observed Run(const Input &in, int timeoutMs)
{
    fuzz::SilentPrompts prompts;
    test::FakePort port;
    fuzz::ManualTimer clock;
    LangOffset = in.japanese ? 0 : kEnglishOffset;
    Link link(NumberedPort{}, PortChoice{1, in.occupy, 0});
    link.setReplyTimer(&clock);
    link.timeoutMs = timeoutMs;

    Observed seen;
    seen.display = kDisplayBefore;
    QObject::connect(&link, &Link::replyAccepted, [&seen] {
        ++seen.accepted;
        seen.display.lamp = false;
        seen.display.comment = QStringLiteral("No Error");
    });
    QObject::connect(&link, &Link::alarmReceived, [&seen](const QString &code, const QString &text) {
        seen.alarms.append({code, text});
        seen.display.lamp = true;
        seen.display.number = code;
        seen.display.comment = text;
    });

    link.start(QLatin1String(in.command.cmd), in.command.length, QLatin1String(in.command.arg),
               [&seen](int r) {
                   seen.result = r;
                   ++seen.results;
               });
    if (in.secondExchange && link.inProgress())
        TrySecondExchange(link, port, seen);
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
            if (in.secondExchange && link.inProgress())
                TrySecondExchange(link, port, seen);
            continue;
        }
        FUZZ_CHECK(clock.armed());
        clock.fire();
    }
    seen.frames = port.frames;
    seen.portOpen = port.isOpen();
    seen.failure = link.lastFailure();
    seen.reply = link.reply();
    seen.failureText = link.failureText();
    seen.alarmCode = link.alarmCode();
    seen.alarmText = link.alarmText();
    seen.outcome = OutcomeOf(link);
    seen.shown = FailureMessage(seen.outcome);
    // The link shows nothing itself: the window decides what the user sees.
    FUZZ_CHECK(prompts.texts.isEmpty() && prompts.dialogs == 0);
    FUZZ_CHECK(!clock.armed());
    link.forceClose();
    link.setReplyTimer(nullptr);
    return seen;
}

bool SameDisplay(const AlarmDisplay &a, const AlarmDisplay &b)
{
    return a.lamp == b.lamp && a.number == b.number && a.comment == b.comment;
}

// What holds whatever the pieces did.
void CheckDocumented(const Input &in, const Observed &seen)
{
    const QString frame = QLatin1String(in.command.cmd) + QLatin1String(in.command.arg);
    FUZZ_CHECK(seen.results == 1);
    FUZZ_CHECK(seen.result == 0 || seen.result == 1);
    FUZZ_CHECK(!seen.frames.isEmpty() && seen.frames.size() <= 2 && seen.frames[0] == frame);
    FUZZ_CHECK(seen.frames.size() == 1 || seen.frames[1] == QLatin1String("0CM0"));
    for (const int nested : seen.nestedResults)
        FUZZ_CHECK(nested == 1);

    if (seen.result == 0) {
        FUZZ_CHECK(seen.failure == LinkFailure::None && seen.outcome.ok());
        FUZZ_CHECK(seen.failureText.isEmpty() && seen.shown.isEmpty());
        FUZZ_CHECK(seen.frames.size() == 1);
        FUZZ_CHECK(seen.reply.size() == in.command.length);
        FUZZ_CHECK(seen.reply.left(3) == frame.left(3));
        FUZZ_CHECK(seen.reply.endsWith(QLatin1String("\r\n")));
        FUZZ_CHECK(seen.portOpen);
        FUZZ_CHECK(seen.accepted == 1 && seen.alarms.isEmpty());
        FUZZ_CHECK(!seen.display.lamp && seen.display.comment == QLatin1String("No Error"));
        FUZZ_CHECK(seen.display.number == kDisplayBefore.number);
        return;
    }

    FUZZ_CHECK(seen.failure != LinkFailure::None && !seen.outcome.ok());
    FUZZ_CHECK(seen.reply.isEmpty());
    FUZZ_CHECK(seen.accepted == 0);
    FUZZ_CHECK(!seen.shown.isEmpty());
    FUZZ_CHECK(seen.failureText == QString(seen.shown).replace(QLatin1String("\r\n"), QLatin1String(" ")));
    switch (seen.failure) {
    case LinkFailure::Timeout:
        FUZZ_CHECK(seen.shown == TimeoutMessage());
        FUZZ_CHECK(seen.frames.size() == 1 && !seen.portOpen);
        FUZZ_CHECK(seen.alarms.isEmpty() && SameDisplay(seen.display, kDisplayBefore));
        break;
    case LinkFailure::Alarm: {
        FUZZ_CHECK(seen.alarms.size() == 1);
        const Signalled &alarm = seen.alarms[0];
        FUZZ_CHECK(alarm.code == seen.alarmCode && alarm.text == seen.alarmText);
        FUZZ_CHECK(seen.outcome.alarmCode == seen.alarmCode && seen.outcome.alarmText == seen.alarmText);
        FUZZ_CHECK(alarm.code.size() <= 2);
        // The text goes by the reply's first five characters: "0%%" and the code.
        FUZZ_CHECK(alarm.text == AlarmTextFor(QLatin1String("0%%") + alarm.code));
        FUZZ_CHECK(seen.shown == AlarmMessageFor(alarm.text));
        FUZZ_CHECK(seen.display.lamp && seen.display.number == alarm.code);
        FUZZ_CHECK(seen.display.comment == alarm.text);
        FUZZ_CHECK(seen.portOpen == in.occupy);
        break;
    }
    case LinkFailure::EchoMismatch:
    case LinkFailure::LengthError:
        FUZZ_CHECK(seen.shown == (seen.failure == LinkFailure::LengthError ? LengthErrorMessage()
                                                                          : EchoMismatchMessage()));
        FUZZ_CHECK(seen.frames.size() == 2);
        FUZZ_CHECK(seen.portOpen == in.occupy);
        FUZZ_CHECK(seen.alarms.isEmpty() && SameDisplay(seen.display, kDisplayBefore));
        break;
    default:
        // The port always opens and takes every frame, and the line never drops here.
        FUZZ_CHECK(!"an outcome the harness cannot cause");
    }
}

// Whether seen is exactly the predicted outcome.
bool Matches(const Expected &want, const Observed &seen)
{
    const int frames = want.recovery ? 2 : 1;
    switch (want.ending) {
    case Ending::Kept:
        return seen.result == 0 && seen.reply == want.reply;
    case Ending::Timeout:
        return seen.result == 1 && seen.failure == LinkFailure::Timeout;
    case Ending::Alarm:
        return seen.result == 1 && seen.frames.size() == frames && seen.failure == LinkFailure::Alarm
            && seen.alarmCode == want.alarmReply.mid(3, 2)
            && seen.alarmText == AlarmTextFor(want.alarmReply);
    case Ending::Echo:
        return seen.result == 1 && seen.frames.size() == frames && seen.failure == LinkFailure::EchoMismatch;
    case Ending::Length:
        return seen.result == 1 && seen.frames.size() == frames && seen.failure == LinkFailure::LengthError;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    // No port links of the developer's own: COM1 stays /dev/ttyS0, which the fake port answers for,
    // so the device's permissions do not matter.
    static const QString configDir = QDir::temp().filePath(
        QStringLiteral("kz-fuzz-config-%1").arg(QCoreApplication::applicationPid()));
    SetConfigDirOverride(configDir);
    SetDeviceAccessCheck([](const QString &) { return true; });
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
