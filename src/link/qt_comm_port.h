#pragma once
// CommPort on a real serial device (or a pseudo-terminal) through QSerialPort.

#include "link/comm_port.h"

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

}  // namespace kz
