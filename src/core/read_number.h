#pragma once
// Reading a number that was typed on the screen or stored as text.
//
// The number is the decimal number at the start of the text:
//   - leading blanks (spaces and tabs) are skipped;
//   - then an optional sign "+" or "-", digits, an optional "." with fraction digits, and an optional
//     exponent "e" or "E" with optional sign and at least one digit ("1e" reads as 1, the "e" not
//     belonging to the number);
//   - reading stops at the first character that cannot continue the number ("7abc" is 7, "1,234" is 1,
//     "3-4" is 3, "12 34" is 12); only ASCII digits count, and there is no hexadecimal prefix
//     ("0x1F" is 0);
//   - a text without digits there ("", "   ", "abc", "-", ".") is 0;
//   - the value is rounded to the nearest integer, ties to even ("12.5" is 12, "13.5" is 14,
//     "-2.5" is -2), computed exactly on the decimal digits, so no binary rounding creeps in.

#include <QString>
#include <optional>

namespace kz {

// The rounded number, or nullopt when it does not fit a signed integer of widthBits (16 or 32) bits.
std::optional<qint32> ReadNumber(const QString &text, int widthBits);

}  // namespace kz
