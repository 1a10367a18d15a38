#pragma once
// The settings that survive between runs, stored as decimal text in section "Settings" of the
// per-user settings file: "Language" here; "PortNo" and "PortOccupy" belong to the link
// (link/port_settings.h).

#include <QString>
#include <optional>

namespace kz {

// Raw "Language" value as loaded (1 = Japanese, anything else = English).
extern int LanguageSetting;

void LoadLanguage();    // also sets LangOffset

// A stored number as a 16-bit integer, rounded as every number the tool reads ("3.6" is 4).
// Absent key: fallback. Text that is no number at all, or a number beyond 16 bits: no value.
std::optional<int> ReadSetting(const char *key, int fallback);
void WriteSetting(const char *key, const QString &text);

}  // namespace kz
