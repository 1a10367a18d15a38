#pragma once
// The three settings that survive between runs: "PortNo", "Language" and "PortOccupy", stored as
// decimal text in section "Settings" of the per-user settings file.

namespace kz {

// Raw "Language" value as loaded (1 = Japanese, anything else = English).
extern int LanguageSetting;

void LoadPortNo();
// The stored "PortNo" (default 1), or fallback when the stored text is not a number.
int StoredPortNo(int fallback);
void LoadLanguage();    // also sets LangOffset
void LoadPortOccupy();
void SavePortNo();
void SavePortOccupy();

}  // namespace kz
