// Why a port would not open: the reason recorded by a failed OpenCommPort for each kind of fault
// (a missing device, with and without adapters plugged in, a dangling link, a regular file, a
// device that is no terminal, a device closed to this user, a port another program holds, a port
// number that is none), in both languages; every message of an operation that cannot open the
// port carrying it; the programs found holding a device.

#include "core/paths.h"
#include "core/settings.h"
#include "core/strings.h"
#include "link/exchange.h"
#include "link/port.h"
#include "link/port_assign.h"
#include "link/port_diag.h"
#include "main_window/frmMain.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <functional>

using namespace kz;
using namespace kz::test;

namespace {

enum class Setup { Missing, MissingWithAdapters, Dangling, RegularFile, NotTerminal, NoPermission, InUse, BadNumber };

void LinkComPort(int n, const QString &target)
{
    QDir().mkpath(PortLinkDir());
    QFile::remove(PortLinkPath(n));
    QVERIFY(QFile::link(target, PortLinkPath(n)));
}

QString MakeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("not a port\n");
    return QFileInfo(path).canonicalFilePath();
}

// kz-port-holder holding a device open, with its lock file, until it is destroyed.
class Holder {
public:
    explicit Holder(const QString &device)
    {
        process_.start(QStringLiteral(KZ_PORT_HOLDER_PATH), {device});
        holding_ = process_.waitForReadyRead(5000) && process_.readAllStandardOutput().contains("holding");
    }
    ~Holder()
    {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
    bool holding() const { return holding_; }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
    bool holding_ = false;
};

}  // namespace

class TestPortDiag : public QObject {
    Q_OBJECT

private slots:
    void openFailureSaysWhy_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("language");
        // {dev}: the device the number resolved to; {tmp}: the settings folder; {pid}: the holder.
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("no link, no device")
            << Setup::Missing << "2"
            << QStringList{"COM32 has no device assigned, so it means /dev/ttyS31, which does not exist.",
                           "The Options dialog can assign a USB serial adapter to COM32."};
        QTest::newRow("no link, adapters plugged in")
            << Setup::MissingWithAdapters << "2"
            << QStringList{"COM32 has no device assigned, so it means /dev/ttyS31, which does not exist.",
                           "The Options dialog can assign a USB serial adapter to COM32.",
                           "Serial adapters connected now:",
                           "  {tmp}/ttyUSB0 (FT232R USB UART, 0403:6001): COM3",
                           "  {tmp}/ttyACM0 (Pico): not assigned"};
        QTest::newRow("no link, Japanese")
            << Setup::Missing << "1"
            << QStringList{"COM32 には機器が割り当てられていないため /dev/ttyS31 を指しますが、このデバイスはありません。",
                           "オプション画面で USB シリアルアダプタを COM32 に割り当てられます。"};
        QTest::newRow("adapter unplugged")
            << Setup::Dangling << "2"
            << QStringList{"COM5 is assigned to /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0, "
                           "which is not connected."};
        QTest::newRow("regular file")
            << Setup::RegularFile << "2"
            << QStringList{"COM4 resolves to {dev}, which is a regular file, not a serial device."};
        QTest::newRow("device that is no terminal")
            << Setup::NotTerminal << "2" << QStringList{"COM4 resolves to /dev/null, which is not a serial device."};
        QTest::newRow("no permission")
            << Setup::NoPermission << "2"
            << QStringList{"No permission to open COM1 ({dev}): your user is not in the group \"dialout\".",
                           "To fix it, run this command once:", "sudo adduser $USER dialout",
                           "Then log out and log in again: the new group applies only from a new login."};
        QTest::newRow("no permission, Japanese")
            << Setup::NoPermission << "1"
            << QStringList{"アクセス権がないため COM1（{dev}）を開けません。ユーザーがグループ「dialout」に属していません。",
                           "次のコマンドを一度実行してください:", "sudo adduser $USER dialout",
                           "その後ログアウトして、ログインし直してください（新しいグループは次のログインから有効です）。"};
        QTest::newRow("held by another program")
            << Setup::InUse << "2"
            << QStringList{"COM1 ({dev}) is in use by kz-port-holder (process {pid}).", "Close that program and try again."};
        QTest::newRow("held by another program, Japanese")
            << Setup::InUse << "1"
            << QStringList{"COM1（{dev}）は kz-port-holder（プロセス {pid}）が使用中です。",
                           "そのプログラムを終了してから、もう一度実行してください。"};
        QTest::newRow("stored port number not a number")
            << Setup::BadNumber << "2" << QStringList{"The port number 0 is not one of COM1 to COM32."};
    }

    void openFailureSaysWhy()
    {
        QFETCH(Setup, setup);
        QFETCH(QString, language);
        QFETCH(QStringList, lines);
        TestEnv env;
        env.writeSetting(QStringLiteral("Language"), language);
        LoadLanguage();
        const QString tmp = QFileInfo(env.configDir()).canonicalFilePath();
        FixedSerialDevices devices;
        std::unique_ptr<SimRunner> sim;
        std::unique_ptr<Holder> holder;
        QString device;

        switch (setup) {
        case Setup::MissingWithAdapters: {
            SerialDevice ftdi{MakeFile(tmp + "/ttyUSB0"), {}, "FT232R USB UART", "FTDI", "A1", 0x0403, 0x6001, true};
            SerialDevice pico{MakeFile(tmp + "/ttyACM0"), {}, "Pico", "Raspberry Pi", "E66", 0, 0, false};
            SerialDevice uart{"/dev/ttyS0", {}, "ttyS0", {}, {}, 0, 0, false};  // on the board: not named
            devices.list = {uart, ftdi, pico};
            LinkComPort(3, ftdi.location);
        }
            [[fallthrough]];
        case Setup::Missing:
            if (QFileInfo::exists(QStringLiteral("/dev/ttyS31")))
                QSKIP("this machine has /dev/ttyS31");
            test::windowLink().link.portChoice().number = 32;
            break;
        case Setup::Dangling:
            LinkComPort(5, QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0"));
            test::windowLink().link.portChoice().number = 5;
            break;
        case Setup::RegularFile:
            device = MakeFile(tmp + "/plain.txt");
            LinkComPort(4, device);
            test::windowLink().link.portChoice().number = 4;
            break;
        case Setup::NotTerminal:
            LinkComPort(4, QStringLiteral("/dev/null"));
            test::windowLink().link.portChoice().number = 4;
            break;
        case Setup::NoPermission:
        case Setup::InUse:
            sim = std::make_unique<SimRunner>(QStringList{}, 1);
            QVERIFY(sim->ready());
            device = QFileInfo(sim->linkPath()).canonicalFilePath();
            test::windowLink().link.portChoice().number = 1;
            if (setup == Setup::NoPermission) {
                SetDeviceAccessCheck([device](const QString &d) { return d != device; });
            } else {
                holder = std::make_unique<Holder>(device);
                QVERIFY(holder->holding());
            }
            break;
        case Setup::BadNumber:
            env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("x"));
            test::windowLink().link.portChoice().number = 0;
            break;
        }

        QCOMPARE(test::windowLink().link.open(), 1);
        SetDeviceAccessCheck({});
        QString expected;
        for (QString line : lines)
            expected += "\r\n"
                        + line.replace("{dev}", device).replace("{tmp}", tmp).replace(
                            "{pid}", QString::number(holder ? holder->pid() : 0));
        QCOMPARE(test::windowLink().link.openFailureDetail(), expected);

        // Once the cause is gone the port opens and the reason goes with it.
        if (setup == Setup::InUse) {
            holder.reset();
            QCOMPARE(test::windowLink().link.open(), 0);
            QCOMPARE(test::windowLink().link.openFailureDetail(), QString());
            QCOMPARE(test::windowLink().link.open(), 0);  // already open
            QCOMPARE(test::windowLink().link.openFailureDetail(), QString());
        }
    }

    // The operations that cannot open the port show their own message as it was, with the
    // reason on the lines after it.
    void everyCallSiteSaysWhy_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        const QString read = QStringLiteral("Communication Error!");
        const QString other = QStringLiteral("Communication error occurs!");
        QTest::newRow("read at start-up") << "readAtStartup" << read;
        QTest::newRow("read from C/T") << "cmdGetfromCt" << read;
        QTest::newRow("write to C/T") << "cmdLoadtoCt" << other;
        QTest::newRow("move") << "cmdSelectMove" << other;
        QTest::newRow("home") << "cmdHome" << other;
        QTest::newRow("alarm reset") << "cmdReset" << other;
        QTest::newRow("external start mode") << "mnuModeGaibu" << other;
        QTest::newRow("communication mode") << "mnuModeTrancefer" << other;
        QTest::newRow("controller version") << "mnuViewCtVersion" << other;
    }

    void everyCallSiteSaysWhy()
    {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        TestEnv env;
        ScriptedPrompts prompts;
        LoadLanguage();
        const QString file = MakeFile(QDir(env.configDir()).filePath("plain.txt"));
        LinkComPort(4, file);
        env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("4"));
        frmMain window;  // loads the port settings
        window.link().portChoice().number = 4;
        window.show();
        window.document().current = ExampleSet();
        window.ScreenFill();
        // The read's question, or the write's.
        prompts.answers.enqueue(operation == "cmdLoadtoCt" ? MsgAnswer::Ok : MsgAnswer::Yes);

        const QHash<QString, std::function<void()>> run{
            {"readAtStartup", [&] { window.readAtStartup(); }},
            {"cmdGetfromCt", [&] { window.cmdGetfromCt_Click(); }},
            {"cmdLoadtoCt", [&] { window.cmdLoadtoCt_Click(); }},
            {"cmdSelectMove", [&] { window.cmdSelectMove_Click(); }},
            {"cmdHome", [&] { window.cmdHome_Click(); }},
            {"cmdReset", [&] { window.cmdReset_Click(); }},
            {"mnuModeGaibu", [&] { window.mnuModeGaibu_Click(); }},
            {"mnuModeTrancefer", [&] { window.mnuModeTrancefer_Click(); }},
            {"mnuViewCtVersion", [&] { window.mnuViewCtVersion_Click(); }},
        };
        run[operation]();
        QVERIFY(test::WaitForIdle(window));
        QVERIFY(!prompts.shown.isEmpty());
        QCOMPARE(prompts.shown.last().text,
                 message + "\r\nCOM4 resolves to " + file + ", which is a regular file, not a serial device.");
    }

    // A failure after the port opened (no reply) is no port failure: nothing is added.
    void failureAfterTheOpenAddsNothing()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RV:alarm=03")});
        QVERIFY(sim.ready());
        LinkComPort(9, QDir(env.configDir()).filePath("missing"));
        test::windowLink().link.portChoice().number = 9;
        QCOMPARE(test::windowLink().link.open(), 1);  // an earlier failure is not carried over
        frmMain window;
        window.mnuViewCtVersion_Click();
        QVERIFY(test::WaitForIdle(window));
        QCOMPARE(prompts.texts(), (QStringList{"Communication error occurs!\r\n[Communication command error]",
                                               "Fail to get Version No. ."}));
        QCOMPARE(window.link().openFailureDetail(), QString());
    }

    // The programs that have a device open, as /proc tells: here a process whose input it is.
    void processesHoldingADevice()
    {
        TestEnv env;
        const QString file = MakeFile(QDir(env.configDir()).filePath("held"));
        QProcess sleeper;
        sleeper.setStandardInputFile(file);
        sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(sleeper.waitForStarted());
        QTRY_VERIFY(!ProcessesHolding(file).isEmpty());
        const QList<PortHolder> holders = ProcessesHolding(file);
        QCOMPARE(holders.size(), 1);
        QCOMPARE(holders[0].pid, sleeper.processId());
        QCOMPARE(holders[0].name, QStringLiteral("sleep"));
        sleeper.kill();
        sleeper.waitForFinished();
        QVERIFY(ProcessesHolding(file).isEmpty());
        QVERIFY(!LockHolderOf(file));
    }
};

QTEST_MAIN(TestPortDiag)
#include "test_port_diag.moc"
