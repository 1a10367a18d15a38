// kzpc-cli end to end: the program itself against several kz-sim controllers at once (serial and
// network, healthy, silent and alarming), its output lines, JSON, files and exit status.

#include "core/paths.h"
#include "files/data_file.h"
#include "params/parameter_set.h"
#include "support/silent_server.h"
#include "support/sim_runner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <QElapsedTimer>
#include <csignal>

using namespace kz;
using namespace kz::test;

namespace {

ParameterSet Edited()
{
    ParameterSet p;
    p.Vel1 = 30; p.Acc1 = 9; p.Dec1 = 1; p.Position1 = 400; p.PauseTime1 = 0;
    p.Vel2 = 12; p.Acc2 = 5; p.Dec2 = 5; p.Position2 = 350; p.PauseTime2 = 255;
    p.HomingVel = 8; p.HomingPulse = 600; p.OffsetVel = 6; p.HomeOffset = 2; p.RevDir = 1;
    p.SupplyCounter = 9; p.RestartDelay = 100; p.NoWorkCounter = 200; p.SeparateTimer = 100;
    p.MidDetectCounter = 15; p.TipWorkOffTimer = 20; p.Sp1 = 3;
    return p;
}

const QStringList kTcp{QStringLiteral("--tcp"), QStringLiteral("0")};

// A settings folder of its own, shared with the tool through XDG_CONFIG_HOME.
struct Fixture {
    Fixture()
    {
        SetConfigDirOverride(QDir(xdg.path()).filePath(QStringLiteral("KZPC-Software")));
        QDir().mkpath(PortLinkDir());
    }
    ~Fixture() { SetConfigDirOverride(QString()); }

    QString path(const QString &name) const { return QDir(xdg.path()).filePath(name); }
    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes);
        return f.fileName();
    }
    // The address a network simulator serves, as its link names it.
    static QString address(const SimRunner &sim)
    {
        char buf[256];
        const ssize_t n = ::readlink(QFile::encodeName(sim.linkPath()).constData(), buf, sizeof buf);
        return n > 0 ? QString::fromLocal8Bit(buf, int(n)) : QString();
    }

    void start(const QStringList &args)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), xdg.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(KZPC_CLI_PATH), args);
    }
    int run(const QStringList &args)
    {
        start(args);
        if (!process.waitForFinished(30000))
            return -1;
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    QJsonArray json() const { return QJsonDocument::fromJson(out.toUtf8()).array(); }

    QTemporaryDir xdg;
    QProcess process;
    QString out;
    QString err;
};

QStringList ReadFrames()
{
    return {"0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01"};
}

}  // namespace

class TestCliE2E : public QObject {
    Q_OBJECT

private slots:
    // Four controllers read at once: a healthy one, a silent one, one answering an alarm and one
    // on the network. Every port gets its result; only the good ones get a file.
    void readsManyPortsAtOnce()
    {
        Fixture fx;
        SimRunner good({}, 1);
        SimRunner silent({QStringLiteral("--fault"), QStringLiteral("0RD04:noreply")}, 2);
        SimRunner alarm({QStringLiteral("--fault"), QStringLiteral("0RD05:alarm=05")}, 3);
        SimRunner network(kTcp, 4);
        QVERIFY(good.ready() && silent.ready() && alarm.ready() && network.ready());
        const QString address = Fixture::address(network);
        QVERIFY2(address.startsWith(QLatin1String("tcp://127.0.0.1:")), qPrintable(address));
        const QString dir = fx.path(QStringLiteral("out"));
        QVERIFY(QDir().mkpath(dir));

        QCOMPARE(fx.run({"read", "COM1", "COM2", "COM3", address, "-d", dir, "--json", "--lang", "en"}), 1);
        const QJsonArray ports = fx.json();
        QCOMPARE(ports.size(), 4);
        QCOMPARE(ports[0]["port"].toString(), QStringLiteral("COM1"));
        QCOMPARE(ports[0]["result"].toString(), QStringLiteral("ok"));
        QCOMPARE(ports[1]["result"].toString(), QStringLiteral("failed"));
        QVERIFY2(ports[1]["message"].toString().startsWith(QLatin1String("Communication timeout error!")),
                 qPrintable(ports[1]["message"].toString()));
        QCOMPARE(ports[2]["result"].toString(), QStringLiteral("failed"));
        QCOMPARE(ports[2]["message"].toString(), QStringLiteral("Communication error occurs! [EEPROM writing error]"));
        QCOMPARE(ports[2]["alarm"].toString(), QStringLiteral("05"));
        QCOMPARE(ports[3]["port"].toString(), address);
        QCOMPARE(ports[3]["result"].toString(), QStringLiteral("ok"));

        QCOMPARE(good.frames(), ReadFrames());
        QCOMPARE(network.frames(), ReadFrames());
        QCOMPARE(silent.frames(), ReadFrames().mid(0, 3));
        QCOMPARE(alarm.frames(), ReadFrames().mid(0, 4));

        QFile serialFile(QDir(dir).filePath(QStringLiteral("COM1.kzd")));
        QFile networkFile(QDir(dir).filePath(address.mid(6).replace(QLatin1Char(':'), QLatin1Char('_')) + ".kzd"));
        QVERIFY(serialFile.open(QIODevice::ReadOnly));
        QVERIFY(networkFile.open(QIODevice::ReadOnly));
        const QByteArray bytes = serialFile.readAll();
        QVERIFY(bytes.startsWith("KZ-C1\r\n"));
        QCOMPARE(networkFile.readAll(), bytes);
        QVERIFY(!QFile::exists(QDir(dir).filePath(QStringLiteral("COM2.kzd"))));
        QVERIFY(!QFile::exists(QDir(dir).filePath(QStringLiteral("COM3.kzd"))));
    }

    // Write with read-back and reset to a serial and a network controller, then verify them
    // against the same file (equal) and against another (both values of each difference).
    void writeThenVerify()
    {
        Fixture fx;
        SimRunner serial({}, 1);
        SimRunner network(kTcp, 2);
        QVERIFY(serial.ready() && network.ready());
        const QString address = Fixture::address(network);
        const QString file = fx.writeFile(QStringLiteral("line3.kzd"), DataFileBytes(Edited()));

        QCOMPARE(fx.run({"write", file, "COM1", address, "--lang", "en"}), 0);
        QCOMPARE(fx.out, QStringLiteral("COM1\tok\twritten; the read-back is equal; the controller was reset\n"
                                        "%1\tok\twritten; the read-back is equal; the controller was reset\n")
                             .arg(address));
        for (const SimRunner *sim : {&serial, &network}) {
            const QStringList frames = sim->waitForFrames(16);
            QCOMPARE(frames.size(), 16);
            QStringList heads;
            for (const QString &f : frames)
                heads.append(f.left(5));
            QCOMPARE(heads, (QStringList{"0CM1", "0WD02", "0WD04", "0WD05", "0WD00", "0WD01", "0WD03", "0WD1F",
                                         "0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01", "0CM1", "0CM3"}));
        }

        QCOMPARE(fx.run({"verify", file, "COM1", address, "--lang", "en"}), 0);
        QCOMPARE(fx.out, QStringLiteral("COM1\tok\tequal to line3.kzd\n%1\tok\tequal to line3.kzd\n").arg(address));

        ParameterSet other = Edited();
        other.Position1 = 401;
        other.Position2 += 1;
        other.Sp1 = 2;
        const QString otherFile = fx.writeFile(QStringLiteral("other.kzd"), DataFileBytes(other));
        QCOMPARE(fx.run({"verify", otherFile, "COM1", "--json", "--lang", "en"}), 1);
        const QJsonArray ports = fx.json();
        QCOMPARE(ports.size(), 1);
        QCOMPARE(ports[0]["result"].toString(), QStringLiteral("failed"));
        // Each difference names its group: both positions have a "Position(pulse)".
        const QJsonArray diffs = ports[0]["differences"].toArray();
        QCOMPARE(diffs.size(), 3);
        QCOMPARE(diffs[0]["field"].toString(), QStringLiteral("Position 1 / Position(pulse)"));
        QCOMPARE(diffs[0]["file"].toInt(), 401);
        QCOMPARE(diffs[0]["controller"].toInt(), 400);
        QCOMPARE(diffs[1]["field"].toString(), QStringLiteral("Position 2 / Position(pulse)"));
        QCOMPARE(diffs[1]["file"].toInt(), Edited().Position2 + 1);
        QCOMPARE(diffs[2]["file"].toInt(), 2);
        QCOMPARE(diffs[2]["controller"].toInt(), 3);
        const QString message = ports[0]["message"].toString();
        QVERIFY2(message.startsWith(QLatin1String("differs from other.kzd: Position 1 / Position(pulse): file 401, controller 400; Position 2 / Position(pulse): ")),
                 qPrintable(message));
    }

    // Ctrl+C stops every port before its next frame and tells what was and was not written.
    void interruptStopsBetweenFrames()
    {
        Fixture fx;
        SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0WD04:late=1500")}, 1);
        QVERIFY(sim.ready());
        const QString file = fx.writeFile(QStringLiteral("line3.kzd"), DataFileBytes(Edited()));
        fx.start({"write", file, "COM1", "--lang", "en"});
        QVERIFY(fx.process.waitForStarted());
        QCOMPARE(sim.waitForFrames(3).size(), 3);  // "0WD04" is on the line, its reply late
        ::kill(pid_t(fx.process.processId()), SIGINT);
        QVERIFY(fx.process.waitForFinished(10000));
        QCOMPARE(fx.process.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(fx.process.readAllStandardOutput()),
                 QStringLiteral("COM1\tstopped\tstopped (written: 02 04; not written: 05 00 01 03 1F)\n"));
        QCOMPARE(sim.frames().size(), 3);
    }

    // Network ports that never answer the connection (a device server switched off) are waited
    // for together: four of them cost one connection wait, not four in turn, and a healthy port
    // given with them still succeeds.
    void unansweredNetworkPortsAreWaitedForTogether()
    {
        Fixture fx;
        SimRunner network(kTcp, 1);
        QVERIFY(network.ready());
        SilentServer silent;
        QVERIFY(silent.ready());
        const QString port = silent.port();
        const QStringList dead{"tcp://127.0.0.1:" + port, "tcp://localhost:" + port,
                               "tcp://127.0.0.01:" + port, "tcp://127.1:" + port};

        QElapsedTimer clock;
        clock.start();
        const int status = fx.run(QStringList{"version"} + dead + QStringList{Fixture::address(network), "--json", "--lang", "en"});
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(status, 1);
        const QJsonArray ports = fx.json();
        QCOMPARE(ports.size(), 5);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(ports[i]["result"].toString(), QStringLiteral("failed"));
            QVERIFY2(ports[i]["message"].toString().contains(QLatin1String("timed out")),
                     qPrintable(ports[i]["message"].toString()));
        }
        QCOMPARE(ports[4]["result"].toString(), QStringLiteral("ok"));
        // One connection wait is 3 s; four in turn would be 12 s.
        QVERIFY2(elapsed < 8000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    }

    void versionAndModeInBothLanguages()
    {
        Fixture fx;
        SimRunner a({}, 1);
        SimRunner b({QStringLiteral("--version"), QStringLiteral("123")}, 2);
        QVERIFY(a.ready() && b.ready());
        QCOMPARE(fx.run({"version", "COM1", "COM2", "--lang", "en"}), 0);
        QCOMPARE(fx.out, QStringLiteral("COM1\tok\tcontroller version 140\nCOM2\tok\tcontroller version 123\n"));
        QCOMPARE(fx.run({"version", "COM2", "--lang", "ja"}), 0);
        QCOMPARE(fx.out, QStringLiteral("COM2\t成功\tコントローラーのバージョン 123\n"));
        a.clearLog();
        QCOMPARE(fx.run({"mode", "external", "COM1", "--lang", "en"}), 0);
        QCOMPARE(fx.out, QStringLiteral("COM1\tok\tChanged to \"External Start Mode\".\n"));
        QCOMPARE(a.frames(), (QStringList{"0CM1", "0CM0"}));
    }

    void usageAndFileErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no command") << QStringList{} << 2;
        QTest::newRow("unknown command") << QStringList{"erase", "COM1"} << 2;
        QTest::newRow("no port") << QStringList{"version"} << 2;
        QTest::newRow("not a port") << QStringList{"version", "printer"} << 2;
        QTest::newRow("read without target") << QStringList{"read", "COM1"} << 2;
        QTest::newRow("a port named twice") << QStringList{"version", "COM1", "COM1"} << 2;
        QTest::newRow("one device under two names") << QStringList{"version", "COM1", "@device"} << 2;
        QTest::newRow("one file for two ports") << QStringList{"read", "COM1", "COM2", "-o", "x.kzd"} << 2;
        QTest::newRow("mode sideways") << QStringList{"mode", "sideways", "COM1"} << 2;
        QTest::newRow("reset option on verify") << QStringList{"verify", "@good", "COM1", "--no-reset"} << 2;
        QTest::newRow("bad language") << QStringList{"version", "COM1", "--lang", "fr"} << 2;
        QTest::newRow("value out of range") << QStringList{"write", "@range", "COM1"} << 1;
        QTest::newRow("not a data file") << QStringList{"verify", "@junk", "COM1"} << 1;
    }

    // Nothing goes on the line when the command line or the file is wrong.
    void usageAndFileErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        Fixture fx;
        SimRunner sim({}, 1);
        QVERIFY(sim.ready());
        ParameterSet range = Edited();
        range.Acc1 = 50;
        const QHash<QString, QString> files{
            {"@good", fx.writeFile("good.kzd", DataFileBytes(Edited()))},
            {"@range", fx.writeFile("range.kzd", DataFileBytes(range))},
            {"@junk", fx.writeFile("junk.kzd", "hello\r\n")},
            {"@device", Fixture::address(sim)},
        };
        for (QString &a : args)
            a = files.value(a, a);
        QCOMPARE(fx.run(args), status);
        QCOMPARE(fx.out, QString());
        QVERIFY(!fx.err.isEmpty());
        QCOMPARE(sim.frames(), QStringList());
    }

    void helpDocumentsTheCommands()
    {
        Fixture fx;
        QCOMPARE(fx.run({"--help"}), 0);
        for (const char *word : {"read PORT", "write FILE PORT", "verify FILE PORT", "version PORT",
                                 "mode external|communication", "tcp://HOST:PORT", "--json", "Ctrl+C", "Exit status"})
            QVERIFY2(fx.out.contains(QLatin1String(word)), word);
    }
};

QTEST_MAIN(TestCliE2E)
#include "test_cli_e2e.moc"
