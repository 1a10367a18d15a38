#include "files/verify.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "params/check_chain.h"
#include "params/field_list.h"

namespace kz {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

}  // namespace

VerifyOutcome ComposeVerifyReport(const ParameterSet &staged, const ParameterSet &current,
                                  bool groupsActive)
{
    VerifyOutcome outcome;
    outcome.list = GroupedFieldList(groupsActive, [&](Field field) {
        return ValueOf(staged, field) != ValueOf(current, field);
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
