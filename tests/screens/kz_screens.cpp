// Renders the tool's windows to PNG files in both languages, for a look at what users see.
// Usage: kz-screens OUTDIR

#include "app/language.h"
#include "app/paths.h"
#include "app/settings.h"
#include "app/strings.h"
#include "main_window/frmMain.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

using namespace kz;

namespace {

void Save(QWidget *w, const QString &dir, const QString &name)
{
    QApplication::processEvents();
    w->grab().save(QDir(dir).filePath(name + QLatin1String(".png")));
}

void MainWindowShots(const QString &dir, const QString &lang)
{
    frmMain window;
    window.show();
    Save(&window, dir, QStringLiteral("main-edit-") + lang);
    ParametaShowFlag = true;
    HomeParaShowFlag = true;
    window.HomePara_Yuko();
    window.ApplyShowParametersLayout();
    window.EditModeLayout();
    Save(&window, dir, QStringLiteral("main-edit-params-") + lang);
    window.MoveModeLayout();
    window.form()->lblKanryoNo->setText(QStringLiteral("2"));
    Save(&window, dir, QStringLiteral("main-move-params-") + lang);
    ParametaShowFlag = false;
    window.ApplyShowParametersLayout();
    Save(&window, dir, QStringLiteral("main-move-") + lang);
    window.setAlarmNo(QStringLiteral("0B"));
    window.setAlarmLampVisible(true);
    window.setErrorComment(Str(271));
    Save(&window, dir, QStringLiteral("main-alarm-") + lang);
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    QTemporaryDir config;
    SetConfigDirOverride(config.path());
    for (const QString &lang : {QStringLiteral("en"), QStringLiteral("ja")}) {
        {
            QSettings s(SettingsFilePath(), QSettings::IniFormat);
            s.setValue(QStringLiteral("Settings/Language"), lang == QLatin1String("ja") ? 1 : 2);
        }
        LoadLanguage();
        InstallQtTranslator();
        MainWindowShots(out, lang);
    }
    return 0;
}
