// Alarm replies of any content, in both languages: the text AlarmTextFor finds, the message built
// from it, and what the window's link makes of the reply when a controller sends it: the alarm's
// code and text, the alarmReceived signal that drives the alarm display, and the message the window
// shows for the outcome.
//
// Input: byte 0 picks the language checked first (even: English, odd: Japanese; the other follows)
// and the encoding of the reply for AlarmTextFor (bit 1: UTF-8, else Latin-1); the rest is the reply.
// The link hears the reply's bytes as they are, with CR LF added when they do not end in it.

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

using namespace kz;

namespace {

// Table entry of an alarm reply: "0%%" and the code 00 to 09, 0A or 0B exactly, upper case.
int TableIndex(const QString &reply)
{
    if (reply.size() < 5 || !reply.startsWith(QLatin1String("0%%0")))
        return -1;
    const char16_t last = reply[4].unicode();
    if (last >= u'0' && last <= u'9')
        return last - u'0';
    if (last == u'A' || last == u'B')
        return 10 + (last - u'A');
    return -1;
}

// The table text of reply in the current language; empty outside the table.
QString ExpectedText(const QString &reply)
{
    const int index = TableIndex(reply);
    const QString text = index < 0 ? QString() : Str(260 + index);
    FUZZ_CHECK(index < 0 || !text.isEmpty());
    return text;
}

QString ExpectedMessage(const QString &text)
{
    return Str(215) + QLatin1String("\r\n[") + text + QLatin1String("]");
}

struct Signalled {
    QString code;
    QString text;
};

// One exchange of the window's link on the fake port, answered with line.
void CheckLink(const QByteArray &line)
{
    fuzz::SilentPrompts prompts;
    test::FakePort port;
    fuzz::ManualTimer clock;
    Link link(NumberedPort{}, PortChoice{1, false, 0});
    link.setReplyTimer(&clock);

    QList<Signalled> alarms;
    int accepted = 0;
    QObject::connect(&link, &Link::alarmReceived, [&](const QString &code, const QString &text) {
        alarms.append({code, text});
    });
    QObject::connect(&link, &Link::replyAccepted, [&] { ++accepted; });

    int result = -1;
    link.start(QStringLiteral("0RV"), 11, QString(), [&](int r) { result = r; });
    FUZZ_CHECK(link.inProgress() && port.frames == QStringList{QStringLiteral("0RV")});
    port.inject(line);
    // A reply that ends in CR LF ends the wait at once; one that fails its echo or length check is
    // followed by the recovery frame, whose answer never comes.
    if (link.inProgress()) {
        FUZZ_CHECK(port.frames.size() == 2 && port.frames[1] == QLatin1String("0CM0") && clock.armed());
        clock.fire();
    }
    FUZZ_CHECK(!link.inProgress());
    FUZZ_CHECK(result == 0 || result == 1);

    const QString heard = QString::fromLatin1(line.left(kMaxReplyKept));
    const Outcome outcome = OutcomeOf(link);
    if (heard.startsWith(QLatin1String("0%%"))) {
        const QString code = heard.mid(3, 2);
        const QString text = ExpectedText(heard);
        FUZZ_CHECK(result == 1);
        FUZZ_CHECK(link.lastFailure() == LinkFailure::Alarm);
        FUZZ_CHECK(link.alarmCode() == code);
        FUZZ_CHECK(link.alarmText() == text);
        FUZZ_CHECK(alarms.size() == 1 && alarms[0].code == code && alarms[0].text == text);
        FUZZ_CHECK(accepted == 0);
        FUZZ_CHECK(outcome.kind == Outcome::Kind::Alarm);
        FUZZ_CHECK(outcome.alarmCode == code && outcome.alarmText == text);
        FUZZ_CHECK(FailureMessage(outcome) == ExpectedMessage(text));
        FUZZ_CHECK(port.frames.size() == 1);  // an alarm is not followed by the recovery frame
        FUZZ_CHECK(!port.isOpen());            // port occupy is off
    } else {
        // Not an alarm: whatever else the reply is, the alarm display is left alone.
        FUZZ_CHECK(alarms.isEmpty());
        FUZZ_CHECK(link.alarmCode().isEmpty() && link.alarmText().isEmpty());
        FUZZ_CHECK(link.lastFailure() != LinkFailure::Alarm);
        FUZZ_CHECK(outcome.kind != Outcome::Kind::Alarm);
    }
    // The link shows nothing itself.
    FUZZ_CHECK(prompts.texts.isEmpty() && prompts.dialogs == 0);
    link.forceClose();
    link.setReplyTimer(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    // COM1 stays /dev/ttyS0, whatever the developer's own port links say; the fake port answers for
    // it, so the device's permissions do not matter.
    static const QString configDir = QDir::temp().filePath(
        QStringLiteral("kz-fuzz-config-%1").arg(QCoreApplication::applicationPid()));
    SetConfigDirOverride(configDir);
    SetDeviceAccessCheck([](const QString &) { return true; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data) + 1;
    const qsizetype length = qsizetype(size - 1);
    const QString reply = (data[0] & 2) ? QString::fromUtf8(bytes, length) : QString::fromLatin1(bytes, length);
    QByteArray line(bytes, length);
    if (!line.endsWith("\r\n"))
        line += "\r\n";

    const bool japaneseFirst = data[0] & 1;
    for (const bool japanese : {japaneseFirst, !japaneseFirst}) {
        LangOffset = japanese ? 0 : kEnglishOffset;
        const QString text = ExpectedText(reply);
        FUZZ_CHECK(AlarmTextFor(reply) == text);
        FUZZ_CHECK(AlarmMessageFor(text) == ExpectedMessage(text));
        CheckLink(line);
    }
    return 0;
}
