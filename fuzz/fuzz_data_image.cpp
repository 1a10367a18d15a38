// StageReadReplies over arbitrary read replies in slots 1 to 5 of a document's block table.
//
// Input: the five slot texts one after another, each running up to and including a line feed (the
// last one takes whatever is left), so a file of five real replies is five CR LF lines.
//
// A refused set leaves the staged copy exactly as it was, and is refused only when a reply lacks its
// 16 data digits. An accepted set stages every field from its own digits: the fields written back as
// block digits give the reply's digits again, and the speeds are the nearest quarter, ties to even.

#include "fuzz_support.h"

#include "params/data_image.h"
#include "params/field_table.h"
#include "params/parameter_document.h"
#include "params/parameter_set.h"

#include <cstdint>
#include <cstdlib>

using namespace kz;

namespace {

bool IsHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}

// Characters 6 to 21 (1-based) of a reply are its data digits.
bool HasDataDigits(const QString &reply)
{
    if (reply.size() < 21)
        return false;
    for (int i = 5; i < 21; ++i) {
        if (!IsHexDigit(reply[i]))
            return false;
    }
    return true;
}

struct Digits {
    int slot;
    Field field;
    int position;  // 1-based
    int count;
};

using enum Field;
constexpr Digits kStaged[] = {
    {1, Acc1, 8, 2}, {1, Dec1, 10, 2}, {1, Position1, 12, 6}, {1, PauseTime1, 18, 2},
    {2, Position2, 12, 6}, {2, PauseTime2, 18, 2},
    {3, Acc2, 8, 2}, {3, Dec2, 10, 2},
    {4, HomingVel, 6, 2}, {4, HomingPulse, 8, 4}, {4, OffsetVel, 12, 2}, {4, HomeOffset, 14, 4},
    {4, RevDir, 20, 2},
    {5, SupplyCounter, 6, 2}, {5, RestartDelay, 8, 2}, {5, NoWorkCounter, 10, 2},
    {5, SeparateTimer, 12, 2}, {5, MidDetectCounter, 14, 2}, {5, TipWorkOffTimer, 16, 2},
    {5, Sp1, 18, 2},
};

// A speed staged from a byte: the nearest whole quarter of it, a tie going to the even speed.
void CheckSpeed(qint32 speed, const QString &reply)
{
    bool ok = false;
    const int byte = reply.mid(5, 2).toInt(&ok, 16);
    FUZZ_CHECK(ok);
    const int diff = std::abs(speed * 4 - byte);
    FUZZ_CHECK(diff <= 2);
    if (diff == 2)
        FUZZ_CHECK(speed % 2 == 0);
}

ParameterSet Sentinel()
{
    ParameterSet s;
    int k = 0;
    for (const FieldInfo &info : FieldTable())
        s.*info.member = -1000 - k++;  // no reply digits give a negative value
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    ParameterDocument document;
    qsizetype from = 0;
    bool allHaveDigits = true;
    for (int slot = 1; slot <= 5; ++slot) {
        const qsizetype lf = slot < 5 ? input.indexOf('\n', from) : -1;
        const qsizetype end = lf < 0 ? input.size() : lf + 1;
        document.blocks[slot] = QString::fromLatin1(input.mid(from, end - from));
        allHaveDigits = allHaveDigits && HasDataDigits(document.blocks[slot]);
        from = end;
    }
    document.blocks[6] = QStringLiteral("slot 6");
    document.blocks[7] = QStringLiteral("slot 7");

    const BlockTable before = document.blocks;
    const ParameterSet sentinel = Sentinel();
    document.staged = sentinel;
    document.current = sentinel;
    const bool staged = StageReadReplies(document.blocks, document.staged);

    for (int slot = 1; slot <= 7; ++slot)
        FUZZ_CHECK(document.blocks[slot] == before[slot]);
    FUZZ_CHECK(document.current == sentinel);
    FUZZ_CHECK(staged == allHaveDigits);
    if (!staged) {
        FUZZ_CHECK(document.staged == sentinel);
        return 0;
    }

    for (const Digits &d : kStaged) {
        const QString digits = document.blocks[d.slot].mid(d.position - 1, d.count).toUpper();
        FUZZ_CHECK(HexField(ValueOf(document.staged, d.field), d.count) == digits);
    }
    CheckSpeed(document.staged.Vel1, document.blocks[1]);
    CheckSpeed(document.staged.Vel2, document.blocks[3]);
    return 0;
}
