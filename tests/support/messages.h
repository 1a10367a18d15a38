#pragma once
// The link's failure messages in English, as the user reads them.

#include <QString>

namespace kz::test {

inline const QString kTimeoutEn = QStringLiteral(
    "Communication timeout error!\r\nCheck the followings;\r\n 1.Power ON for controller?\r\n"
    " 2.Communication cables are connected?");
inline const QString kLengthEn =
    QStringLiteral("Communication data length error occurs!\r\nLength of data is wrong.");
inline const QString kEchoEn = QStringLiteral("The controller's reply did not match the command.");
// A serial line that hangs up mid-reply: the system's reason for it would mislead, so none is given.
inline const QString kLineLostEn = QStringLiteral(
    "The line to the controller was lost!\r\nCheck the cable, the USB adapter or the network connection.");

}  // namespace kz::test
