#pragma once
// Which COM number each serial device is, and assigning an adapter to a number by writing its
// link in the ports folder (<config>/ports/COMn). The link points at the adapter's stable
// /dev/serial/by-id name where it has one, so the adapter keeps its number after re-plugging.

#include "link/serial_devices.h"

#include <QList>
#include <QString>
#include <functional>

namespace kz {

struct PortRow {
    int portNo = 0;          // the COM number, 0 when the device has none
    bool linked = false;     // the number comes from a link in the ports folder (it can be removed)
    bool connected = true;   // a device is behind it
    bool network = false;    // the link names a network port: device.location is "tcp://host:port"
    QString linkTarget;      // the link's target as written (linked rows)
    SerialDevice device;     // for a linked row without an enumerated device: its location only
};

// The rows of the port list, numbered rows first in number order, devices without a number last.
// Links whose device is absent give "not connected" rows; links to a device the system does not
// list as a serial port (a pseudo-terminal, say) give a row with its location only.
QList<PortRow> PortAssignments(const QList<SerialDevice> &devices);

// The COM number a device is assigned to, 0 when none.
int AssignedPortNo(const SerialDevice &device, const QList<PortRow> &rows);

// A number is taken when it has a link, when the system lists its /dev/ttyS{n-1}, or when inUse
// says so (a port the probe could open). 0 when all 32 are taken.
int LowestFreePortNo(const QList<SerialDevice> &devices, const std::function<bool(int)> &inUse = {});
bool PortNoLinked(int n);

// Writes the link COMn -> the device's stable name (else its node). False with *error when the
// number already has a link or the link cannot be written.
bool AssignPort(int n, const SerialDevice &device, QString *error);
// Removes the link COMn. False with *error when it cannot be removed.
bool RemovePortAssignment(int n, QString *error);

// The link COMn in the ports folder (it may not exist).
QString PortLinkPath(int n);

}  // namespace kz
