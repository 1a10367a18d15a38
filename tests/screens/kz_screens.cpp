// Renders the tool's windows to PNG files in both languages, for a look at what users see.
// Usage: kz-screens OUTDIR

#include "app/frmOptions.h"
#include "app/language.h"
#include "app/paths.h"
#include "app/port_probe.h"
#include "app/settings.h"
#include "app/strings.h"
#include "io_monitor/frmInputOutput.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "printing/frmPrintSelect.h"
#include "printing/print_ops.h"
#include "printing/report.h"
#include "ui_frmMain.h"
#include "ui_frmOptions.h"

#include <QApplication>
#include <QPrinter>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
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
    QMenu *file = window.form()->mnuFile;
    file->popup(window.mapToGlobal(QPoint(0, window.menuBar()->height())));
    Save(file, dir, QStringLiteral("menu-file-") + lang);
    file->hide();
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

// The I/O monitor: all lamps off and stopped, then a mix of lamps on while it polls.
void IoMonitorShots(const QString &dir, const QString &lang)
{
    IoMonitorState() = InputOutputState{};
    {
        frmInputOutput window(nullptr);
        window.show();
        Save(&window, dir, QStringLiteral("io-monitor-off-") + lang);
    }
    IoMonitorState().signalStates = {true, false, true, true, false, false, true, true, false};
    frmInputOutput window(nullptr);
    window.show();
    window.cmdMonitor_Click();  // the polling look; grabbed before the first tick
    Save(&window, dir, QStringLiteral("io-monitor-on-") + lang);
    window.cmdMonitor_Click();
    IoMonitorState() = InputOutputState{};
}

// The Options dialog, page by page. The probe meets no real port: every number is linked to
// nothing, except two linked to a device this user "may not open", which brings up the note; the
// list shows two sample entries.
void OptionsShots(const QString &dir, const QString &lang)
{
    QDir().mkpath(PortLinkDir());
    for (int n = 1; n <= 32; ++n) {
        const QString link = QDir(PortLinkDir()).filePath(QStringLiteral("COM%1").arg(n));
        QFile::remove(link);
        const bool closed = n == 2 || n == 4;
        QFile::link(closed ? QStringLiteral("/dev/null") : QDir(ConfigDir()).filePath(QStringLiteral("nothing")),
                    link);
    }
    SetDeviceAccessCheck([](const QString &device) { return device != QLatin1String("/dev/null"); });
    ParametaShowFlag = true;
    HomeParaShowFlag = true;
    frmOptions dialog;
    auto *f = dialog.form();
    f->comboPortNo->addItem(QStringLiteral("COM1 (/dev/ttyS0)"));
    f->comboPortNo->addItem(QStringLiteral("COM3 (/dev/ttyUSB0)"));
    f->comboPortNo->setCurrentIndex(1);
    dialog.show();
    for (int page = 0; page < 3; ++page) {
        f->ssTab3->setCurrentIndex(page);
        Save(&dialog, dir, QStringLiteral("options-%1-").arg(page + 1) + lang);
    }
    SetDeviceAccessCheck({});
    ParametaShowFlag = false;
    HomeParaShowFlag = false;
}

}  // namespace

// The settings report of a sample parameter set, printed to PDF (scripts/screenshots turns it
// into PNG).
void ReportShot(const QString &dir, const QString &lang)
{
    Temp = ParameterSet();
    Temp.Vel1 = 10; Temp.Acc1 = 5; Temp.Dec1 = 5; Temp.PauseTime1 = 30; Temp.Position1 = 200;
    Temp.Vel2 = 20; Temp.Acc2 = 3; Temp.Dec2 = 4; Temp.PauseTime2 = 0; Temp.Position2 = 350;
    Temp.HomingVel = 8; Temp.HomingPulse = 300; Temp.OffsetVel = 6; Temp.HomeOffset = 2;
    Temp.SeparateTimer = 100; Temp.SupplyCounter = 8; Temp.RestartDelay = 100;
    Temp.MidDetectCounter = 15; Temp.NoWorkCounter = 200; Temp.TipWorkOffTimer = 20;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(dir).filePath(QStringLiteral("report-") + lang + QLatin1String(".pdf")));
    PrintSetData(printer);
    // The same report as Save Report as PDF writes it, of the screen's data.
    frmPrintSelect::PrintScreenData = true;
    WriteReportPdf(QDir(dir).filePath(QStringLiteral("report-saved-") + lang + QLatin1String(".pdf")));
    frmPrintSelect::PrintScreenData = false;
}

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
        OptionsShots(out, lang);
        IoMonitorShots(out, lang);
        ReportShot(out, lang);
    }
    return 0;
}
