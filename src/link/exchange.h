#pragma once
// The request/reply exchange with the controller: one frame out (command + argument + CR LF), one
// reply line back, checked for time-out, alarm, echo and length, with a recovery frame after a
// bad reply and the messages the user sees.

#include <QString>

namespace kz {

// The default link's state (link/link.h), under the names the window uses.
extern int &TimeoutMs;       // reply time-out of the next exchange
extern bool &TimeoutFlag;    // set when the reply timer expired
extern bool &CommErrFlag;    // set when an exchange failed
extern QString &RecvData;    // the last good reply, CR LF included

// The exchanges of the default link.

// Sends cmd + arg, waits for one reply line and checks it. 0: the reply is in RecvData.
// 1: failed; the message has been shown (except when the port could not be opened).
int SendRecvCt(const QString &cmd, int expectedLength, const QString &arg);
// Sends cmd + arg and waits for nothing.
int SendOnlyCt(const QString &cmd, int expectedLength, const QString &arg);
// "0CM" + "1" with a 1000 ms time-out: the controller goes to communication mode.
int SetCommMode();
// Communication mode, then the reset frame "0CM3"; the port is closed (honouring port occupy).
int ResetCt();

// True while an exchange waits for its reply. Handlers that run during the wait (a close
// request, a timer tick) use it to keep away from the port.
bool ExchangeInProgress();

// Texts of the link's failure messages in the current language.
QString TimeoutMessage();
QString AlarmMessage();
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
