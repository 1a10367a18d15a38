#pragma once
// The grouped list of fields that the range check and verification both report: one line per group
// that names a field, "<group caption> - <caption>,<caption>,...", each ending in CR LF. The sensor
// and homing lines each put a line break in front of everything listed so far, so the list opens
// with one empty line per such group: the layout users know.

#include "params/field_table.h"

#include <QString>
#include <functional>

namespace kz {

// The list of the fields for which listed() is true, visited in report order (within the position
// groups the pausing time comes before the position). Sensor and homing fields take part only while
// the parameter groups are active. Empty when no field is listed.
QString GroupedFieldList(bool groupsActive, const std::function<bool(Field)> &listed);

}  // namespace kz
