// ShowAlarm over arbitrary alarm replies: the code shown, the lamp, the text and the message built
// from it, in both languages.
//
// Input: byte 0 picks the language (even: English, odd: Japanese) and the encoding of the reply
// (bit 1: UTF-8, else Latin-1); the rest is the reply.

#include "fuzz_support.h"

#include "core/strings.h"
#include "link/alarm.h"
#include "link/exchange.h"
#include "link/link_view.h"

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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    LangOffset = (data[0] & 1) ? 0 : kEnglishOffset;
    const char *bytes = reinterpret_cast<const char *>(data) + 1;
    const qsizetype length = qsizetype(size - 1);
    AlarmData = (data[0] & 2) ? QString::fromUtf8(bytes, length) : QString::fromLatin1(bytes, length);
    const QString reply = AlarmData;
    AlarmText = QStringLiteral("stale");
    RecordedView() = RecordedLinkView();

    ShowAlarm();

    const int index = TableIndex(reply);
    const QString text = index < 0 ? QString() : Str(260 + index);
    FUZZ_CHECK(index < 0 || !text.isEmpty());
    FUZZ_CHECK(AlarmData == reply);
    FUZZ_CHECK(AlarmText == text);
    FUZZ_CHECK(AlarmTextFor(reply) == text);
    FUZZ_CHECK(RecordedView().alarmLamp);
    FUZZ_CHECK(RecordedView().alarmNo == reply.mid(3, 2));  // characters 4 and 5, as far as they exist
    FUZZ_CHECK(RecordedView().errorComment == text);
    FUZZ_CHECK(AlarmMessage() == Str(215) + QLatin1String("\r\n[") + text + QLatin1String("]"));
    return 0;
}
