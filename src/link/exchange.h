#pragma once
// What the user is told when an exchange with the controller fails: one frame out (command +
// argument + CR LF), one reply line back, checked for time-out, alarm, echo and length (link.h).

#include <QString>

namespace kz {

// Texts of the link's failure messages in the current language.
QString TimeoutMessage();
// The alarm message for an alarm whose text is alarmText.
QString AlarmMessageFor(const QString &alarmText);
QString LengthErrorMessage();
QString EchoMismatchMessage();
// The line went away during a wait (a connection closed or reset, a device unplugged); reason is
// the system's, when it gave one.
QString LineLostMessage(const QString &reason);

// Longest reply text kept; anything beyond is counted but not stored.
inline constexpr int kMaxReplyKept = 4096;

}  // namespace kz
