// The event loop: one thread, one poll() over the terminal and the stop signal, timed by the
// next frame that falls due and the next reply byte that falls due.
#pragma once

#include "controller.h"
#include "faults.h"
#include "line.h"
#include "options.h"
#include "pty_link.h"

#include <deque>
#include <optional>
#include <string>

namespace kzsim {

class Simulator {
public:
    explicit Simulator(const Options& options);
    ~Simulator();

    // Runs until `stopFd` becomes readable. Returns the process exit code.
    int run(int stopFd);

private:
    bool start();
    bool readLine(Time now);
    void answerDueFrames(Time now);
    bool writeDue(Time now, bool& blocked);
    bool dropLine();
    bool hangupSettled(Time now) const;
    void logFrame(const std::string& text);

    PtyLink link_;
    Controller controller_;
    FaultTable faults_;
    Receiver receiver_;
    Transmitter transmitter_;
    std::deque<Frame> frames_;  // received, waiting for their line time to pass
    std::optional<Time> hangupFrom_;  // a hang-up is due once the tool has read what went out
    std::string logPath_;
    int logFd_ = -1;
};

}  // namespace kzsim
