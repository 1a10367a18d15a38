#include "core/settings.h"

#include "core/paths.h"
#include "core/strings.h"
#include "core/read_number.h"

#include <QRegularExpression>
#include <QSettings>

namespace kz {

int LanguageSetting = 0;

namespace {

constexpr auto kSection = "Settings";

}  // namespace

// Reads a stored number as a 16-bit integer, rounded as every number the tool reads ("3.6" is 4,
// "2.5" is 2). Absent key: the default. Text that is no number at all, or a number that does not
// fit 16 bits: no value, and the caller keeps what it had.
std::optional<int> ReadSetting(const char *key, int fallback)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    if (!settings.contains(QLatin1String(key)))
        return fallback;
    const QString text = settings.value(QLatin1String(key)).toString();
    static const QRegularExpression startsWithNumber(QStringLiteral("^[ \\t]*[+-]?(\\d|\\.\\d)"));
    if (!startsWithNumber.match(text).hasMatch())
        return std::nullopt;
    const std::optional<qint32> value = ReadNumber(text, 16);
    if (!value)
        return std::nullopt;
    return *value;
}

void WriteSetting(const char *key, const QString &text)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kSection));
    settings.setValue(QLatin1String(key), text);
}

void LoadLanguage()
{
    if (auto v = ReadSetting("Language", 2))
        LanguageSetting = *v;
    LangOffset = LanguageSetting == 1 ? 0 : kEnglishOffset;
}

}  // namespace kz
