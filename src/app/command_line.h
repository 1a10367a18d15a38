#pragma once
// The command line: kzpc [--help | --version | --comm-log LOGFILE | FILE.kzd].
//
// Help and version are answered without a window system, so ParseCommandLine needs no application
// object; the help text does need one (QCoreApplication is enough), and is in the current language.

#include <QString>
#include <QStringList>

namespace kz {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString dataFile;  // Run: the data file to open at start-up, or empty
    QString commLog;   // Run: the file the communication log is appended to, or empty
    QString error;     // Error: what was wrong, one line
};

// arguments: the program name first, as QCoreApplication::arguments() gives them.
CommandLine ParseCommandLine(const QStringList &arguments);

// The text of --help and of --version.
QString CommandLineHelp();
QString CommandLineVersion();

}  // namespace kz
