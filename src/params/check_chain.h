#pragma once
// Taking the screen into the document's current copy: every operation that starts from the screen's
// data (write, save, print, verify) runs CheckNoBlankField, then TakeScreenValues, then CheckRanges,
// and stops at the first that returns 1. Each shows its own message before returning 1.
//
// The checks work on the screen's texts rather than on widgets, so the main window passes what its
// controls hold, and its "parameter groups active" state (show-parameters option on and framParameta
// enabled). While the groups are inactive, the sensor and homing fields are neither checked, taken
// nor range-tested, and keep their values in the current copy.

#include "params/parameter_document.h"
#include "params/parameter_set.h"

#include <QHash>
#include <QString>

namespace kz {

// What the parameter controls of the main window hold.
struct ScreenTexts {
    QHash<QString, QString> texts;  // text or caption, keyed by control objectName
    bool revDirChecked = false;     // chkRevDir ticked

    // A control with no entry reads as empty.
    QString text(const QString &control) const { return texts.value(control); }
};

// 1 (message shown) when a required control's text is exactly empty; a text of spaces is not empty.
int CheckNoBlankField(const ScreenTexts &screen, bool groupsActive);

// Reads the controls into current, field by field. 1 (message shown) when a text does not give a
// number that fits its field's width; the fields taken before it keep their new values.
int TakeScreenValues(const ScreenTexts &screen, bool groupsActive, ParameterSet &current);

// The fields of set outside their accepted ranges, listed per group by caption as the range report
// shows them; empty when all are in range. Shows nothing.
QString OutOfRangeFields(const ParameterSet &set, bool groupsActive);
// The range report's whole text for a list of OutOfRangeFields().
QString RangeReportText(const QString &outOfRange);
// Checks the document's current copy against the accepted ranges and leaves the list in its
// outOfRange. 1 (report shown) when anything is out of range; the report lists, per group, the
// captions of the failing fields.
int CheckRanges(ParameterDocument &document, bool groupsActive);

}  // namespace kz
