#pragma once
// What the I/O monitor saw since Start Monitor: every change of a lamp, with whether an output
// change was this tool's own (a double-click written with "0WS"), and how many polls ran and
// failed. Plain values, kept with the monitor's state.

#include "io_monitor/io_block.h"

#include <QList>
#include <QString>
#include <array>

namespace kz {

struct IoChange {
    qint64 msecsSinceEpoch = 0;
    int row = 0;  // 1-based lamp row
    bool on = false;
    bool fromTool = false;  // outputs: the change this tool wrote
};

struct IoHistory {
    QList<IoChange> changes;
    int polls = 0;
    int failedPolls = 0;

    // Starts over from the lamps as they show now.
    void start(const std::array<bool, kIoRowCount> &lamps);
    // This tool has just written row's output (the next read shows whether it took).
    void noteWritten(int row) { written_[size_t(row - 1)] = true; }
    // The lamps after a read: each one that differs from what was shown is a change.
    void noteLamps(const std::array<bool, kIoRowCount> &lamps, qint64 msecsSinceEpoch);
    void notePoll(bool ok)
    {
        ++polls;
        if (!ok)
            ++failedPolls;
    }

    // The changes as CSV (RFC 4180, CR LF): a header line, then time, signal, state, source.
    QString csv() const;

private:
    std::array<bool, kIoRowCount> shown_{};
    std::array<bool, kIoRowCount> written_{};
};

// The lamp's caption, the name of its signal.
QString SignalName(int row);
bool IsOutputRow(int row);
// Time stamp, state and source of a change as the history shows them.
QString ChangeTime(const IoChange &change);
QString ChangeState(const IoChange &change);
QString ChangeSource(const IoChange &change);

}  // namespace kz
