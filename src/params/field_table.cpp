#include "params/field_table.h"

#include "core/strings.h"

namespace kz {

namespace {

using enum Field;
using enum ControlKind;
using G = ParamGroup;

// Positions are accepted up to FFFFFF, the width of their field in the controller image, although the
// screen's own entry rule keeps typed values to 0..400: values from the controller or a file must pass.
// HomeOffset likewise passes up to 600 while typing allows only up to 100.
constexpr qint32 kMaxPosition = 16777215;

constexpr std::array<FieldInfo, kFieldCount> kTable = {{
    {Vel1, &ParameterSet::Vel1, "Vel1", 16, "comboVEL1", DropDown, 29, 65, 1, 30, G::Position1},
    {Acc1, &ParameterSet::Acc1, "Acc1", 16, "lblPosi1Acc", Label, 30, 66, 1, 9, G::Position1},
    {Dec1, &ParameterSet::Dec1, "Dec1", 16, "lblPosi1Gensoku", Label, 31, 67, 1, 9, G::Position1},
    {PauseTime1, &ParameterSet::PauseTime1, "PauseTime1", 16, "txtPosi1Timer", TextBox, 32, 68, 0, 255, G::Position1},
    {Position1, &ParameterSet::Position1, "Position1", 32, "txtPosi1", TextBox, 33, 69, 0, kMaxPosition, G::Position1},
    {Vel2, &ParameterSet::Vel2, "Vel2", 16, "comboVEL2", DropDown, 29, 65, 1, 30, G::Position2},
    {Acc2, &ParameterSet::Acc2, "Acc2", 16, "lblPosi2Acc", Label, 30, 66, 1, 9, G::Position2},
    {Dec2, &ParameterSet::Dec2, "Dec2", 16, "lblPosi2Gensoku", Label, 31, 67, 1, 9, G::Position2},
    {PauseTime2, &ParameterSet::PauseTime2, "PauseTime2", 16, "txtPosi2Timer", TextBox, 32, 68, 0, 255, G::Position2},
    {Position2, &ParameterSet::Position2, "Position2", 32, "txtPosi2", TextBox, 33, 69, 0, kMaxPosition, G::Position2},
    {SeparateTimer, &ParameterSet::SeparateTimer, "SeparateTimer", 16, "txtLowKaijoCnt", TextBox, 37, 81, 1, 255, G::Sensor},
    {SupplyCounter, &ParameterSet::SupplyCounter, "SupplyCounter", 16, "txtSentanCount", TextBox, 38, 82, 1, 255, G::Sensor},
    {RestartDelay, &ParameterSet::RestartDelay, "RestartDelay", 16, "txtRestartDelay", TextBox, 39, 83, 1, 255, G::Sensor},
    {MidDetectCounter, &ParameterSet::MidDetectCounter, "MidDetectCounter", 16, "txtXXXCnt", TextBox, 40, 84, 1, 255, G::Sensor},
    {NoWorkCounter, &ParameterSet::NoWorkCounter, "NoWorkCounter", 16, "txtNoWorkCount", TextBox, 41, 85, 1, 255, G::Sensor},
    {TipWorkOffTimer, &ParameterSet::TipWorkOffTimer, "TipWorkOffTimer", 16, "txtHensu1", TextBox, 42, 86, 1, 255, G::Sensor},
    {Sp1, &ParameterSet::Sp1, "Sp1", 16, "txtHensu2", TextBox, 43, 87, 0, 255, G::Sensor},
    {RevDir, &ParameterSet::RevDir, "RevDir", 16, "chkRevDir", CheckBox, 243, 0, 0, 1, G::Sensor},
    {HomingVel, &ParameterSet::HomingVel, "HomingVel", 16, "txtHomeSokudo", TextBox, 45, 88, 1, 16, G::Homing},
    {HomingPulse, &ParameterSet::HomingPulse, "HomingPulse", 32, "txtHomePosi", TextBox, 46, 89, 1, 600, G::Homing},
    {OffsetVel, &ParameterSet::OffsetVel, "OffsetVel", 16, "txtOffsetSokudo", TextBox, 47, 90, 1, 16, G::Homing},
    {HomeOffset, &ParameterSet::HomeOffset, "HomeOffset", 32, "txtOffsetPosi", TextBox, 48, 91, 1, 600, G::Homing},
}};

// Info() indexes the table by Field, so a row out of place would silently describe another field.
constexpr bool RowsInFieldOrder()
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (static_cast<int>(kTable[i].field) != i + 1)
            return false;
    }
    return true;
}
static_assert(RowsInFieldOrder(), "field table rows must follow the Field order");

}  // namespace

const std::array<FieldInfo, kFieldCount> &FieldTable()
{
    return kTable;
}

const FieldInfo &Info(Field field)
{
    return kTable[static_cast<int>(field) - 1];
}

qint32 &ValueOf(ParameterSet &set, Field field)
{
    return set.*Info(field).member;
}

qint32 ValueOf(const ParameterSet &set, Field field)
{
    return set.*Info(field).member;
}

int GroupCaptionId(ParamGroup group)
{
    switch (group) {
    case ParamGroup::Position1: return 34;
    case ParamGroup::Position2: return 35;
    case ParamGroup::Sensor: return 36;
    case ParamGroup::Homing: return 44;
    }
    return 0;
}

QString FieldDisplayName(Field field)
{
    const FieldInfo &info = Info(field);
    return Str(GroupCaptionId(info.group)).simplified() + QLatin1String(" / ") + Str(info.captionId).simplified();
}

bool TakesPart(Field field, bool groupsActive)
{
    const ParamGroup group = Info(field).group;
    return groupsActive || group == ParamGroup::Position1 || group == ParamGroup::Position2;
}

}  // namespace kz
