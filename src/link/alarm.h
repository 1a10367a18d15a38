#pragma once
// Controller alarm replies ("0%%" + two hex digits).

#include <QString>

namespace kz {

// Text of an alarm reply's first five characters: "0%%00".."0%%0B" (exact, upper case) map to
// strings 260..271 in the current language; anything else has no text.
QString AlarmTextFor(const QString &reply);

}  // namespace kz
