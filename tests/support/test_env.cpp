#include "support/test_env.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/strings.h"
#include "link/port.h"
#include "link/port_diag.h"
#include "main_window/frmMain.h"
#include "support/window_link.h"

#include <QSettings>

namespace kz::test {

TestEnv::TestEnv()
{
    SetConfigDirOverride(dir_.path());
    ForceClosePort();
    windowLink().clear();
    LangOffset = kEnglishOffset;
    LanguageSetting = 0;
    ShowParametersOption = false;
    HomingParametersOption = false;
}

TestEnv::~TestEnv()
{
    ForceClosePort();
    SetConfigDirOverride(QString());
}

void TestEnv::writeSetting(const QString &key, const QString &value) const
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(key, value);
}

}  // namespace kz::test
