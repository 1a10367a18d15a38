#include "params/check_chain.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "params/field_list.h"
#include "params/field_table.h"
#include "core/read_number.h"

#include <array>

namespace kz {

namespace {

using enum Field;

// Each check keeps the order in which the controls have always been visited; the sensor and homing
// fields come last so that leaving them out while the groups are inactive changes nothing else.
constexpr std::array kBlankCheckOrder = {
    Vel1, Vel2, Acc1, Acc2, Position1, Position2, Dec1, Dec2, PauseTime1, PauseTime2,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
    SupplyCounter, NoWorkCounter, RestartDelay, SeparateTimer, MidDetectCounter, TipWorkOffTimer, Sp1,
};

// Order matters here: a failure stops the take-in, and the fields before it stay taken.
constexpr std::array kTakeInOrder = {
    Vel1, Vel2, Acc1, Acc2, Dec1, Dec2, Position1, Position2, PauseTime1, PauseTime2,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
    SupplyCounter, NoWorkCounter, RestartDelay, SeparateTimer, MidDetectCounter, TipWorkOffTimer, Sp1,
    RevDir,
};

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

int CheckNoBlankField(const ScreenTexts &screen, bool groupsActive)
{
    for (Field field : kBlankCheckOrder) {
        if (TakesPart(field, groupsActive)
            && screen.text(QLatin1String(Info(field).control)).isEmpty()) {
            MsgOk(StrLines({239, 240}));
            return 1;
        }
    }
    return 0;
}

int TakeScreenValues(const ScreenTexts &screen, bool groupsActive, ParameterSet &current)
{
    for (Field field : kTakeInOrder) {
        if (!TakesPart(field, groupsActive))
            continue;
        const FieldInfo &info = Info(field);
        if (info.kind == ControlKind::CheckBox) {
            ValueOf(current, field) = screen.revDirChecked ? 1 : 0;
            continue;
        }
        const auto value = ReadNumber(screen.text(QLatin1String(info.control)), info.widthBits);
        if (!value) {
            MsgOk(StrLines({241, 242}));
            return 1;
        }
        ValueOf(current, field) = *value;
    }
    return 0;
}

QString OutOfRangeFields(const ParameterSet &set, bool groupsActive)
{
    return GroupedFieldList(groupsActive, [&set](Field field) {
        const FieldInfo &info = Info(field);
        const qint32 value = ValueOf(set, field);
        return value < info.min || value > info.max;
    });
}

QString RangeReportText(const QString &outOfRange)
{
    return StrLines({244, 245}) + kCrLf + outOfRange;
}

int CheckRanges(ParameterDocument &document, bool groupsActive)
{
    document.outOfRange = OutOfRangeFields(document.current, groupsActive);
    if (document.outOfRange.isEmpty())
        return 0;
    MsgOk(RangeReportText(document.outOfRange));
    return 1;
}

}  // namespace kz
