#pragma once
// A fixed list of serial devices in place of the system's, for as long as it lives.

#include "link/serial_devices.h"

namespace kz::test {

class FixedSerialDevices final : public SerialDeviceSource {
public:
    explicit FixedSerialDevices(QList<SerialDevice> devices = {})
        : list(std::move(devices)), previous_(SetSerialDevicesForTest(this))
    {
    }
    ~FixedSerialDevices() override { SetSerialDevicesForTest(previous_); }
    FixedSerialDevices(const FixedSerialDevices &) = delete;
    FixedSerialDevices &operator=(const FixedSerialDevices &) = delete;

    QList<SerialDevice> devices() const override { return list; }

    QList<SerialDevice> list;

private:
    const SerialDeviceSource *previous_;
};

}  // namespace kz::test
