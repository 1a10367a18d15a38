#pragma once
// The program's version: one definition (the project's version in the build). The windows show
// it as major "." minor revision "E" (1.5.0 as "1.50E"); --version, the package and the
// changelog use the plain "1.5.0".

#include <QString>

namespace kz {

inline constexpr int kVersionMajor = KZ_VERSION_MAJOR;
inline constexpr int kVersionMinor = KZ_VERSION_MINOR;
inline constexpr int kVersionRevision = KZ_VERSION_REVISION;

inline QString VersionNumberText(int major, int minor, int revision)
{
    return QStringLiteral("%1.%2%3E").arg(major).arg(minor).arg(revision);
}

// "1.50E" for this build.
inline QString VersionNumberText()
{
    return VersionNumberText(kVersionMajor, kVersionMinor, kVersionRevision);
}

// "Version 1.50E", as the splash and the About box show it.
inline QString VersionText()
{
    return QStringLiteral("Version ") + VersionNumberText();
}

// "1.5.0" for this build: what every program's --version prints after its own name.
inline QString PlainVersionText()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

inline constexpr auto kProductTitle = "KZ PC-Software";

}  // namespace kz
