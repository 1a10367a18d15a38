#include "files/verify.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "params/check_chain.h"
#include "params/field_list.h"

namespace kz {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The one comparison: the stored integers, no tolerance.
bool Differs(const ParameterSet &staged, const ParameterSet &current, Field field)
{
    return ValueOf(staged, field) != ValueOf(current, field);
}

}  // namespace

QList<FieldDifference> VerifyDifferences(const ParameterSet &staged, const ParameterSet &current,
                                         bool groupsActive)
{
    QList<FieldDifference> out;
    for (const FieldInfo &info : FieldTable()) {
        if (TakesPart(info.field, groupsActive) && Differs(staged, current, info.field))
            out.append({info.field, ValueOf(staged, info.field), ValueOf(current, info.field)});
    }
    return out;
}

VerifyOutcome ComposeVerifyReport(const ParameterSet &staged, const ParameterSet &current,
                                  bool groupsActive)
{
    VerifyOutcome outcome;
    outcome.list = GroupedFieldList(groupsActive, [&](Field field) {
        return Differs(staged, current, field);
    });
    if (outcome.list.isEmpty()) {
        outcome.text = Str(272);
        return outcome;
    }
    outcome.result = 1;
    outcome.text = Str(273) + kCrLf + kCrLf + Str(274) + kCrLf + outcome.list;
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
