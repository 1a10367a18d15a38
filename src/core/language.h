#pragma once
// Makes Qt's own dialogs (message-box buttons, file and print dialogs) speak the chosen language.

namespace kz {

// Installs Qt's translations for Japanese when LangOffset selects Japanese. Returns true when a
// translation was installed.
bool InstallQtTranslator();

}  // namespace kz
