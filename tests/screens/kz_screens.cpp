// Renders the tool's windows to PNG files in both languages, for a look at what users see.
// Usage: kz-screens OUTDIR

#include "core/fit_text.h"
#include "app/frmOptions.h"
#include "core/language.h"
#include "core/paths.h"
#include "app/port_probe.h"
#include "core/settings.h"
#include "core/strings.h"
#include "io_monitor/frmInputOutput.h"
#include "files/verify.h"
#include "link/comm_log.h"
#include "link/frmCommLog.h"
#include "core/prompts.h"
#include "link/comm_port.h"
#include "link/port_assign.h"
#include "link/serial_devices.h"
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
#include <QFileInfo>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QDateTime>
#include <QTimer>
#include <QToolButton>

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
    ShowParametersOption = true;
    HomingParametersOption = true;
    window.enableHomingParameters();
    window.ApplyShowParametersLayout();
    window.EditModeLayout();
    Save(&window, dir, QStringLiteral("main-edit-params-") + lang);
    window.MoveModeLayout();
    window.form()->lblKanryoNo->setText(QStringLiteral("2"));
    Save(&window, dir, QStringLiteral("main-move-params-") + lang);
    window.form()->lblKanryoNo->setText(Str(460));
    FitCaption(window.form()->lblKanryoNo);
    Save(&window, dir, QStringLiteral("main-move-home-") + lang);
    window.EditModeLayout();
    ParameterDocument &document = window.document();
    document.name = QStringLiteral("<u>line3_feeder12_changeover_2026-12-10_final");
    document.path = QStringLiteral("/home/tech/kz/") + document.name + QStringLiteral(".kzd");
    window.ShowDataName();
    Save(&window, dir, QStringLiteral("main-longname-") + lang);
    window.MoveModeLayout();
    ShowParametersOption = false;
    window.ApplyShowParametersLayout();
    Save(&window, dir, QStringLiteral("main-move-") + lang);
    window.showAlarm(QStringLiteral("0B"), Str(271));
    Save(&window, dir, QStringLiteral("main-alarm-") + lang);
}

// The I/O monitor: all lamps off and stopped, then a mix of lamps on while it polls.
void IoMonitorShots(const QString &dir, const QString &lang)
{
    {
        frmInputOutput window(nullptr);
        window.show();
        Save(&window, dir, QStringLiteral("io-monitor-off-") + lang);
    }
    InputOutputState state;
    state.signalStates = {true, false, true, true, false, false, true, true, false};
    frmInputOutput window(nullptr, nullptr, &state);
    window.show();
    window.cmdMonitor_Click();  // the polling look; grabbed before the first tick
    Save(&window, dir, QStringLiteral("io-monitor-on-") + lang);
    window.cmdMonitor_Click();
}

// The communication log with an exchange of each kind, the I/O monitor with its history open, and
// the table of values after a verification that found differences.
void SeeWhatTheControllerSaysShots(const QString &dir, const QString &lang)
{
    ShowCommLog(nullptr);
    frmCommLog *log = CommLogWindow();
    log->cmdClear_Click();
    auto add = [&](TrafficKind kind, const QByteArray &bytes = {}, const QString &detail = {}, const QString &text = {}) {
        TrafficRecord r;
        r.msecsSinceEpoch = QDateTime(QDate(2026, 12, 10), QTime(9, 41, 7)).toMSecsSinceEpoch() + log->model().rowCount() * 37;
        r.port = QStringLiteral("COM1");
        r.device = QStringLiteral("/dev/ttyUSB0");
        r.kind = kind;
        r.bytes = bytes;
        r.detail = detail;
        r.text = text;
        log->model().append(r);
    };
    add(TrafficKind::Sent, "0CM1\r\n");
    add(TrafficKind::Received, "0CM1\r\n");
    add(TrafficKind::Good);
    add(TrafficKind::Sent, "0RD02\r\n");
    add(TrafficKind::Received, "0RD0200640008000A015E\r\n");
    add(TrafficKind::Good);
    add(TrafficKind::Sent, "0RD04\r\n");
    add(TrafficKind::Timeout, {}, QStringLiteral("5000"));
    add(TrafficKind::Sent, "0MP1\r\n");
    add(TrafficKind::Received, "0%%0B\r\n");
    add(TrafficKind::Alarm, {}, QStringLiteral("0B"), Str(271));
    add(TrafficKind::Sent, "0RV\r\n");
    add(TrafficKind::Received, QByteArray("\x00\xff" "0RV140\r\n", 10));
    add(TrafficKind::EchoMismatch, {}, QStringLiteral("0RV"));
    add(TrafficKind::Recovery);
    add(TrafficKind::Sent, "0CM0\r\n");
    add(TrafficKind::Received, "0CM0\r\n");
    add(TrafficKind::Sent, "0RD20\r\n");
    add(TrafficKind::LineLost);
    log->resize(720, 420);
    {
        // New lines are drawn at most twice a second: wait for them.
        QEventLoop wait;
        QTimer::singleShot(600, &wait, &QEventLoop::quit);
        wait.exec();
    }
    Save(log, dir, QStringLiteral("comm-log-") + lang);
    delete log;

    InputOutputState state;
    IoHistory &h = state.history;
    const qint64 t0 = QDateTime(QDate(2026, 12, 10), QTime(9, 41, 7)).toMSecsSinceEpoch();
    h.changes = {{t0, 1, true, false}, {t0 + 410, 1, false, false}, {t0 + 410, 5, true, false},
                 {t0 + 1230, 7, true, true}, {t0 + 2050, 9, true, false}};
    h.polls = 12;
    h.failedPolls = 1;
    state.signalStates = {false, false, false, false, true, false, true, false, true};
    {
        frmInputOutput window(nullptr, nullptr, &state);
        window.show();
        window.findChild<QToolButton *>(QStringLiteral("cmdHistory"))->setChecked(true);
        Save(&window, dir, QStringLiteral("io-history-") + lang);
    }

    ParameterSet screen;
    screen.Vel1 = 11;
    screen.SupplyCounter = 9;
    screen.HomingPulse = 40;
    ParameterSet controller;
    controller.Vel1 = 10;
    controller.SupplyCounter = 8;
    controller.HomingPulse = 30;
    QTimer::singleShot(0, [&] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        Save(dialog, dir, QStringLiteral("verify-values-") + lang);
        dialog->close();
    });
    prompts().table(VerifyValueTable(VerifyDifferences(controller, screen, true), VerifySource::Controller));
}

// The Options dialog, page by page. The probe meets no real port (the port never opens); two
// numbers are linked to a device this user "may not open", which brings up the note, and the
// device list shows a UART, an adapter with its number, an unplugged one and an adapter without a
// number, chosen so that Assign offers the lowest free number.
class NeverOpens final : public CommPort {
public:
    bool open(const QString &) override { return false; }
    bool configure(const QString &) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool write(const QByteArray &) override { return false; }
    qint64 bytesAvailable() const override { return 0; }
    QByteArray readAll() override { return {}; }
    void discardInput() override {}
    QString errorText() const override { return {}; }
};

class SampleDevices final : public SerialDeviceSource {
public:
    QList<SerialDevice> devices() const override { return list; }
    QList<SerialDevice> list;
};

void OptionsShots(const QString &dir, const QString &lang)
{
    QDir().mkpath(PortLinkDir());
    for (int n = 1; n <= 32; ++n)
        QFile::remove(PortLinkPath(n));
    QFile::link(QStringLiteral("/dev/null"), PortLinkPath(2));
    QFile::link(QStringLiteral("/dev/null"), PortLinkPath(4));
    const QString nodes = ConfigDir();
    QDir(nodes).mkpath(QStringLiteral("by-id"));
    QFile(nodes + QStringLiteral("/ttyUSB0")).open(QIODevice::WriteOnly);
    QFile(nodes + QStringLiteral("/ttyACM0")).open(QIODevice::WriteOnly);
    SampleDevices sample;
    const QString ftdiById = nodes + QStringLiteral("/by-id/usb-FTDI_FT232R_USB_UART_A10K3XJ2-if00-port0");
    QFile::link(nodes + QStringLiteral("/ttyUSB0"), ftdiById);
    sample.list = {
        {QStringLiteral("/dev/ttyS0"), {}, QStringLiteral("ttyS0"), {}, {}, 0, 0, false},
        {QFileInfo(nodes + QStringLiteral("/ttyUSB0")).canonicalFilePath(), ftdiById, QStringLiteral("FT232R USB UART"),
         QStringLiteral("FTDI"), QStringLiteral("A10K3XJ2"), 0x0403, 0x6001, true},
        {QFileInfo(nodes + QStringLiteral("/ttyACM0")).canonicalFilePath(), {}, QStringLiteral("USB Serial Device"),
         QStringLiteral("Microchip"), QStringLiteral("0001"), 0x04d8, 0x000a, true},
    };
    QFile::link(ftdiById, PortLinkPath(3));
    QFile::link(QStringLiteral("/dev/serial/by-id/usb-Prolific_PL2303-if00-port0"), PortLinkPath(7));
    NeverOpens port;
    SetPortForTest(&port);
    SetSerialDevicesForTest(&sample);
    SetDeviceAccessCheck([](const QString &device) { return device != QLatin1String("/dev/null"); });
    ShowParametersOption = true;
    HomingParametersOption = true;
    {
        PortChoice choice{1, true, 0};
        frmOptions dialog(choice);
        auto *f = dialog.form();
        f->comboPortNo->addItem(QStringLiteral("COM1 (/dev/ttyS0)"));
        f->comboPortNo->addItem(QStringLiteral("COM3 (/dev/ttyUSB0)"));
        f->comboPortNo->setCurrentIndex(1);
        QTreeWidget *list = f->lstSerialDevices;
        list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
        dialog.show();
        for (int page = 0; page < 3; ++page) {
            f->ssTab3->setCurrentIndex(page);
            Save(&dialog, dir, QStringLiteral("options-%1-").arg(page + 1) + lang);
        }
    }
    SetDeviceAccessCheck({});
    SetSerialDevicesForTest(nullptr);
    SetPortForTest(nullptr);
    ShowParametersOption = false;
    HomingParametersOption = false;
}

}  // namespace

// The settings report of a sample parameter set, printed to PDF (scripts/screenshots turns it
// into PNG).
void ReportShot(const QString &dir, const QString &lang)
{
    ParameterSet set;
    set.Vel1 = 10; set.Acc1 = 5; set.Dec1 = 5; set.PauseTime1 = 30; set.Position1 = 200;
    set.Vel2 = 20; set.Acc2 = 3; set.Dec2 = 4; set.PauseTime2 = 0; set.Position2 = 350;
    set.HomingVel = 8; set.HomingPulse = 300; set.OffsetVel = 6; set.HomeOffset = 2;
    set.SeparateTimer = 100; set.SupplyCounter = 8; set.RestartDelay = 100;
    set.MidDetectCounter = 15; set.NoWorkCounter = 200; set.TipWorkOffTimer = 20;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir(dir).filePath(QStringLiteral("report-") + lang + QLatin1String(".pdf")));
    PrintSetData(set, printer);
    // The same report as Save Report as PDF writes it, of the screen's data.
    frmPrintSelect::PrintScreenData = true;
    WriteReportPdf(set, QDir(dir).filePath(QStringLiteral("report-saved-") + lang + QLatin1String(".pdf")));
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
        SeeWhatTheControllerSaysShots(out, lang);
        ReportShot(out, lang);
    }
    return 0;
}
