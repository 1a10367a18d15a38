#pragma once
// The controller's image of the parameter set: numbered blocks of 8 bytes, exchanged as text (two
// hexadecimal digits of block number, then the 8 bytes as 16 upper-case hexadecimal digits).
//
//   slot  block  bytes
//   1     "02"   Vel1 x 4, Acc1, Dec1, Position1 (3 bytes), PauseTime1, FF
//   2     "04"   Vel1 x 4, Acc1, Dec1, Position2 (3 bytes), PauseTime2, FF
//   3     "05"   Vel2 x 4, Acc2, Dec2, PauseTime2, FF FF FF FF
//   4     "00"   HomingVel, HomingPulse (2 bytes), OffsetVel, HomeOffset (2 bytes), FF, RevDir
//   5     "01"   SupplyCounter, RestartDelay, NoWorkCounter, SeparateTimer, MidDetectCounter,
//                TipWorkOffTimer, Sp1, FF
//   6     "03"   Vel2 x 4, Acc2, Dec2, PauseTime1, FF FF FF FF
//   7     "1F"   FF FF FF FF FF FF 55 AA
//
// Numbers are unsigned and big-endian. Reading fills slots 1 to 5 with whole replies ("0RD" + block
// number + 16 digits + CR LF); building fills them with the block texts to send.

#include "params/parameter_set.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace kz {

// Seven text slots, numbered 1 to 7 as the blocks are sent and read.
class BlockTable {
public:
    static constexpr int kSlots = 7;

    QString &operator[](int slot);
    const QString &operator[](int slot) const;
    void clear();

private:
    std::array<QString, kSlots> slots_;
};

// The parameter set that the five read replies hold (whole replies to blocks "02", "04", "05",
// "00" and "01", in that order). The speeds are divided by 4, rounded to nearest with ties to
// even. nullopt when a reply is missing or too short, or its data characters are not hexadecimal.
std::optional<ParameterSet> ParametersFromReplies(const QStringList &replies);
// The block texts a write sends for set, in slots 1 to 7 (WriteSlots() says which are sent).
// nullopt when a speed times 4 does not fit 16 bits.
std::optional<BlockTable> WriteBlocksFor(const ParameterSet &set);

// Upper-case hexadecimal of value, padded with "0" to width digits; "X" when it needs more digits.
// A negative value counts as its 32-bit two's complement, eight digits, so it always gives "X".
QString HexField(qint32 value, int width);

// Builds the blocks to send for set into slots 1 to 7 of blocks; slots 4 and 5 only while the
// parameter groups are active, otherwise they keep their text and are not sent. 1 (message shown)
// when a speed times 4 does not fit 16 bits; the slots built before it keep their new text.
int BuildWriteBlocks(const ParameterSet &set, BlockTable &blocks, bool groupsActive);

// Stages the read replies in slots 1 to 5 of blocks into staged, all 22 fields whatever the groups'
// state. The speeds are divided by 4, rounded to nearest with ties to even. False, with staged
// untouched, when a reply is too short or its data characters are not hexadecimal digits: the caller
// then rejects the read with its own message instead of staging garbage.
[[nodiscard]] bool StageReadReplies(const BlockTable &blocks, ParameterSet &staged);

}  // namespace kz
