#include "files/verify.h"

#include "app/prompts.h"
#include "app/strings.h"
#include "params/check_chain.h"
#include "params/field_table.h"

#include <algorithm>
#include <array>

namespace kz {

namespace {

using enum Field;

// Pausing time before position, homing before sensor: within each group line the captions appear in
// this order.
constexpr std::array kVerifyOrder = {
    Vel1, Acc1, Dec1, PauseTime1, Position1, Vel2, Acc2, Dec2, PauseTime2, Position2,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
    SeparateTimer, SupplyCounter, RestartDelay, MidDetectCounter, NoWorkCounter, TipWorkOffTimer, Sp1,
    RevDir,
};

constexpr std::array kGroups = {ParamGroup::Position1, ParamGroup::Position2, ParamGroup::Sensor,
                                ParamGroup::Homing};

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

VerifyOutcome ComposeVerifyReport(const ParameterSet &staged, const ParameterSet &current,
                                  bool groupsActive)
{
    // Indexed by ParamGroup.
    std::array<QString, kGroups.size()> lines;
    std::array<bool, kGroups.size()> flagged = {};
    for (ParamGroup group : kGroups)
        lines[int(group)] = Str(GroupCaptionId(group)) + QStringLiteral(" - ");

    for (Field field : kVerifyOrder) {
        if (!TakesPart(field, groupsActive) || ValueOf(staged, field) == ValueOf(current, field))
            continue;
        const FieldInfo &info = Info(field);
        flagged[int(info.group)] = true;
        lines[int(info.group)] += Str(info.captionId) + QLatin1Char(',');
    }

    VerifyOutcome outcome;
    if (std::find(flagged.begin(), flagged.end(), true) == flagged.end()) {
        outcome.text = Str(272);
        return outcome;
    }

    // The same layout as the range report: the sensor and homing lines each put a line break in front
    // of everything listed so far, so the list opens with one empty line per such group.
    QString &list = outcome.list;
    for (ParamGroup group : {ParamGroup::Position1, ParamGroup::Position2})
        if (flagged[int(group)])
            list += lines[int(group)] + kCrLf;
    for (ParamGroup group : {ParamGroup::Sensor, ParamGroup::Homing})
        if (flagged[int(group)])
            list = kCrLf + list + lines[int(group)] + kCrLf;

    outcome.result = 1;
    outcome.text = Str(273) + kCrLf + kCrLf + Str(274) + kCrLf + list;
    return outcome;
}

int VerifyReport(bool groupsActive)
{
    OutOfRangeList.clear();
    const VerifyOutcome outcome = ComposeVerifyReport(Temp, Hensu, groupsActive);
    OutOfRangeList = outcome.list;
    MsgOk(outcome.text);
    return outcome.result;
}

}  // namespace kz
