#pragma once
// Program start: settings, the splash, the main window, and the question whether to read the
// controller at once.

#include <QString>

#include <memory>

namespace kz {

class frmMain;

// Runs the start-up sequence and returns the main window, which the program then lives in.
// splashMs is the splash's time on screen (2000 ms; tests shorten it). With a dataFile (the tool
// started on a .kzd file) the main window opens that file as Open does, and the question whether to
// read the controller is not asked; a file that cannot be read leaves the new data after the
// reader's message.
std::unique_ptr<frmMain> Main(int splashMs = 2000, const QString &dataFile = QString());

}  // namespace kz
