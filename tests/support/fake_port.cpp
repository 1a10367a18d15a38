#include "support/fake_port.h"

#include <QTimer>

namespace kz::test {

FakePort::FakePort()
{
    SetPortForTest(this);
}

FakePort::~FakePort()
{
    SetPortForTest(nullptr);
}

bool FakePort::open(const QString &device)
{
    if (failOpen)
        return false;
    openedDevices << device;
    open_ = true;
    return true;
}

bool FakePort::configure(const QString &settings)
{
    lineSettings = settings;
    return !failConfigure;
}

bool FakePort::write(const QByteArray &bytes)
{
    if (!open_)
        return false;
    QByteArray frame = bytes;
    if (frame.endsWith("\r\n"))
        frame.chop(2);
    frames << QString::fromLatin1(frame);
    if (!replies_.isEmpty())
        deliver(replies_.dequeue());
    return true;
}

QByteArray FakePort::readAll()
{
    QByteArray out = buffer_;
    buffer_.clear();
    return out;
}

void FakePort::inject(const QByteArray &bytes)
{
    buffer_ += bytes;
    emit readyRead();
}

void FakePort::loseLine()
{
    open_ = false;
    emit lineLost();
}

void FakePort::deliver(QList<Piece> pieces)
{
    if (pieces.isEmpty())
        return;
    const Piece first = pieces.takeFirst();
    QTimer::singleShot(first.delayMs, this, [this, first, rest = pieces] {
        if (!open_)
            return;
        inject(first.bytes);
        deliver(rest);
    });
}

}  // namespace kz::test
