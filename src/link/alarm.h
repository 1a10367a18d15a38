#pragma once
// Controller alarm replies ("0%%" + two hex digits) and their display on the main window.

#include <QString>

namespace kz {

extern QString AlarmData;  // the last alarm reply
extern QString AlarmText;  // the text of its code, empty for a code outside the table

// Text of an alarm reply's first five characters: "0%%00".."0%%0B" (exact, upper case) map to
// strings 260..271 in the current language; anything else has no text.
QString AlarmTextFor(const QString &reply);

// Shows AlarmData on the main window (lamp, code, text) and sets AlarmText.
void ShowAlarm();

}  // namespace kz
