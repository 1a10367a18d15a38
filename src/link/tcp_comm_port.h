#pragma once
// CommPort on a raw TCP connection ("tcp://host:port"), as serial device servers offer it: the
// bytes of the line, nothing added. Line settings belong to the server and are not sent.

#include "link/comm_port.h"

#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QTimer>

namespace kz {

class TcpCommPort final : public CommPort {
    Q_OBJECT
public:
    explicit TcpCommPort(QObject *parent = nullptr);

    // Connects to "tcp://host:port", waiting at most kConnectMs from the start of the
    // connection (prepare() or this call).
    bool open(const QString &device) override;
    // Starts connecting to device without waiting.
    void prepare(const QString &device) override;
    // Connects (or takes over what prepare() started) and calls done when the connection is made,
    // refused, or the deadline passes.
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

    static constexpr int kConnectMs = 3000;

    // How open() waits for the connection. By default it blocks in the socket: a program of many
    // links prepares them all first, so each open waits only what is left. A window waits on the
    // event loop instead, without user input, so that it keeps painting and its timers run while
    // a silent server is waited for; clicks and keys wait in the queue, as they would for a block.
    static void SetWaitOnEventLoop(bool on);
    static bool WaitsOnEventLoop();

private:
    void onGone();
    // Waits on the event loop, user input held back, until the connection is made or fails or
    // the deadline passes. True when connected.
    bool waitForConnectionOnEventLoop();
    // Starts the connection to device unless prepare() started it already.
    bool beginConnection(const QString &device);
    // Ends an openAsync: done runs once.
    void settleOpen(bool connected, const QString &error = {});

    QTcpSocket socket_;
    QString lastError_;
    bool open_ = false;
    // The connection prepare() started, and when its wait ends.
    QString preparing_;
    QDeadlineTimer connectDeadline_;
    // The openAsync waiting, if any.
    std::function<void(bool)> openDone_;
    QTimer openTimer_;
    QMetaObject::Connection openConnected_, openFailed_;
};

// Splits "tcp://host:port"; false when it is not one.
bool ParseNetworkAddress(const QString &device, QString *host, quint16 *port);

}  // namespace kz
