#include "params/data_image.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "params/field_table.h"
#include "params/parameter_set.h"

#include <limits>
#include <optional>

namespace kz {

QString &BlockTable::operator[](int slot)
{
    Q_ASSERT(slot >= 1 && slot <= kSlots);
    return slots_[slot - 1];
}

const QString &BlockTable::operator[](int slot) const
{
    Q_ASSERT(slot >= 1 && slot <= kSlots);
    return slots_[slot - 1];
}

void BlockTable::clear()
{
    slots_ = {};
}

QString HexField(qint32 value, int width)
{
    const QString hex = QString::number(quint32(value), 16).toUpper();
    if (hex.size() > width)
        return QStringLiteral("X");
    return hex.rightJustified(width, QLatin1Char('0'));
}

namespace {

const QString kFiller = QStringLiteral("FF");
const QString kFiller4 = QStringLiteral("FFFFFFFF");

// The controller takes the speed times 4, a product that has always been formed in 16-bit signed
// arithmetic: one that does not fit is a failure rather than a silently wrapped byte.
std::optional<QString> SpeedByte(qint32 vel)
{
    const qint64 product = qint64(vel) * 4;
    if (product < std::numeric_limits<qint16>::min() || product > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return HexField(qint32(product), 2);
}

int CollectingFailed()
{
    MsgOk(StrLines({248, 249}));
    return 1;
}

// Where a read reply carries each staged field: 1-based character position in the reply
// ("0RD" + block number put data byte k at 6 + 2k) and number of digits. The speed bytes of block
// "04" and the pausing time of block "05" repeat fields staged elsewhere and are not read.
struct ReplyField {
    int slot;
    Field field;
    int position;
    int digits;
};

using enum Field;
constexpr ReplyField kReplyFields[] = {
    {1, Vel1, 6, 2}, {1, Acc1, 8, 2}, {1, Dec1, 10, 2}, {1, Position1, 12, 6}, {1, PauseTime1, 18, 2},
    {2, Position2, 12, 6}, {2, PauseTime2, 18, 2},
    {3, Vel2, 6, 2}, {3, Acc2, 8, 2}, {3, Dec2, 10, 2},
    {4, HomingVel, 6, 2}, {4, HomingPulse, 8, 4}, {4, OffsetVel, 12, 2}, {4, HomeOffset, 14, 4},
    {4, RevDir, 20, 2},
    {5, SupplyCounter, 6, 2}, {5, RestartDelay, 8, 2}, {5, NoWorkCounter, 10, 2},
    {5, SeparateTimer, 12, 2}, {5, MidDetectCounter, 14, 2}, {5, TipWorkOffTimer, 16, 2},
    {5, Sp1, 18, 2},
};

constexpr int kFirstDataChar = 6;  // 1-based, after "0RD" and the block number
constexpr int kDataChars = 16;
constexpr int kReadSlots = 5;

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool HoldsReplyData(const QString &reply)
{
    if (reply.size() < kFirstDataChar - 1 + kDataChars)
        return false;
    for (int i = 0; i < kDataChars; ++i) {
        if (!IsHexDigit(reply[kFirstDataChar - 1 + i]))
            return false;
    }
    return true;
}

// The controller holds the speed times 4; a byte between two speeds goes to the even one.
qint32 SpeedFromByte(quint32 byte)
{
    const quint32 quotient = byte / 4;
    const quint32 remainder = byte % 4;
    if (remainder > 2 || (remainder == 2 && quotient % 2 == 1))
        return qint32(quotient + 1);
    return qint32(quotient);
}

}  // namespace

namespace {

// The text of slot (1 to 7) for set; nullopt when its speed does not fit.
std::optional<QString> BlockText(const ParameterSet &h, int slot)
{
    const auto profile = [&h](bool second) -> std::optional<QString> {
        const auto speed = SpeedByte(second ? h.Vel2 : h.Vel1);
        if (!speed)
            return std::nullopt;
        return *speed + HexField(second ? h.Acc2 : h.Acc1, 2) + HexField(second ? h.Dec2 : h.Dec1, 2);
    };
    switch (slot) {
    case 1:
    case 2: {
        const auto p = profile(false);
        if (!p)
            return std::nullopt;
        return slot == 1 ? QStringLiteral("02") + *p + HexField(h.Position1, 6) + HexField(h.PauseTime1, 2) + kFiller
                         : QStringLiteral("04") + *p + HexField(h.Position2, 6) + HexField(h.PauseTime2, 2) + kFiller;
    }
    case 3:
    case 6: {
        const auto p = profile(true);
        if (!p)
            return std::nullopt;
        return slot == 3 ? QStringLiteral("05") + *p + HexField(h.PauseTime2, 2) + kFiller4
                         : QStringLiteral("03") + *p + HexField(h.PauseTime1, 2) + kFiller4;
    }
    case 4:
        return QStringLiteral("00") + HexField(h.HomingVel, 2) + HexField(h.HomingPulse, 4) + HexField(h.OffsetVel, 2)
            + HexField(h.HomeOffset, 4) + kFiller + HexField(h.RevDir, 2);
    case 5:
        return QStringLiteral("01") + HexField(h.SupplyCounter, 2) + HexField(h.RestartDelay, 2)
            + HexField(h.NoWorkCounter, 2) + HexField(h.SeparateTimer, 2) + HexField(h.MidDetectCounter, 2)
            + HexField(h.TipWorkOffTimer, 2) + HexField(h.Sp1, 2) + kFiller;
    default:
        return QStringLiteral("1F") + QStringLiteral("FFFFFFFFFFFF55AA");
    }
}

}  // namespace

std::optional<BlockTable> WriteBlocksFor(const ParameterSet &set)
{
    BlockTable blocks;
    for (int slot = 1; slot <= BlockTable::kSlots; ++slot) {
        const auto text = BlockText(set, slot);
        if (!text)
            return std::nullopt;
        blocks[slot] = *text;
    }
    return blocks;
}

int BuildWriteBlocks(const ParameterSet &set, BlockTable &blocks, bool groupsActive)
{
    // Built in the order the controller's image always has been: a speed that does not fit stops
    // the building, the slots before it keeping their new text.
    for (int slot : {1, 2, 3, 4, 5, 6, 7}) {
        if ((slot == 4 || slot == 5) && !groupsActive)
            continue;
        const auto text = BlockText(set, slot);
        if (!text)
            return CollectingFailed();
        blocks[slot] = *text;
    }
    return 0;
}

std::optional<ParameterSet> ParametersFromReplies(const QStringList &replies)
{
    if (replies.size() != kReadSlots)
        return std::nullopt;
    for (const QString &reply : replies) {
        if (!HoldsReplyData(reply))
            return std::nullopt;
    }
    ParameterSet set;
    for (const ReplyField &r : kReplyFields) {
        const quint32 raw = replies[r.slot - 1].mid(r.position - 1, r.digits).toUInt(nullptr, 16);
        const bool speed = r.field == Vel1 || r.field == Vel2;
        ValueOf(set, r.field) = speed ? SpeedFromByte(raw) : qint32(raw);
    }
    return set;
}

bool StageReadReplies(const BlockTable &blocks, ParameterSet &staged)
{
    // All five replies are checked before anything is staged, so a bad one leaves staged as it was.
    QStringList replies;
    for (int slot = 1; slot <= kReadSlots; ++slot)
        replies.append(blocks[slot]);
    const auto set = ParametersFromReplies(replies);
    if (!set)
        return false;
    staged = *set;
    return true;
}

}  // namespace kz
