#pragma once
// Help support: the help file beside the program, opened in the platform's viewer.

#include <QString>

class QWidget;

namespace kz {

// The help file's full path (program folder + help file name; the name is empty in this release).
extern QString HelpFilePath;
inline constexpr auto kHelpFileName = "";

void InitHelpPath();
// Opens the help file; when there is none, shows message with the information icon.
void ShowHelp(QWidget *owner, const QString &message);

}  // namespace kz
