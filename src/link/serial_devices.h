#pragma once
// The serial devices the system has (USB adapters, ACM devices, real UARTs), as the Options
// dialog lists them and the port messages name them. Production asks QSerialPortInfo and reads
// the stable names from /dev/serial/by-id; tests install a fixed list.

#include <QList>
#include <QString>

namespace kz {

struct SerialDevice {
    QString location;      // the device node, e.g. /dev/ttyUSB0
    QString stablePath;    // a name that survives re-plugging (/dev/serial/by-id/...), or empty
    QString description;
    QString manufacturer;
    QString serialNumber;
    quint16 vendorId = 0;
    quint16 productId = 0;
    bool hasIds = false;   // vendorId and productId are known (USB)

    // "0403:6001", or empty when the ids are unknown.
    QString vidPid() const;
    // A plug-in adapter (USB or ACM) rather than a UART on the board.
    bool isAdapter() const;
};

class SerialDeviceSource {
public:
    virtual ~SerialDeviceSource() = default;
    virtual QList<SerialDevice> devices() const = 0;
};

// QSerialPortInfo's list, each device with its /dev/serial/by-id name where it has one.
class SystemSerialDevices final : public SerialDeviceSource {
public:
    QList<SerialDevice> devices() const override;
};

// The source in use: the system's unless a test has installed its own.
const SerialDeviceSource &SerialDevices();
// Installs source (not owned); nullptr restores the system's. Returns the source it replaces.
const SerialDeviceSource *SetSerialDevicesForTest(const SerialDeviceSource *source);

}  // namespace kz
