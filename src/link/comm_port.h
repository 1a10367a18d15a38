#pragma once
// The one serial port the link talks to. Production wraps QSerialPort; tests may install a fake.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

namespace kz {

class CommPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~CommPort() override = default;

    // Opens the device read-write. False when it cannot be opened; errorText() says why.
    virtual bool open(const QString &device) = 0;
    // Starts in the background whatever part of opening device can wait there (a network
    // connection being made), so that open() has only the rest to wait for. Ports opened together
    // then wait once, not each in turn.
    virtual void prepare(const QString & /*device*/) {}
    // Opens device without blocking the event loop: done(true) once it is open, done(false) when it
    // cannot be (errorText() says why). Ports whose opening never waits call done before returning.
    virtual void openAsync(const QString &device, std::function<void(bool)> done) { done(open(device)); }
    // Gives up an openAsync still waiting (its done runs with false); nothing otherwise.
    virtual void cancelOpen() {}
    // Applies "baud,parity,databits,stopbits" (e.g. "9600,N,8,1") and no handshaking.
    virtual bool configure(const QString &lineSettings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes and pushes them towards the line; false on a write failure.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray readAll() = 0;
    // Drops whatever has been received and not yet read.
    virtual void discardInput() = 0;
    virtual QString errorText() const = 0;

signals:
    void readyRead();
    // The line went away under an open port (unplugged adapter, hang-up). The port is closed.
    void lineLost();
};

// The port in use: the production port unless a test has installed its own.
CommPort &Port();
// Installs p (not owned) as the port in use; nullptr restores the production port.
void SetPortForTest(CommPort *p);

}  // namespace kz
