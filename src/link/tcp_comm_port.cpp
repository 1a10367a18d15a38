#include "link/tcp_comm_port.h"

#include <QEventLoop>
#include <QTimer>
#include <QUrl>

namespace kz {

bool ParseNetworkAddress(const QString &device, QString *host, quint16 *port)
{
    const QUrl url(device, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(QLatin1String("tcp"), Qt::CaseInsensitive) != 0
        || url.host().isEmpty() || url.port() < 1 || !url.path().isEmpty())
        return false;
    *host = url.host();
    *port = quint16(url.port());
    return true;
}

TcpCommPort::TcpCommPort(QObject *parent) : CommPort(parent)
{
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(&socket_, &QTcpSocket::readyRead, this, &CommPort::readyRead);
    connect(&socket_, &QTcpSocket::disconnected, this, &TcpCommPort::onGone);
    connect(&socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        lastError_ = socket_.errorString();
        onGone();
    });
}

void TcpCommPort::prepare(const QString &device)
{
    QString host;
    quint16 port = 0;
    if (open_ || !ParseNetworkAddress(device, &host, &port))
        return;
    socket_.abort();
    lastError_.clear();
    socket_.connectToHost(host, port);
    preparing_ = device;
    connectDeadline_.setRemainingTime(kConnectMs);
}

bool TcpCommPort::beginConnection(const QString &device)
{
    QString host;
    quint16 port = 0;
    if (!ParseNetworkAddress(device, &host, &port)) {
        lastError_ = QStringLiteral("not a network address (tcp://host:port)");
        return false;
    }
    const bool prepared = preparing_ == device && socket_.state() != QAbstractSocket::UnconnectedState;
    preparing_.clear();
    if (!prepared) {
        socket_.abort();
        lastError_.clear();
        socket_.connectToHost(host, port);
        connectDeadline_.setRemainingTime(kConnectMs);
    }
    return true;
}

void TcpCommPort::openAsync(const QString &device, std::function<void(bool)> done)
{
    if (openDone_) {
        done(false);
        return;
    }
    if (!beginConnection(device)) {
        done(false);
        return;
    }
    if (socket_.state() == QAbstractSocket::ConnectedState) {
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        open_ = true;
        done(true);
        return;
    }
    if (socket_.state() == QAbstractSocket::UnconnectedState) {
        // Refused before the wait began (the error is already in).
        if (lastError_.isEmpty())
            lastError_ = socket_.errorString();
        socket_.abort();
        done(false);
        return;
    }
    openDone_ = std::move(done);
    openConnected_ = connect(&socket_, &QTcpSocket::connected, this, [this] { settleOpen(true); });
    openFailed_ = connect(&socket_, &QTcpSocket::errorOccurred, this, [this] { settleOpen(false); });
    openTimer_.setSingleShot(true);
    openTimer_.disconnect();
    connect(&openTimer_, &QTimer::timeout, this,
            [this] { settleOpen(false, QStringLiteral("Socket operation timed out")); });
    openTimer_.start(int(qMax<qint64>(1, connectDeadline_.remainingTime())));
}

void TcpCommPort::cancelOpen()
{
    if (openDone_)
        settleOpen(false, QStringLiteral("stopped while connecting"));
}

void TcpCommPort::settleOpen(bool connected, const QString &error)
{
    openTimer_.stop();
    disconnect(openConnected_);
    disconnect(openFailed_);
    const auto done = std::move(openDone_);
    openDone_ = nullptr;
    if (connected) {
        socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        open_ = true;
    } else {
        if (!error.isEmpty())
            lastError_ = error;
        else if (lastError_.isEmpty())
            lastError_ = socket_.errorString();
        socket_.abort();
    }
    if (done)
        done(connected);
}

bool TcpCommPort::open(const QString &device)
{
    if (!beginConnection(device))
        return false;
    if (socket_.state() != QAbstractSocket::ConnectedState) {
        const bool connected = WaitsOnEventLoop()
                                   ? waitForConnectionOnEventLoop()
                                   : socket_.waitForConnected(int(qMax<qint64>(1, connectDeadline_.remainingTime())));
        if (!connected) {
            if (lastError_.isEmpty())
                lastError_ = socket_.errorString();
            socket_.abort();
            return false;
        }
    }
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    open_ = true;
    return true;
}

namespace {

bool &WaitOnEventLoopFlag()
{
    static bool on = false;
    return on;
}

}  // namespace

void TcpCommPort::SetWaitOnEventLoop(bool on)
{
    WaitOnEventLoopFlag() = on;
}

bool TcpCommPort::WaitsOnEventLoop()
{
    return WaitOnEventLoopFlag();
}

bool TcpCommPort::waitForConnectionOnEventLoop()
{
    const auto waiting = [this] {
        return socket_.state() == QAbstractSocket::HostLookupState
               || socket_.state() == QAbstractSocket::ConnectingState;
    };
    if (waiting()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        connect(&socket_, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        connect(&socket_, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        deadline.start(int(qMax<qint64>(1, connectDeadline_.remainingTime())));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (socket_.state() == QAbstractSocket::ConnectedState)
        return true;
    if (waiting() && lastError_.isEmpty())
        lastError_ = QStringLiteral("Socket operation timed out");
    return false;
}

bool TcpCommPort::configure(const QString & /*lineSettings*/)
{
    return open_;
}

void TcpCommPort::close()
{
    if (!open_)
        return;
    open_ = false;
    socket_.flush();
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState)
        socket_.abort();
}

bool TcpCommPort::isOpen() const
{
    return open_;
}

bool TcpCommPort::write(const QByteArray &bytes)
{
    if (!open_ || socket_.write(bytes) != bytes.size())
        return false;
    socket_.flush();
    return true;
}

qint64 TcpCommPort::bytesAvailable() const
{
    return socket_.bytesAvailable();
}

QByteArray TcpCommPort::readAll()
{
    return socket_.readAll();
}

void TcpCommPort::discardInput()
{
    if (open_)
        socket_.readAll();
}

QString TcpCommPort::errorText() const
{
    return lastError_;
}

// The peer closed the connection or it broke: the line is lost, as an unplugged adapter's.
void TcpCommPort::onGone()
{
    if (!open_)
        return;
    if (lastError_.isEmpty())
        lastError_ = socket_.errorString();
    open_ = false;
    socket_.abort();
    emit lineLost();
}

}  // namespace kz
