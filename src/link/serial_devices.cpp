#include "link/serial_devices.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>
#include <utility>

namespace kz {

namespace {

const SerialDeviceSource *&Installed()
{
    static const SerialDeviceSource *source = nullptr;
    return source;
}

// Device node -> its link in /dev/serial/by-id (udev's names: maker, model and serial number).
QHash<QString, QString> StableNames()
{
    QHash<QString, QString> names;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    const QFileInfoList links = byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !names.contains(target))
            names.insert(target, link.absoluteFilePath());
    }
    return names;
}

}  // namespace

QString SerialDevice::vidPid() const
{
    if (!hasIds)
        return {};
    return QStringLiteral("%1:%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0'));
}

bool SerialDevice::isAdapter() const
{
    return hasIds || location.contains(QLatin1String("ttyUSB")) || location.contains(QLatin1String("ttyACM"));
}

QList<SerialDevice> SystemSerialDevices::devices() const
{
    const QHash<QString, QString> stable = StableNames();
    QList<SerialDevice> list;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice d;
        d.location = info.systemLocation();
        d.stablePath = stable.value(d.location);
        d.description = info.description();
        d.manufacturer = info.manufacturer();
        d.serialNumber = info.serialNumber();
        d.hasIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
        d.vendorId = info.vendorIdentifier();
        d.productId = info.productIdentifier();
        list << d;
    }
    return list;
}

const SerialDeviceSource &SerialDevices()
{
    static const SystemSerialDevices system;
    const SerialDeviceSource *source = Installed();
    return source ? *source : system;
}

const SerialDeviceSource *SetSerialDevicesForTest(const SerialDeviceSource *source)
{
    return std::exchange(Installed(), source);
}

}  // namespace kz
