#pragma once
// CommPort on a real serial device (or a pseudo-terminal) through QSerialPort.

#include "link/comm_port.h"
#include "link/tcp_comm_port.h"

#include <QSerialPort>

namespace kz {

class QtCommPort final : public CommPort {
    Q_OBJECT
public:
    explicit QtCommPort(QObject *parent = nullptr);

    bool open(const QString &device) override;
    bool configure(const QString &lineSettings) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void discardInput() override;
    QString errorText() const override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    QString lastError_;
};

// The port a link opens by name: a network connection for "tcp://host:port", else a serial device.
class DeviceCommPort final : public CommPort {
    Q_OBJECT
public:
    explicit DeviceCommPort(QObject *parent = nullptr);

    bool open(const QString &device) override;
    void prepare(const QString &device) override;
    void openAsync(const QString &device, std::function<void(bool)> done) override;
    void cancelOpen() override;
    bool configure(const QString &lineSettings) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override;
    QByteArray readAll() override;
    void discardInput() override;
    QString errorText() const override;

private:
    QtCommPort serial_;
    TcpCommPort tcp_;
    CommPort *active_ = &serial_;
};

}  // namespace kz
