#pragma once
// Verification: does the document's staged copy (just read from the controller or a data file) equal
// its current copy (the screen)? The answer is one message box: "OK", or "NG" with the differing
// fields listed by group.
//
// The list is built in the document's outOfRange, the text the range check also uses; verification
// empties it first, so a report never carries lines of an earlier range check or verification.

#include "core/prompts.h"
#include "params/field_table.h"
#include "params/parameter_document.h"
#include "params/parameter_set.h"

#include <QList>
#include <QString>

namespace kz {

struct VerifyOutcome {
    int result = 0;  // 0 all compared fields equal, 1 differences found
    QString list;    // the grouped list of differing fields, empty when equal
    QString text;    // the whole report as shown
};

// Where the staged copy came from: its column of the value table is named after it.
enum class VerifySource { Controller, File };

// One field that differs: the current copy's value (the screen's) and the staged one's (the
// controller's or the file's).
struct VerifyDifference {
    Field field;
    qint32 screen = 0;
    qint32 other = 0;
};

// The fields that differ, in the report's order: the Position 1, Position 2, sensor and homing
// lines, each in its own order. Compares exactly the fields the report compares.
QList<VerifyDifference> VerifyDifferences(const ParameterSet &staged, const ParameterSet &current,
                                          bool groupsActive);

// The differences as a table: group and item (the report's own captions), the value on the
// screen, the value in the controller or the file.
TableRequest VerifyValueTable(const QList<VerifyDifference> &differences, VerifySource source);

// Compares staged with current field by field (the stored integers, no tolerance). The sensor and
// homing fields take part only while the parameter groups are active. Shows nothing.
VerifyOutcome ComposeVerifyReport(const ParameterSet &staged, const ParameterSet &current,
                                  bool groupsActive);

// Compares the document's staged copy with its current one, leaves the list in its outOfRange, shows
// the report (OK button, no icon) and, after a report of differences, the table of their values;
// returns the report's result.
int VerifyReport(ParameterDocument &document, bool groupsActive,
                 VerifySource source = VerifySource::Controller);

}  // namespace kz
