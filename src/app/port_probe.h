#pragma once
// The port list of the Options dialog: which of COM1 to COM32 can be opened, and which exist but
// are closed to this user.
//
// The probe opens each port through the link (TestOpenPort) and closes it again, so afterwards the
// link's port is closed. On Linux a port whose device does not exist is not opened at all, and a
// device this user may not read and write is recorded as such instead of being opened.

#include <QList>
#include <QString>

#include "link/port_diag.h"  // SetDeviceAccessCheck, the seam the probe shares with the link

namespace kz {

inline constexpr int kFirstPortNo = 1;
inline constexpr int kLastPortNo = 32;

enum class PortState {
    Absent,        // no device behind the number (not opened)
    Available,     // opened and closed again
    Network,       // a network port: listed without a connection, which is made when it is used
    NoPermission,  // the device exists but this user may not open it (not opened)
    Unusable,      // the open failed: in use, no hardware behind the device, not a serial port
};

struct ProbedPort {
    PortState state = PortState::Absent;
    QString device;  // the device the number resolved to at the probe
};

// Probes COM1 to COM32 in this order and fills the availability table. Shows nothing.
void ProbePorts();

// The availability table: true when the last probe of port n succeeded, or n is a network port;
// false outside 1 to 32.
bool PortAvailable(int n);
// What the last probe found for port n (a default entry outside 1 to 32).
ProbedPort ProbedPortOf(int n);

// The list entry of port n: "COM3" followed by its device in brackets, "COM3 (/dev/ttyS2)",
// where the device is not the name itself (Windows).
QString PortListName(int n);

// Ports the last probe found closed to this user, ascending.
QList<int> PortsWithoutPermission();
// The note that tells the user about them (empty when there are none), in the current language.
QString NoPermissionNote();
// One "COMn (device)" line per such port, for a closer look.
QString NoPermissionDetails();

}  // namespace kz
