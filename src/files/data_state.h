#pragma once
// The data name shown beside "File Name" and the data-changed flag: what the screen holds and
// whether it has edits that no file has yet.

#include <QString>

namespace kz {

// String 15 ("New data") at start and after New data, string 213 after a read from the
// controller, the file's bare name after Open or Save As.
extern QString DataName;
// The full path of the file the screen's data were last opened from or saved to; empty for new
// data and for data read from the controller. Save replaces exactly this file.
extern QString DataPath;
// Set by every edit of a parameter field; cleared by the screen fill, Open, Save and New data.
extern bool DataChanged;

}  // namespace kz
