#include "params/field_list.h"

#include "core/strings.h"

#include <array>

namespace kz {

namespace {

using enum Field;

constexpr std::array kReportOrder = {
    Vel1, Acc1, Dec1, PauseTime1, Position1, Vel2, Acc2, Dec2, PauseTime2, Position2,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
    SeparateTimer, SupplyCounter, RestartDelay, MidDetectCounter, NoWorkCounter, TipWorkOffTimer, Sp1,
    RevDir,
};

}  // namespace

QString GroupedFieldList(bool groupsActive, const std::function<bool(Field)> &listed)
{
    const QString crLf = QStringLiteral("\r\n");
    // Indexed by ParamGroup.
    std::array<QString, 4> lines;
    std::array<bool, 4> flagged = {};
    for (ParamGroup group : {ParamGroup::Position1, ParamGroup::Position2, ParamGroup::Sensor, ParamGroup::Homing})
        lines[int(group)] = Str(GroupCaptionId(group)) + QStringLiteral(" - ");
    for (Field field : kReportOrder) {
        if (!TakesPart(field, groupsActive) || !listed(field))
            continue;
        const FieldInfo &info = Info(field);
        flagged[int(info.group)] = true;
        lines[int(info.group)] += Str(info.captionId) + QLatin1Char(',');
    }
    QString list;
    for (ParamGroup group : {ParamGroup::Position1, ParamGroup::Position2})
        if (flagged[int(group)])
            list += lines[int(group)] + crLf;
    for (ParamGroup group : {ParamGroup::Sensor, ParamGroup::Homing})
        if (flagged[int(group)])
            list = crLf + list + lines[int(group)] + crLf;
    return list;
}

}  // namespace kz
