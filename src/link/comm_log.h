#pragma once
// The communication log: one line of text per frame sent, reply received and outcome of an
// exchange, built from the link's traffic records.
//
//   CommLogLine      a record as one line of text
//   CommLogModel     the lines for a view (the last kMaxLines), fed by the link while it lives
//   CommLogFile      the same lines appended to a file (kzpc --comm-log FILE)

#include "link/traffic.h"

#include <QAbstractListModel>
#include <QFile>
#include <deque>

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

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    struct Line {
        QString text;
        bool poll = false;
    };
    std::deque<Line> lines_;
    qint64 dropped_ = 0;         // lines dropped from the front since the start
    qint64 exchangeStart_ = -1;  // sequence number of the current exchange's frame
    bool inPoll_ = false;
    int observer_ = 0;
};

class CommLogFile {
public:
    CommLogFile() = default;
    ~CommLogFile();
    CommLogFile(const CommLogFile &) = delete;
    CommLogFile &operator=(const CommLogFile &) = delete;

    // Opens path for appending and watches the link from now on. False with the reason in error.
    bool open(const QString &path, QString *error);

private:
    QFile file_;
    int observer_ = 0;
};

}  // namespace kz
