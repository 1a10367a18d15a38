#include "app/settings.h"

#include "app/paths.h"
#include "app/strings.h"
#include "link/port.h"

#include <QSettings>

namespace kz {

int LanguageSetting = 0;

namespace {

constexpr auto kSection = "Settings";

// Reads a stored decimal as a 16-bit integer. Absent key: the default. Text that is not a number
// or does not fit 16 bits: no value, and the caller keeps what it had.
std::optional<int> ReadInt(const char *key, int fallback)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    if (!settings.contains(QLatin1String(key)))
        return fallback;
    const QString text = settings.value(QLatin1String(key)).toString().trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < -32768 || value > 32767)
        return std::nullopt;
    return value;
}

void WriteText(const char *key, const QString &text)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    settings.setValue(QLatin1String(key), text);
}

}  // namespace

void LoadPortNo()
{
    if (auto v = ReadInt("PortNo", 1))
        PortNo = *v;
}

int StoredPortNo(int fallback)
{
    return ReadInt("PortNo", 1).value_or(fallback);
}

void LoadLanguage()
{
    if (auto v = ReadInt("Language", 2))
        LanguageSetting = *v;
    LangOffset = LanguageSetting == 1 ? 0 : kEnglishOffset;
}

void LoadPortOccupy()
{
    const auto v = ReadInt("PortOccupy", 1);
    PortOccupy = v && *v != 0;
}

void SavePortNo()
{
    WriteText("PortNo", QString::number(PortNo));
}

void SavePortOccupy()
{
    WriteText("PortOccupy", PortOccupy ? QStringLiteral("1") : QStringLiteral("0"));
}

}  // namespace kz
