#pragma once
// An in-process CommPort: records what is written and answers from a script, piece by piece,
// through the event loop as a real port would.

#include "link/comm_port.h"

#include <QList>
#include <QQueue>

namespace kz::test {

struct Piece {
    QByteArray bytes;
    int delayMs = 0;  // after the previous piece (or after the frame was written)
};

class FakePort final : public CommPort {
    Q_OBJECT
public:
    FakePort();   // installs itself as the port in use
    ~FakePort() override;

    bool open(const QString &device) override;
    bool configure(const QString &lineSettings) override;
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray &bytes) override;
    qint64 bytesAvailable() const override { return buffer_.size(); }
    QByteArray readAll() override;
    void discardInput() override { buffer_.clear(); }
    QString errorText() const override { return {}; }

    // The reply to the next frame written, in pieces. Frames without a queued reply get none.
    void queueReply(QList<Piece> pieces) { replies_.enqueue(std::move(pieces)); }
    void queueReply(const QByteArray &bytes) { queueReply(QList<Piece>{{bytes, 0}}); }
    // Bytes that arrive now, outside any exchange.
    void inject(const QByteArray &bytes);
    // Drops the line: the port closes and reports it, as an unplugged adapter does.
    void loseLine();

    QStringList frames;       // frames written, without CR LF
    QStringList openedDevices;
    QString lineSettings;
    bool failOpen = false;
    bool failConfigure = false;  // opens, but refuses the line settings

private:
    void deliver(QList<Piece> pieces);

    bool open_ = false;
    QByteArray buffer_;
    QQueue<QList<Piece>> replies_;
};

}  // namespace kz::test
