#pragma once
// The serial port connection: which device COMn is, opening with the fixed line settings, and the
// port-occupy rule for closing.

#include <QString>

namespace kz {

// Link settings, one instance each.
extern int PortNo;        // COM port number, 1..32
extern bool PortOccupy;   // keep the port open between operations
extern int BaudIndex;     // 0: 9600, 1: 19200, 2: 38400; anything else 9600

// "9600,N,8,1" and its siblings by BaudIndex.
QString LineSettingsText(int baudIndex);

// The device behind COMn: on Windows "COMn"; on Linux the link <config>/ports/COMn when it exists
// (resolved to its target), else /dev/ttyS{n-1}.
QString PortDevicePath(int portNo);

// 0: port open and ready; 1: it could not be opened (no message shown).
int OpenCommPort();
// Why the last OpenCommPort failed, as lines each preceded by "\r\n" in the current language, so
// that a message takes them on as it is: MsgOk(Str(215) + PortFailureDetail()). Empty when the
// last open succeeded.
QString PortFailureDetail();
// Closes the port unless PortOccupy is on.
void CloseCommPort();
// Opens candidate instead of PortNo, leaving PortNo alone (the Options dialog's port probe).
int TestOpenPort(int candidate);
// Closes the port whatever PortOccupy says and hides the green port lamp.
void ReleasePortLamp();
// Closes the port whatever PortOccupy says (time-out, program exit).
void ForceClosePort();

}  // namespace kz
