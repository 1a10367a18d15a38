#include "files/verify.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "params/field_list.h"

#include <algorithm>

namespace kz {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The one comparison: the stored integers, no tolerance.
bool Differs(const ParameterSet &staged, const ParameterSet &current, Field field)
{
    return ValueOf(staged, field) != ValueOf(current, field);
}

}  // namespace

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

QList<VerifyDifference> VerifyDifferences(const ParameterSet &staged, const ParameterSet &current,
                                          bool groupsActive)
{
    // The grouped list visits the fields it compares in its own order; the rows then follow its
    // lines: both positions, then sensor, then homing.
    QList<VerifyDifference> differences;
    GroupedFieldList(groupsActive, [&](Field field) {
        if (ValueOf(staged, field) == ValueOf(current, field))
            return false;
        differences.append({field, ValueOf(current, field), ValueOf(staged, field)});
        return true;
    });
    auto rank = [](const VerifyDifference &d) {
        switch (Info(d.field).group) {
        case ParamGroup::Position1: return 0;
        case ParamGroup::Position2: return 1;
        case ParamGroup::Sensor: return 2;
        case ParamGroup::Homing: return 3;
        }
        return 4;
    };
    std::stable_sort(differences.begin(), differences.end(),
                     [&](const VerifyDifference &a, const VerifyDifference &b) { return rank(a) < rank(b); });
    return differences;
}

TableRequest VerifyValueTable(const QList<VerifyDifference> &differences, VerifySource source)
{
    TableRequest table;
    table.caption = Str(3230);
    table.headers = {Str(3231), Str(3232), Str(3233), Str(source == VerifySource::File ? 3235 : 3234)};
    for (const VerifyDifference &d : differences) {
        const FieldInfo &info = Info(d.field);
        table.rows.append({Str(GroupCaptionId(info.group)), Str(info.captionId), QString::number(d.screen),
                           QString::number(d.other)});
    }
    return table;
}

int VerifyReport(ParameterDocument &document, bool groupsActive, VerifySource source)
{
    document.outOfRange.clear();
    const VerifyOutcome outcome = ComposeVerifyReport(document.staged, document.current, groupsActive);
    document.outOfRange = outcome.list;
    MsgOk(outcome.text);
    if (outcome.result == 1)
        prompts().table(
            VerifyValueTable(VerifyDifferences(document.staged, document.current, groupsActive), source));
    return outcome.result;
}

}  // namespace kz
