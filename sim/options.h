// The command line of kz-sim.
#pragma once

#include "controller.h"
#include "faults.h"

#include <string>
#include <vector>

namespace kzsim {

struct Options {
    std::string linkPath;
    int tcpPort = -1;  // -1: a pseudo-terminal; otherwise serve on this TCP port (0: any free one)
    bool paced = false;
    std::string logPath;  // empty: no log
    ControllerSettings controller;
    std::vector<FaultRule> faults;
};

enum class ParseOutcome { Run, Help, Error };

// Fills `options` from the arguments; on Error, `error` says what is wrong.
ParseOutcome parseOptions(const std::vector<std::string>& args, Options& options,
                          std::string& error);

const char* usageText();

}  // namespace kzsim
