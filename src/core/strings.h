#pragma once
// String table and language offset.
//
// Every user-visible text lives in resources/strings.tsv: the Japanese text under its base id, the
// English text under base id + 10000. Code asks for a base id; the language offset picks the language.

#include <QString>
#include <optional>

namespace kz {

inline constexpr int kEnglishOffset = 10000;

// 0 for Japanese, 10000 for English. Set once at start-up from the "Language" setting.
extern int LangOffset;

// Raw lookup of an id as stored (no offset). Empty optional when the table has no such id.
std::optional<QString> LookupString(int id);

// Text of baseId + LangOffset. For ids that exist in both languages; a missing id gives an empty
// text and a warning on the debug log.
QString Str(int baseId);

// Several texts joined with CR LF, the form of every multi-line message.
QString StrLines(std::initializer_list<int> baseIds);

// Number of entries in the table (for checks of the table itself).
int StringCount();

// Leading decimal number of a text (blanks skipped, optional sign); 0 when there is none.
int LeadingNumber(const QString &text, bool *found = nullptr);

}  // namespace kz
