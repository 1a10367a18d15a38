#pragma once
// The communication log: one line of text per frame sent, reply received and outcome of an
// exchange, built from the link's traffic records.
//
//   CommLogLine      a record as one line of text
//   CommLogModel     the lines for a view (the last kMaxLines), fed by the link while it lives
//   ProgramCommLog   the program's one model, kept from start-up on for the log window
//   PacedCommLog     a model's lines for a view, brought up to date in batches
//   CommLogFile      the same lines appended to a file (kzpc --comm-log FILE)

#include "link/traffic.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <deque>
#include <functional>

namespace kz {

// A frame as text: CR and LF as the symbols ↩ ↓, any other byte outside printable ASCII as <1F>.
QString FrameText(const QByteArray &bytes);

// "hh:mm:ss.mmm  COM1 /dev/ttyUSB0  →  0RD20↩↓": time, port and its device, direction (→ sent,
// ← received, · outcome) and the frame, or the outcome in words in the current language.
QString CommLogLine(const TrafficRecord &record);

// True for the I/O monitor's periodic read "0RD20".
bool IsIoPoll(const QByteArray &sentFrame);

class CommLogModel : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kMaxLines = 10000;
    // True for lines of an I/O poll that went well: the frame, its reply, its outcome.
    static constexpr int PollRole = Qt::UserRole + 1;

    // With watch set, the model takes every record the link reports from now on.
    explicit CommLogModel(bool watch, QObject *parent = nullptr);
    ~CommLogModel() override;

    void append(const TrafficRecord &record);
    void clear();
    // The number of lines dropped from the front since the start (by the limit or by clear):
    // row r is the line numbered firstSequence() + r.
    qint64 firstSequence() const { return dropped_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    // A record is kept as it came and put into words only when a view asks for its line: the
    // log runs from start-up on, and most lines are never looked at.
    struct Line {
        TrafficRecord record;
        bool poll = false;
    };
    std::deque<Line> lines_;
    qint64 dropped_ = 0;         // lines dropped from the front since the start
    qint64 exchangeStart_ = -1;  // sequence number of the current exchange's frame
    bool inPoll_ = false;
    int observer_ = 0;
};

// The lines of a CommLogModel for a view, brought up to date at most once an interval: a list view
// lays all its lines out again for every change, which over a full log at five polls a second
// would cost more than the link itself. While inactive it holds no lines and follows nothing.
class PacedCommLog : public QAbstractListModel {
    Q_OBJECT
public:
    PacedCommLog(CommLogModel &source, int intervalMs, QObject *parent = nullptr);

    void setActive(bool active);
    bool isActive() const { return active_; }
    // Takes in the lines that came since the last time, and drops those the source has dropped.
    void catchUp();

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    void schedule();

    CommLogModel &source_;
    int intervalMs_;
    QTimer *timer_;
    QElapsedTimer sinceCatchUp_;
    qint64 first_ = 0;  // the source's number of the first line held
    int count_ = 0;
    bool active_ = false;
    QList<QMetaObject::Connection> connections_;
};

// The program's log: made on first use (the start-up sequence makes it before anything talks to
// the controller), it takes every record from then on and lives until the application ends.
CommLogModel &ProgramCommLog();

class CommLogFile {
public:
    CommLogFile() = default;
    ~CommLogFile();
    CommLogFile(const CommLogFile &) = delete;
    CommLogFile &operator=(const CommLogFile &) = delete;

    // Opens path for appending and watches the link from now on. Only a regular file is taken (a
    // new one is made); a pipe, a folder or a device is refused without waiting for anything.
    // False with the reason in error.
    bool open(const QString &path, QString *error);

    // Called once, with the message to show, when a line could not be written (a full disk, say).
    // The file then takes no further lines, and a file this run made that stayed empty is removed.
    std::function<void(const QString &message)> onWriteFailed;
    bool writeFailed() const { return failed_; }

private:
    void writeLine(const TrafficRecord &record);

    QFile file_;
    QString path_;
    bool created_ = false;  // the file did not exist before open
    bool failed_ = false;
    int observer_ = 0;
};

}  // namespace kz
