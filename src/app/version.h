#pragma once
// The one place the program's version is written.

namespace kz {
inline constexpr const char *kVersion = "1.40E";
}  // namespace kz
