#pragma once
// The program's version: one definition (the project's version in the build), shown as
// major "." minor revision "E", e.g. 1.4.0 as "1.40E".

#include <QString>

namespace kz {

inline constexpr int kVersionMajor = KZ_VERSION_MAJOR;
inline constexpr int kVersionMinor = KZ_VERSION_MINOR;
inline constexpr int kVersionRevision = KZ_VERSION_REVISION;

inline QString VersionNumberText(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2%3E").arg(major).arg(minor).arg(revision);
}

// "1.40E" for this build.
inline QString VersionNumberText()
{
    return VersionNumberText(kVersionMajor, kVersionMinor, kVersionRevision);
}

// "Version 1.40E", as the splash and the About box show it.
inline QString VersionText()
{
    return QStringLiteral("Version ") + VersionNumberText();
}

inline constexpr auto kProductTitle = "KZ PC-Software";

}  // namespace kz
