#pragma once
// Program start: settings, the splash, the main window, and the question whether to read the
// controller at once.

#include <memory>

namespace kz {

class frmMain;

// Runs the start-up sequence and returns the main window, which the program then lives in.
// splashMs is the splash's time on screen (2000 ms; tests shorten it).
std::unique_ptr<frmMain> Main(int splashMs = 2000);

}  // namespace kz
