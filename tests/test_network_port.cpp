// Network ports: COMn linked to "tcp://host:port" (kz-sim --tcp) works like a serial port, in the
// window's link and in links made by address; several links run at once on one event loop.

#include "core/paths.h"
#include "core/settings.h"
#include "core/strings.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/link.h"
#include "link/port.h"
#include "link/tcp_comm_port.h"
#include "link/traffic.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/messages.h"
#include "support/scripted_prompts.h"
#include "support/silent_server.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

using namespace kz;
using namespace kz::test;

namespace {

const QStringList kTcp{QStringLiteral("--tcp"), QStringLiteral("0")};

}  // namespace

class TestNetworkPort : public QObject {
    Q_OBJECT

private slots:
    // The window's exchange over a network port: the same outcomes, frames and messages as on a
    // serial line.
    void exchanges_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("messages");
        const QStringList none;
        QTest::newRow("read block") << none << "0RD" << 23 << "02" << 0 << QStringList{"0RD02"} << none;
        QTest::newRow("no reply") << QStringList{"--fault", "0RD05:noreply"} << "0RD" << 23 << "05" << 1
                                  << QStringList{"0RD05"} << QStringList{kTimeoutEn};
        QTest::newRow("alarm") << QStringList{"--fault", "0RD02:alarm=03"} << "0RD" << 23 << "02" << 1
                               << QStringList{"0RD02"}
                               << QStringList{"Communication error occurs!\r\n[Communication command error]"};
        QTest::newRow("wrong echo") << QStringList{"--fault", "0RV:echo"} << "0RV" << 11 << "" << 1
                                    << QStringList{"0RV", "0CM0"} << QStringList{kEchoEn};
        QTest::newRow("reply in pieces") << QStringList{"--fault", "0RD02:pieces=4/40"} << "0RD" << 23 << "02"
                                         << 0 << QStringList{"0RD02"} << none;
    }

    void exchanges()
    {
        QFETCH(QStringList, faults);
        QFETCH(QString, cmd);
        QFETCH(int, length);
        QFETCH(QString, arg);
        QFETCH(int, result);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, messages);
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim(kTcp + faults);
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        QVERIFY2(PortDevicePath(1).startsWith(QLatin1String("tcp://127.0.0.1:")), qPrintable(PortDevicePath(1)));
        test::windowLink().link.timeoutMs = 700;
        QCOMPARE(test::windowLink().exchange(cmd, length, arg), result);
        QCOMPARE(sim.waitForFrames(int(frames.size())), frames);
        QCOMPARE(prompts.texts(), messages);
        if (result == 0)
            QCOMPARE(test::windowLink().link.reply().left(3), cmd.left(3));
    }

    // A connection the server closes mid-reply is a lost line: the wait ends, the port is closed,
    // and the next exchange connects afresh.
    void lostConnectionEndsTheWaitAndTheNextExchangeReconnects()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim(kTcp + QStringList{QStringLiteral("--fault"), QStringLiteral("0RD02#1:hangup")});
        QVERIFY(sim.ready());
        test::windowLink().link.timeoutMs = 5000;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QVERIFY(!Port().isOpen());
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("The line to the controller was lost!\r\n"
                                                             "Reason: The remote host closed the connection\r\n"
                                                             "Check the cable, the USB adapter or the network connection.")});
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 0);
    }

    // A refused connection is a port failure with its reason; the link may also be a text file.
    void refusedConnectionIsAPortFailureWithTheReason()
    {
        TestEnv env;
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closed = probe.serverPort();
        probe.close();
        QDir().mkpath(PortLinkDir());
        QFile link(QDir(PortLinkDir()).filePath(QStringLiteral("COM4")));
        QVERIFY(link.open(QIODevice::WriteOnly));
        link.write(QStringLiteral("tcp://127.0.0.1:%1\n").arg(closed).toLatin1());
        link.close();
        test::windowLink().link.portChoice().number = 4;
        const QString address = QStringLiteral("tcp://127.0.0.1:%1").arg(closed);
        QCOMPARE(PortDevicePath(4), address);
        QCOMPARE(test::windowLink().link.open(), 1);
        QVERIFY(!Port().isOpen());
        const QString detail = test::windowLink().link.openFailureDetail();
        QVERIFY2(detail.startsWith(QStringLiteral("\r\nCOM4 (%1) could not be opened: ").arg(address)),
                 qPrintable(detail));
        QVERIFY2(detail.contains(QLatin1String("refused")), qPrintable(detail));
    }

    // The main window reads a controller on a network port as on any port: frames, data, lamp.
    void windowReadsOverTheNetwork()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim(kTcp);
        QVERIFY(sim.ready());
        LoadLanguage();
        frmMain window;
        window.show();
        window.readAtStartup();
        QVERIFY(test::WaitForIdle(window));
        QCOMPARE(sim.waitForFrames(6), (QStringList{"0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01"}));
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(window.document().current.Position2, 200);
        QCOMPARE(window.form()->lblShowName->text(), Str(213));
        QVERIFY(Port().isOpen());  // port occupy keeps it, as a serial port
    }

    // While the window waits for a server that does not answer, it keeps painting and its timers
    // run; the wait ends in the port failure with its reason, and no user input was taken in it.
    void windowKeepsLivingWhileASilentServerIsWaitedFor()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SilentServer silent;
        QVERIFY(silent.ready());
        QDir().mkpath(PortLinkDir());
        const QString address = QStringLiteral("tcp://127.0.0.1:") + silent.port();
        QVERIFY(QFile::link(address, QDir(PortLinkDir()).filePath(QStringLiteral("COM6"))));
        env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("6"));
        TcpCommPort::SetWaitOnEventLoop(true);
        frmMain window;
        window.show();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(50);
        window.readAtStartup();
        QVERIFY(test::WaitForIdle(window));
        ticker.stop();
        TcpCommPort::SetWaitOnEventLoop(false);

        // The connection wait is 3 s: blocked, not one tick would have run.
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QVERIFY2(prompts.texts().size() == 1, qPrintable(prompts.texts().join(QLatin1String(" | "))));
        QVERIFY2(prompts.texts().first().startsWith(Str(212)), qPrintable(prompts.texts().first()));
        QVERIFY2(prompts.texts().first().contains(QLatin1String("timed out")), qPrintable(prompts.texts().first()));
        QVERIFY(!Port().isOpen());
    }

    // Links by address run side by side: a serial and a network controller at once, each with its
    // own frames, flags and reply; a quiet link shows nothing and keeps its failure's text.
    void linksByAddressRunAtOnce()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner serial({QStringLiteral("--pace")}, 1);
        SimRunner network(kTcp + QStringList{QStringLiteral("--pace"), QStringLiteral("--fault"),
                                             QStringLiteral("0RV:alarm=05")},
                          2);
        QVERIFY(serial.ready() && network.ready());
        QStringList ports;
        const int id = AddTrafficObserver([&](const TrafficRecord &r) {
            if (r.kind == TrafficKind::Sent)
                ports.append(r.port);
        });
        Link a(QStringLiteral("COM1"));
        Link b(QStringLiteral("COM2"));
        QCOMPARE(b.device(), PortDevicePath(2));
        int left = 2;
        int resultA = -1;
        int resultB = -1;
        QEventLoop loop;
        a.start(QStringLiteral("0RD"), 23, QStringLiteral("02"), [&](int r) {
            resultA = r;
            if (--left == 0)
                loop.quit();
        });
        b.start(QStringLiteral("0RV"), 11, QString(), [&](int r) {
            resultB = r;
            if (--left == 0)
                loop.quit();
        });
        // Both are in flight before either has its reply.
        QVERIFY(a.inProgress() && b.inProgress());
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        RemoveTrafficObserver(id);
        QCOMPARE(resultA, 0);
        QCOMPARE(a.reply().left(5), QStringLiteral("0RD02"));
        QCOMPARE(resultB, 1);
        QCOMPARE(b.lastFailure(), LinkFailure::Alarm);
        QCOMPARE(a.lastFailure(), LinkFailure::None);
        QCOMPARE(b.alarmCode(), QStringLiteral("05"));
        QCOMPARE(b.failureText(), QStringLiteral("Communication error occurs! [EEPROM writing error]"));
        QCOMPARE(prompts.texts(), QStringList());
        QCOMPARE(ports, (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2")}));
        QCOMPARE(serial.frames(), QStringList{"0RD02"});
        QCOMPARE(network.frames(), QStringList{"0RV"});
        // The window's port was never touched.
        QVERIFY(!Port().isOpen());
    }

    void addressThatIsNoPortFailsWithoutAFrame()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        Link link(QStringLiteral("printer"));
        int result = -1;
        link.start(QStringLiteral("0RV"), 11, QString(), [&](int r) { result = r; });
        QCOMPARE(result, 1);
        QCOMPARE(link.failureText(),
                 QStringLiteral("printer is not a port (COM1 to COM32, a device path, or tcp://host:port)."));
        QCOMPARE(prompts.texts(), QStringList());
    }
};

QTEST_MAIN(TestNetworkPort)
#include "test_network_port.moc"
