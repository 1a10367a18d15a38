#include "link/qt_comm_port.h"

#include "link/link.h"

#include <QStringList>

namespace kz {

QtCommPort::QtCommPort(QObject *parent) : CommPort(parent)
{
    connect(&port_, &QSerialPort::readyRead, this, &CommPort::readyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtCommPort::onError);
}

bool QtCommPort::open(const QString &device)
{
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        lastError_ = port_.errorString();
        return false;
    }
    lastError_.clear();
    return true;
}

bool QtCommPort::configure(const QString &lineSettings)
{
    const QStringList parts = lineSettings.split(QLatin1Char(','));
    if (parts.size() != 4)
        return false;
    bool ok = false;
    const int baud = parts[0].toInt(&ok);
    if (!ok)
        return false;
    const auto parity = parts[1] == QLatin1String("E")   ? QSerialPort::EvenParity
                        : parts[1] == QLatin1String("O") ? QSerialPort::OddParity
                                                         : QSerialPort::NoParity;
    const auto dataBits = static_cast<QSerialPort::DataBits>(parts[2].toInt());
    const auto stopBits = parts[3] == QLatin1String("2") ? QSerialPort::TwoStop : QSerialPort::OneStop;
    return port_.setBaudRate(baud) && port_.setParity(parity) && port_.setDataBits(dataBits)
           && port_.setStopBits(stopBits) && port_.setFlowControl(QSerialPort::NoFlowControl);
}

void QtCommPort::close()
{
    if (port_.isOpen())
        port_.close();
}

bool QtCommPort::isOpen() const
{
    return port_.isOpen();
}

bool QtCommPort::write(const QByteArray &bytes)
{
    if (!port_.isOpen() || port_.write(bytes) != bytes.size())
        return false;
    port_.flush();
    return true;
}

qint64 QtCommPort::bytesAvailable() const
{
    return port_.bytesAvailable();
}

QByteArray QtCommPort::readAll()
{
    return port_.readAll();
}

void QtCommPort::discardInput()
{
    if (!port_.isOpen())
        return;
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

QString QtCommPort::errorText() const
{
    return lastError_;
}

void QtCommPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    lastError_ = port_.errorString();
    // A vanished device (unplugged adapter: a resource error; a hung-up line: a read error that
    // repeats on every wake-up) leaves QSerialPort "open" with writes that seem to succeed. Close
    // it so the lamp shows the truth and the next operation opens it afresh.
    const bool lineGone = error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
    if (lineGone && port_.isOpen()) {
        // What the system says of a vanished device ("Resource temporarily unavailable",
        // "Inappropriate ioctl for device") would mislead more than it tells: the loss is the news.
        lastError_.clear();
        port_.close();
        emit lineLost();
    }
}

DeviceCommPort::DeviceCommPort(QObject *parent) : CommPort(parent)
{
    for (CommPort *p : {static_cast<CommPort *>(&serial_), static_cast<CommPort *>(&tcp_)}) {
        connect(p, &CommPort::readyRead, this, [this, p] {
            if (p == active_)
                emit readyRead();
        });
        connect(p, &CommPort::lineLost, this, [this, p] {
            if (p == active_)
                emit lineLost();
        });
    }
}

bool DeviceCommPort::open(const QString &device)
{
    active_->close();
    active_ = device.startsWith(QLatin1String("tcp://"), Qt::CaseInsensitive) ? static_cast<CommPort *>(&tcp_)
                                                                               : &serial_;
    return active_->open(device);
}

void DeviceCommPort::openAsync(const QString &device, std::function<void(bool)> done)
{
    active_->close();
    active_ = IsNetworkAddress(device) ? static_cast<CommPort *>(&tcp_) : &serial_;
    active_->openAsync(device, std::move(done));
}

void DeviceCommPort::cancelOpen()
{
    active_->cancelOpen();
}

void DeviceCommPort::prepare(const QString &device)
{
    if (!isOpen() && IsNetworkAddress(device))
        tcp_.prepare(device);
}

bool DeviceCommPort::configure(const QString &lineSettings) { return active_->configure(lineSettings); }
void DeviceCommPort::close() { active_->close(); }
bool DeviceCommPort::isOpen() const { return active_->isOpen(); }
bool DeviceCommPort::write(const QByteArray &bytes) { return active_->write(bytes); }
qint64 DeviceCommPort::bytesAvailable() const { return active_->bytesAvailable(); }
QByteArray DeviceCommPort::readAll() { return active_->readAll(); }
void DeviceCommPort::discardInput() { active_->discardInput(); }
QString DeviceCommPort::errorText() const { return active_->errorText(); }

}  // namespace kz
