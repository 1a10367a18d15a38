#pragma once
// The one table of the 22 parameters: where each lives in ParameterSet, how wide it is, which control
// of the main window shows it, its caption and hint texts, the range the range check accepts, and its
// group. Each operation (blank check, take-in, range check, image, data file, verification, report)
// keeps only its own order of fields as a short list of Field values and reads the rest from here.

#include "params/parameter_set.h"

#include <array>

namespace kz {

// Index of a field, 1 to 22, in the order of ParameterSet.
enum class Field {
    Vel1 = 1, Acc1, Dec1, PauseTime1, Position1,
    Vel2, Acc2, Dec2, PauseTime2, Position2,
    SeparateTimer, SupplyCounter, RestartDelay, MidDetectCounter, NoWorkCounter, TipWorkOffTimer,
    Sp1, RevDir,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
};
inline constexpr int kFieldCount = 22;

enum class ParamGroup { Position1, Position2, Sensor, Homing };

// How the main window shows a field: the text of a drop-down, the caption of a label set by a
// spinner, the text of a text box, or the tick of a check box.
enum class ControlKind { DropDown, Label, TextBox, CheckBox };

struct FieldInfo {
    Field field;
    qint32 ParameterSet::*member;
    const char *name;      // the field's name, as in ParameterSet
    int widthBits;         // 16 or 32: what a value read from text must fit
    const char *control;   // objectName of the main-window control
    ControlKind kind;
    int captionId;         // base string id of the caption in messages and reports
    int hintId;            // base string id of the control's hint, 0 for none
    qint32 min;            // range accepted by the range check, both ends included
    qint32 max;
    ParamGroup group;
};

// All rows, in Field order.
const std::array<FieldInfo, kFieldCount> &FieldTable();
const FieldInfo &Info(Field field);

qint32 &ValueOf(ParameterSet &set, Field field);
qint32 ValueOf(const ParameterSet &set, Field field);

// Base string id of a group's caption ("Position 1", ..., "Homing parameters").
int GroupCaptionId(ParamGroup group);

// The field as messages name it, group and caption: "Position 1 / Position(pulse)". The caption
// alone is ambiguous: both position groups have the same five.
QString FieldDisplayName(Field field);

// The sensor and homing groups take part in screen transfer, checks and the blocks written only while
// the parameter groups are active (show-parameters option on and their frame enabled); the position
// groups always do. Fields left out keep whatever value they hold.
bool TakesPart(Field field, bool groupsActive);

}  // namespace kz
