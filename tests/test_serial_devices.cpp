// The serial devices on the Options dialog's port page: each device with the COM number it is,
// numbers whose device is not connected, assigning an adapter to a number (the link it writes,
// the number offered, a number already taken) and removing an assignment; end to end, a
// pseudo-terminal of kz-sim plugged in as an adapter, assigned and used.
//
// The device list is a fixed one and, but for the end-to-end test, the port never opens, so no
// test reaches the machine's own serial ports.

#include "app/frmOptions.h"
#include "core/paths.h"
#include "app/port_probe.h"
#include "core/settings.h"
#include "core/strings.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "link/port_assign.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmOptions.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>

using namespace kz;
using namespace kz::test;

namespace {

// A port that never opens: the probe finds nothing it could use.
class ClosedPort final : public CommPort {
public:
    ClosedPort() { SetPortForTest(this); }
    ~ClosedPort() override { SetPortForTest(nullptr); }
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

void LinkComPort(int n, const QString &target)
{
    QDir().mkpath(PortLinkDir());
    QFile::remove(PortLinkPath(n));
    QVERIFY(QFile::link(target, PortLinkPath(n)));
}

QString LinkTarget(int n)
{
    return QFileInfo(PortLinkPath(n)).symLinkTarget();
}

QList<QStringList> Rows(const QTreeWidget *list)
{
    QList<QStringList> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->topLevelItem(i)->text(c);
        rows << cells;
    }
    return rows;
}

void Choose(QTreeWidget *list, const QString &device)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(1) == device) {
            list->setCurrentItem(list->topLevelItem(i));
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no row for ") + device));
}

// A UART on the board (COM1 by default), an FTDI adapter with a stable name linked as COM3, an ACM
// device without a number, a link to a device the system does not list (COM5), one whose
// adapter is unplugged (COM7), and two network ports: a link (COM9) and a text file holding the
// address (COM11). Device nodes are plain files in the settings folder.
struct Machine {
    explicit Machine(const QString &language = QStringLiteral("2"))
    {
        env.writeSetting(QStringLiteral("Language"), language);
        LoadLanguage();
        tmp = QFileInfo(env.configDir()).canonicalFilePath();
        QDir(tmp).mkpath(QStringLiteral("by-id"));
        for (const char *node : {"ttyUSB0", "ttyACM0"})
            QFile(tmp + '/' + node).open(QIODevice::WriteOnly);
        uart = {"/dev/ttyS0", {}, "ttyS0", {}, {}, 0, 0, false};
        ftdi = {tmp + "/ttyUSB0", tmp + "/by-id/usb-FTDI_FT232R_USB_UART_A1-if00-port0", "FT232R USB UART", "FTDI", "A1",
                0x0403, 0x6001, true};
        acm = {tmp + "/ttyACM0", {}, "Pico", "Raspberry Pi", "E66", 0x2e8a, 0x000a, true};
        QFile::link(ftdi.location, ftdi.stablePath);
        devices.list = {uart, ftdi, acm};
        LinkComPort(3, ftdi.stablePath);
        LinkComPort(5, QStringLiteral("/dev/null"));
        LinkComPort(7, tmp + "/by-id/usb-Prolific_PL2303-if00-port0");
        LinkComPort(9, QStringLiteral("tcp://127.0.0.1:1"));
        QFile address(PortLinkPath(11));
        if (address.open(QIODevice::WriteOnly))
            address.write("tcp://127.0.0.1:2\n");
    }

    TestEnv env;
    ScriptedPrompts prompts;
    ClosedPort port;
    FixedSerialDevices devices;
    QString tmp;
    SerialDevice uart, ftdi, acm;
};

}  // namespace


// The port choice these tests work on: the test link's.
PortChoice &Choice()
{
    return test::windowLink().link.portChoice();
}

class TestSerialDevices : public QObject {
    Q_OBJECT

private slots:
    void listedWithTheirNumbers_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QString>("unassigned");
        QTest::addColumn<QString>("notConnected");
        QTest::addColumn<QString>("network");
        QTest::newRow("English") << "2"
                                 << QStringList{"Port", "Device", "Description", "Manufacturer", "Serial No.", "VID:PID"}
                                 << "not assigned" << "not connected" << "network port (TCP)";
        QTest::newRow("Japanese") << "1"
                                  << QStringList{"ポート", "デバイス", "説明", "メーカー", "シリアル番号", "VID:PID"}
                                  << "未割り当て" << "未接続" << "ネットワークポート（TCP）";
    }

    void listedWithTheirNumbers()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, header);
        QFETCH(QString, unassigned);
        QFETCH(QString, notConnected);
        QFETCH(QString, network);
        Machine m(language);
        frmOptions dialog(Choice());
        auto *list = dialog.form()->lstSerialDevices;
        QStringList shownHeader;
        for (int c = 0; c < list->columnCount(); ++c)
            shownHeader << list->headerItem()->text(c);
        QCOMPARE(shownHeader, header);
        const QList<QStringList> expected{
            {"COM1", "/dev/ttyS0", "ttyS0", "", "", ""},
            {"COM3", m.ftdi.location, "FT232R USB UART", "FTDI", "A1", "0403:6001"},
            {"COM5", "/dev/null", "", "", "", ""},
            {"COM7", m.tmp + "/by-id/usb-Prolific_PL2303-if00-port0", notConnected, "", "", ""},
            {"COM9", "tcp://127.0.0.1:1", network, "", "", ""},
            {"COM11", "tcp://127.0.0.1:2", network, "", "", ""},
            {unassigned, m.acm.location, "Pico", "Raspberry Pi", "E66", "2e8a:000a"},
        };
        QCOMPARE(Rows(list), expected);
        // No serial port opens here; the network ports are listed for choosing without a trial
        // connection (nothing listens on those addresses).
        const QComboBox *ports = dialog.form()->comboPortNo;
        QStringList choices;
        for (int i = 0; i < ports->count(); ++i)
            choices << ports->itemText(i);
        QCOMPARE(choices, (QStringList{"COM9 (tcp://127.0.0.1:1)", "COM11 (tcp://127.0.0.1:2)"}));
        QCOMPARE(list->topLevelItem(1)->toolTip(1), m.ftdi.stablePath);
        QVERIFY(m.prompts.shown.isEmpty());
    }

    // What each kind of row allows, and the number offered for a device without one: the lowest
    // with no link, no UART of the system behind it and no port the probe could open.
    void buttonsFollowTheChosenRow_data()
    {
        QTest::addColumn<QString>("device");  // "uart", "ftdi", "null", "gone", "acm"
        QTest::addColumn<bool>("assign");
        QTest::addColumn<bool>("remove");
        QTest::newRow("UART by its default number") << "uart" << false << false;
        QTest::newRow("assigned adapter") << "ftdi" << false << true;
        QTest::newRow("linked device the system does not list") << "null" << false << true;
        QTest::newRow("not connected") << "gone" << false << true;
        QTest::newRow("network port") << "network" << false << true;
        QTest::newRow("device without a number") << "acm" << true << false;
    }

    void buttonsFollowTheChosenRow()
    {
        QFETCH(QString, device);
        QFETCH(bool, assign);
        QFETCH(bool, remove);
        Machine m;
        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QVERIFY(!f->cmdAssign->isEnabled());
        QVERIFY(!f->cmdRemove->isEnabled());
        const QHash<QString, QString> location{{"uart", "/dev/ttyS0"},
                                                {"ftdi", m.ftdi.location},
                                                {"null", "/dev/null"},
                                                {"gone", m.tmp + "/by-id/usb-Prolific_PL2303-if00-port0"},
                                                {"acm", m.acm.location},
                                                {"network", QStringLiteral("tcp://127.0.0.1:1")}};
        Choose(f->lstSerialDevices, location[device]);
        QCOMPARE(f->cmdAssign->isEnabled(), assign);
        QCOMPARE(f->spinAssignPortNo->isEnabled(), assign);
        QCOMPARE(f->cmdRemove->isEnabled(), remove);
        if (assign)
            QCOMPARE(f->spinAssignPortNo->value(), 2);  // COM1 has its UART, COM3 and COM5 links
    }

    void assign_data()
    {
        QTest::addColumn<bool>("stableName");
        QTest::addColumn<int>("picked");  // 0: the number offered
        QTest::addColumn<int>("portNo");
        QTest::newRow("offered number, stable name") << true << 0 << 2;
        QTest::newRow("picked number, stable name") << true << 12 << 12;
        QTest::newRow("no stable name: the device node") << false << 0 << 2;
    }

    void assign()
    {
        QFETCH(bool, stableName);
        QFETCH(int, picked);
        QFETCH(int, portNo);
        Machine m;
        QFile::remove(PortLinkPath(3));  // the FTDI adapter has no number now
        SerialDevice &adapter = m.devices.list[1];
        if (!stableName)
            adapter.stablePath.clear();
        frmOptions dialog(Choice());
        auto *f = dialog.form();
        Choose(f->lstSerialDevices, adapter.location);
        if (picked)
            f->spinAssignPortNo->setValue(picked);
        f->cmdAssign->click();

        QCOMPARE(LinkTarget(portNo), stableName ? adapter.stablePath : adapter.location);
        QCOMPARE(QFileInfo(PortLinkPath(portNo)).canonicalFilePath(), adapter.location);
        QCOMPARE(PortDevicePath(portNo), adapter.location);
        QVERIFY(m.prompts.shown.isEmpty());
        // The list shows the number at once; the row stays chosen, now with Remove.
        const auto chosen = f->lstSerialDevices->selectedItems();
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0]->text(0), QStringLiteral("COM%1").arg(portNo));
        QCOMPARE(chosen[0]->text(1), adapter.location);
        QVERIFY(f->cmdRemove->isEnabled());
        QVERIFY(!f->cmdAssign->isEnabled());
        // Nothing is chosen as the port until OK; the port number is untouched.
        QCOMPARE(Choice().number, 1);
    }

    void assignToANumberTaken()
    {
        Machine m;
        frmOptions dialog(Choice());
        auto *f = dialog.form();
        Choose(f->lstSerialDevices, m.acm.location);
        f->spinAssignPortNo->setValue(3);
        f->cmdAssign->click();
        QCOMPARE(m.prompts.texts(), QStringList{"COM3 is already assigned to " + m.ftdi.stablePath + "."});
        QCOMPARE(LinkTarget(3), m.ftdi.stablePath);
        QCOMPARE(Rows(f->lstSerialDevices).last().first(), QStringLiteral("not assigned"));
    }

    void remove()
    {
        Machine m;
        frmOptions dialog(Choice());
        auto *f = dialog.form();
        Choose(f->lstSerialDevices, m.ftdi.location);
        f->cmdRemove->click();
        Choose(f->lstSerialDevices, m.tmp + "/by-id/usb-Prolific_PL2303-if00-port0");
        f->cmdRemove->click();
        Choose(f->lstSerialDevices, QStringLiteral("tcp://127.0.0.1:1"));
        f->cmdRemove->click();

        QVERIFY(!QFileInfo(PortLinkPath(3)).isSymLink());
        QVERIFY(!QFileInfo(PortLinkPath(7)).isSymLink());
        QVERIFY(!QFileInfo(PortLinkPath(9)).isSymLink());
        QVERIFY(QFileInfo::exists(PortLinkPath(5)));
        QVERIFY(QFileInfo::exists(m.ftdi.stablePath));  // only the number's link goes
        const QList<QStringList> rows = Rows(f->lstSerialDevices);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[2].mid(0, 2), (QStringList{"COM11", "tcp://127.0.0.1:2"}));
        QCOMPARE(rows[3].mid(0, 2), (QStringList{"not assigned", m.ftdi.location}));
        QCOMPARE(rows[4].mid(0, 2), (QStringList{"not assigned", m.acm.location}));
        QCOMPARE(f->comboPortNo->count(), 1);
        QVERIFY(m.prompts.shown.isEmpty());
    }

    // kz-sim's pseudo-terminal plays a USB adapter: published under a stable by-id name, listed by
    // the system with no number. Assigned in the dialog and chosen with OK, it is the port the
    // next exchange talks to.
    void adapterOnAPseudoTerminal()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        LoadLanguage();
        // Every number but the last two links to nothing, so the probe reaches no real port.
        for (int n = 1; n <= 30; ++n)
            LinkComPort(n, QDir(env.configDir()).filePath("nothing"));
        const QString byId = QDir(env.configDir()).filePath("usb-KZ_Feeder_Link_0001-if00-port0");
        const QString log = QDir(env.configDir()).filePath("frames.log");
        QProcess sim;
        sim.start(QStringLiteral(KZ_SIM_PATH), {"--link", byId, "--log", log});
        QVERIFY(sim.waitForReadyRead(5000));
        QVERIFY(sim.readAllStandardOutput().contains("ready"));
        const QString pty = QFileInfo(byId).canonicalFilePath();
        FixedSerialDevices devices({{pty, byId, "FT232R USB UART", "FTDI", "0001", 0x0403, 0x6001, true}});

        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QCOMPARE(f->comboPortNo->count(), 0);
        Choose(f->lstSerialDevices, pty);
        QCOMPARE(f->spinAssignPortNo->value(), 31);
        f->cmdAssign->click();
        QCOMPARE(LinkTarget(31), byId);
        QCOMPARE(f->comboPortNo->currentText(), QStringLiteral("COM31 (%1)").arg(pty));
        f->cmdOK->click();

        QCOMPARE(Choice().number, 31);
        QCOMPARE(QSettings(SettingsFilePath(), QSettings::IniFormat).value("Settings/PortNo").toString(),
                 QStringLiteral("31"));
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QCOMPARE(test::windowLink().link.reply(), QStringLiteral("0RV140001\r\n"));
        QFile frames(log);
        QVERIFY(frames.open(QIODevice::ReadOnly));
        QCOMPARE(frames.readAll(), QByteArray("0RV\n"));
        QVERIFY(prompts.shown.isEmpty());
        ForceClosePort();
        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
    }
};

QTEST_MAIN(TestSerialDevices)
#include "test_serial_devices.moc"
