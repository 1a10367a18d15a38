#pragma once
// What the I/O monitor keeps from one opening of its window to the next: the lamps last seen,
// whether polling runs or is to stop, the output changes not yet written, and the history. The
// main window owns it and hands it to each monitor it opens; a monitor opened without one keeps
// its own.

#include "io_monitor/io_block.h"
#include "io_monitor/io_history.h"

#include <array>

namespace kz {

struct InputOutputState {
    IoBytes bytes;                                 // the last values read
    std::array<bool, kIoRowCount> signalStates{};  // each lamp's last state (true = on), rows 1..9
    bool stopped = true;                           // polling off, cmdMonitor reads "Start Monitor"
    bool stopPending = false;                      // a failure asked for polling to stop
    bool outputChangePending = false;              // an output change waits for the next tick
    // One flag per switchable output, by signal number: 1 EMPTY, 2 ESCAPE SOL., 9 OK, 14 IN-P.
    std::array<bool, 15> outputRequests{};
    // The lamp changes and polls since the last Start Monitor.
    IoHistory history;
};

}  // namespace kz
