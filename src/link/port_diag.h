#pragma once
// Why a port would not open. After a failed open of the numbered port the link looks at what COMn resolved to
// and records the reason, so that the message the operation shows can tell the user what to do:
// no such device, held by another program, no permission, not a serial device.

#include "link/serial_devices.h"

#include <QString>
#include <functional>
#include <optional>

namespace kz {

enum class PortFault {
    None,
    BadNumber,     // not one of COM1 to COM32
    NoDevice,      // nothing behind the number (no link and no /dev/ttyS{n-1}, or a dangling link)
    NotSerial,     // a regular file, a folder, a device that is no terminal
    NoPermission,  // this user may not read and write the device
    InUse,         // another program holds it (lock file, or the device refuses a second open)
    Other,         // none of these; the port's own error text says more
};

struct PortHolder {
    qint64 pid = 0;
    QString name;  // the program's name as its lock file or /proc tells it; may be empty
};

struct PortDiagnosis {
    PortFault fault = PortFault::None;
    int portNo = 0;
    QString device;        // what the number resolved to
    bool linked = false;   // the number has a link in the ports folder
    QString linkTarget;    // the link's target as written
    bool regularFile = false;
    PortHolder holder;     // InUse; pid 0 when the system does not tell
    QString group;         // NoPermission: the group that grants access
    QString errorText;     // the port's own words
    QList<SerialDevice> adapters;  // NoDevice: the adapters plugged in now
    QList<int> adapterPorts;       // their COM numbers, 0 when unassigned
};

// Looks at portNo's device after an open failed with errorText.
PortDiagnosis DiagnoseOpenFailure(int portNo, const QString &device, const QString &errorText);
// The lines that explain d, each preceded by "\r\n", in the current language; empty for None.
QString DescribePortFailure(const PortDiagnosis &d);

// The program holding device: from its lock file, else from the open files in /proc.
std::optional<PortHolder> LockHolderOf(const QString &device);
QList<PortHolder> ProcessesHolding(const QString &device);

// Whether this user may read and write a device. Production asks the system (access(2)); tests,
// which run with every permission, install their own answer. An empty function restores it.
bool DeviceAccessible(const QString &device);
void SetDeviceAccessCheck(std::function<bool(const QString &device)> check);

}  // namespace kz
