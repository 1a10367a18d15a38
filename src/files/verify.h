#pragma once
// Verification: does the staged copy Temp (just read from the controller or a data file) equal the
// current copy Hensu (the screen)? The answer is one message box: "OK", or "NG" with the differing
// fields listed by group.
//
// The list is built in OutOfRangeList, the text the range check also uses; verification empties it
// first, so a report never carries lines of an earlier range check or verification.

#include "params/parameter_set.h"

#include "params/field_table.h"

#include <QList>
#include <QString>

namespace kz {

struct VerifyOutcome {
    int result = 0;  // 0 all compared fields equal, 1 differences found
    QString list;    // the grouped list of differing fields, empty when equal
    QString text;    // the whole report as shown
};

// Compares staged with current field by field (the stored integers, no tolerance). The sensor and
// homing fields take part only while the parameter groups are active. Shows nothing.
VerifyOutcome ComposeVerifyReport(const ParameterSet &staged, const ParameterSet &current,
                                  bool groupsActive);

// One field that differs, with both values.
struct FieldDifference {
    Field field;
    qint32 staged = 0;
    qint32 current = 0;
};
// The fields ComposeVerifyReport lists, in field order, with both values.
QList<FieldDifference> VerifyDifferences(const ParameterSet &staged, const ParameterSet &current,
                                         bool groupsActive);

// Compares Temp with Hensu, leaves the list in OutOfRangeList, shows the report (OK button, no icon)
// and returns its result.
int VerifyReport(bool groupsActive);

}  // namespace kz
