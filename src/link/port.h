#pragma once
// The serial port connection: which device COMn is, opening with the fixed line settings, and the
// port-occupy rule for closing.

#include <QString>

namespace kz {

class CommPort;

// Which port the window talks through and how: the settings "PortNo" and "PortOccupy".
struct PortChoice {
    int number = 0;         // COM port number, 1..32; anything else reloads the setting
    bool keepOpen = false;  // port occupy: keep the port open between operations
    int baudIndex = 0;      // 0: 9600, 1: 19200, 2: 38400; anything else 9600
};

// "9600,N,8,1" and its siblings by the baud index.
QString LineSettingsText(int baudIndex);

// The device behind COMn: on Windows "COMn"; on Linux the link <config>/ports/COMn when it exists
// (resolved to its target), else /dev/ttyS{n-1}. A link whose target text is a network address
// "tcp://host:port" (a symlink, or a text file holding it on its first line) gives that address.
QString PortDevicePath(int portNo);

// A link's target as written: "tcp://host:port" as a symlink's target, or as the first line of a
// small text file in its place. Empty for anything else.
QString NetworkTarget(const QString &link);

// Opens COMn on port with the line settings of baudIndex (nothing when port is open already).
// 0: open; 1: not, with *device what the number resolved to and *error the port's own words.
int OpenPortNumber(CommPort &port, int number, int baudIndex, QString *device, QString *error);
// Opens COM candidate at 9600 baud (the Options dialog's port probe); an out-of-range candidate
// means the stored number.
int TestOpenPort(int candidate);
// Closes the numbered port whatever port occupy says (program exit, the port probe).
void ForceClosePort();

}  // namespace kz
