#include "support/test_env.h"

#include "core/paths.h"
#include "core/settings.h"
#include "core/strings.h"
#include "link/alarm.h"
#include "link/exchange.h"
#include "link/link_view.h"
#include "link/port.h"
#include "link/port_diag.h"
#include "main_window/frmMain.h"

#include <QSettings>

namespace kz::test {

TestEnv::TestEnv()
{
    SetConfigDirOverride(dir_.path());
    ForceClosePort();
    ClearOpenFailure();
    PortNo = 1;
    PortOccupy = true;
    BaudIndex = 0;
    TimeoutMs = 5000;
    TimeoutFlag = false;
    CommErrFlag = false;
    RecvData.clear();
    AlarmData.clear();
    AlarmText.clear();
    LangOffset = kEnglishOffset;
    LanguageSetting = 0;
    SetLinkView(nullptr);
    RecordedView() = RecordedLinkView();
    ShowParametersOption = false;
    HomingParametersOption = false;
}

TestEnv::~TestEnv()
{
    ForceClosePort();
    SetLinkView(nullptr);
    SetConfigDirOverride(QString());
}

void TestEnv::writeSetting(const QString &key, const QString &value) const
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("Settings"));
    settings.setValue(key, value);
}

}  // namespace kz::test
