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
            const QStringList frames = sim->waitForFrames(17);
            QCOMPARE(frames.size(), 17);
            QStringList heads;
            for (const QString &f : frames)
                heads.append(f.left(5));
            // Communication mode twice before the blocks, as the window's write sends it.
            QCOMPARE(heads, (QStringList{"0CM1", "0CM1", "0WD02", "0WD04", "0WD05", "0WD00", "0WD01", "0WD03",
                                         "0WD1F", "0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01", "0CM1",
                                         "0CM3"}));
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

    // Ctrl+C stops at once, also while a reply is awaited, and the report tells exactly what the
    // controller got: blocks acknowledged, the one sent without an answer, those never sent,
    // whether the read-back was compared and whether the reset went out.
    void interruptSaysWhatWasDone_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("framesOnTheLine");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("unacknowledged");
        QTest::newRow("while a block is answered")
            << "0WD04:late=4000" << 4
            << "stopped (written: 02; not written: 05 00 01 03 1F; sent, not acknowledged: 04; "
               "the read-back was not compared; the controller was not reset)"
            << QStringList{"02"} << QStringList{"04"};
        QTest::newRow("after the blocks, during the read-back")
            << "0RD05:late=4000" << 13
            << "stopped (written: 02 04 05 00 01 03 1F; not written: none; the read-back was not compared; "
               "the controller was not reset)"
            << QStringList{"02", "04", "05", "00", "01", "03", "1F"} << QStringList{};
    }
    void interruptSaysWhatWasDone()
    {
        QFETCH(QString, fault);
        QFETCH(int, framesOnTheLine);
        QFETCH(QString, message);
        QFETCH(QStringList, written);
        QFETCH(QStringList, unacknowledged);
        Fixture fx;
        const QString file = fx.writeFile(QStringLiteral("line3.kzd"), DataFileBytes(Edited()));
        for (const bool json : {false, true}) {
            // A controller of its own each time: the late reply of the last run is still due.
            SimRunner sim({QStringLiteral("--fault"), fault}, 1);
            QVERIFY(sim.ready());
            QStringList args{"write", file, "COM1", "--lang", "en"};
            if (json)
                args.append(QStringLiteral("--json"));
            fx.start(args);
            QVERIFY(fx.process.waitForStarted());
            QCOMPARE(sim.waitForFrames(framesOnTheLine).size(), framesOnTheLine);  // the last one's reply is late
            QElapsedTimer clock;
            clock.start();
            ::kill(pid_t(fx.process.processId()), SIGINT);
            QVERIFY(fx.process.waitForFinished(10000));
            // Far sooner than the late reply (4 s): the wait was given up, not sat out.
            QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
            QCOMPARE(fx.process.exitCode(), 1);
            const QByteArray out = fx.process.readAllStandardOutput();
            if (!json) {
                QCOMPARE(QString::fromUtf8(out), QStringLiteral("COM1\tstopped\t%1\n").arg(message));
            } else {
                const QJsonObject port = QJsonDocument::fromJson(out).array().at(0).toObject();
                QCOMPARE(port["result"].toString(), QStringLiteral("stopped"));
                QCOMPARE(port["failure"].toString(), QStringLiteral("stopped"));
                QCOMPARE(port["message"].toString(), message);
                QCOMPARE(port["written"].toVariant().toStringList(), written);
                QCOMPARE(port["unacknowledged"].toVariant().toStringList(), unacknowledged);
                QCOMPARE(port["readBackCompared"].toBool(true), false);
                QCOMPARE(port["resetSent"].toBool(true), false);
                QCOMPARE(port["file"].toString(), file);
            }
            QCOMPARE(sim.frames().size(), framesOnTheLine);
        }
    }

    // A network port that never answers its connection holds up no other port: a controller on a
    // pseudo-terminal and one on the network are read while it is still being waited for, and
    // Ctrl+C ends that wait at once.
    void anUnansweredNetworkPortHoldsUpNoOther()
    {
        Fixture fx;
        SimRunner serial({}, 1);
        SimRunner network(kTcp, 2);
        QVERIFY(serial.ready() && network.ready());
        SilentServer silent;
        QVERIFY(silent.ready());
        const QString dir = fx.path(QStringLiteral("out"));
        QElapsedTimer clock;
        clock.start();
        fx.start({"read", "tcp://127.0.0.1:" + silent.port(), "COM1", Fixture::address(network), "-d", dir,
                  "--json", "--lang", "en"});
        QVERIFY(fx.process.waitForStarted());
        QCOMPARE(serial.waitForFrames(6).size(), 6);
        QCOMPARE(network.waitForFrames(6).size(), 6);
        // Both are read and saved while the silent one is still waited for (3 s): had they waited
        // for it, the program would have ended, its connection failed, before their files were there.
        const QString serialFile = QDir(dir).filePath(QStringLiteral("COM1.kzd"));
        const QString networkFile =
            QDir(dir).filePath(Fixture::address(network).mid(6).replace(QLatin1Char(':'), QLatin1Char('_')) + ".kzd");
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(serialFile) && QFile::exists(networkFile); }, 3000));
        QVERIFY2(fx.process.state() == QProcess::Running, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        clock.restart();
        ::kill(pid_t(fx.process.processId()), SIGINT);
        QVERIFY(fx.process.waitForFinished(10000));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QStringLiteral("%1 ms").arg(clock.elapsed())));
        QCOMPARE(fx.process.exitCode(), 1);
        const QJsonArray ports = QJsonDocument::fromJson(fx.process.readAllStandardOutput()).array();
        QCOMPARE(ports.size(), 3);
        QCOMPARE(ports[0]["result"].toString(), QStringLiteral("stopped"));
        QCOMPARE(ports[1]["result"].toString(), QStringLiteral("ok"));
        QCOMPARE(ports[2]["result"].toString(), QStringLiteral("ok"));
        QCOMPARE(ports[1]["file"].toString(), QDir(dir).filePath(QStringLiteral("COM1.kzd")));
        QCOMPARE(ports[1]["replaced"].toBool(true), false);
    }

    // Network ports that never answer the connection (device servers switched off) are waited
    // for together: four of them cost one connection wait, not four in turn.
    void unansweredNetworkPortsAreWaitedForTogether()
    {
        Fixture fx;
        SimRunner network(kTcp, 1);
        QVERIFY(network.ready());
        SilentServer s1, s2, s3, s4;
        QStringList dead;
        for (const SilentServer *s : {&s1, &s2, &s3, &s4}) {
            QVERIFY(s->ready());
            dead.append("tcp://127.0.0.1:" + s->port());
        }
        QElapsedTimer clock;
        clock.start();
        const int status = fx.run(QStringList{"version"} + dead + QStringList{Fixture::address(network), "--json", "--lang", "en"});
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(status, 1);
        const QJsonArray ports = fx.json();
        QCOMPARE(ports.size(), 5);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(ports[i]["result"].toString(), QStringLiteral("failed"));
            QCOMPARE(ports[i]["failure"].toString(), QStringLiteral("port"));
            QVERIFY2(ports[i]["message"].toString().contains(QLatin1String("timed out")),
                     qPrintable(ports[i]["message"].toString()));
        }
        QCOMPARE(ports[4]["result"].toString(), QStringLiteral("ok"));
        // One connection wait is 3 s; four in turn would be 12 s.
        QVERIFY2(elapsed < 8000, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    }

    // A connection the server drops mid-reply and a serial line that hangs up are said as a lost
    // line, not as a controller that never answered.
    void aLostLineIsSaidAsSuch()
    {
        Fixture fx;
        SimRunner serial({QStringLiteral("--fault"), QStringLiteral("0RD04#1:hangup")}, 1);
        SimRunner network(kTcp + QStringList{QStringLiteral("--fault"), QStringLiteral("0RD04#1:hangup")}, 2);
        QVERIFY(serial.ready() && network.ready());
        QCOMPARE(fx.run({"read", "COM1", "COM2", "-d", fx.path("out"), "--json", "--lang", "en"}), 1);
        const QJsonArray ports = fx.json();
        QCOMPARE(ports.size(), 2);
        for (const QJsonValue &entry : ports) {
            const QJsonObject port = entry.toObject();
            QCOMPARE(port["failure"].toString(), QStringLiteral("line-lost"));
            const QString message = port["message"].toString();
            QVERIFY2(message.startsWith(QLatin1String("The line to the controller was lost! ")), qPrintable(message));
            QVERIFY2(!message.contains(QLatin1String("timeout")), qPrintable(message));
        }
        QVERIFY2(ports[1]["message"].toString().contains(QLatin1String("closed the connection")),
                 qPrintable(ports[1]["message"].toString()));
    }

    // Reading into files: -o - writes the data file to standard output (the result line to standard
    // error); a file that was there already is replaced and the result says so.
    void readTargets()
    {
        Fixture fx;
        SimRunner sim({}, 1);
        QVERIFY(sim.ready());
        const QString path = fx.path(QStringLiteral("c1.kzd"));
        QCOMPARE(fx.run({"read", "COM1", "-o", path, "--json", "--lang", "en"}), 0);
        QCOMPARE(fx.json().at(0)["replaced"].toBool(true), false);
        QCOMPARE(fx.json().at(0)["message"].toString(), QStringLiteral("read; saved in %1").arg(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.startsWith("KZ-C1\r\n"));

        QCOMPARE(fx.run({"read", "COM1", "-o", path, "--json", "--lang", "en"}), 0);
        QCOMPARE(fx.json().at(0)["replaced"].toBool(), true);
        QCOMPARE(fx.json().at(0)["message"].toString(), QStringLiteral("read; saved in %1 (replacing the earlier file)").arg(path));
        QCOMPARE(fx.json().at(0)["file"].toString(), path);

        QCOMPARE(fx.run({"read", "COM1", "-o", "-", "--lang", "en"}), 0);
        QCOMPARE(fx.out.toLatin1(), bytes);
        QCOMPARE(fx.err, QStringLiteral("COM1\tok\tread; written to standard output\n"));
        QVERIFY(!QFile::exists(QDir::current().filePath(QStringLiteral("-"))));
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
        QTest::newRow("two ports into one file of a folder")
            << QStringList{"read", "@dir/a/ttyKZ", "@dir/b/ttyKZ", "-d", "@dir/same"} << 2;
        QTest::newRow("two names of one network address")
            << QStringList{"version", "tcp://127.0.0.1:4001", "tcp://localhost:4001"} << 2;
        QTest::newRow("address and its numeric twin")
            << QStringList{"version", "tcp://127.0.0.1:4001", "tcp://127.1:4001"} << 2;
        QTest::newRow("port number too big") << QStringList{"version", "tcp://127.0.0.1:99999"} << 2;
        QTest::newRow("port number zero") << QStringList{"version", "tcp://127.0.0.1:0"} << 2;
        QTest::newRow("port number not a number") << QStringList{"version", "tcp://[::1]:x"} << 2;
        QTest::newRow("no port number") << QStringList{"version", "tcp://127.0.0.1"} << 2;
        QTest::newRow("data file and JSON both on stdout") << QStringList{"read", "COM1", "-o", "-", "--json"} << 2;
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
        for (QString &a : args) {
            a = files.value(a, a);
            a.replace(QLatin1String("@dir"), fx.path(QStringLiteral("d")));
        }
        const bool json = args.contains(QStringLiteral("--json"));
        QCOMPARE(fx.run(args), status);
        if (!json)
            QCOMPARE(fx.out, QString());
        QVERIFY(!fx.err.isEmpty());
        QCOMPARE(sim.frames(), QStringList());
        QVERIFY(!QFile::exists(fx.path(QStringLiteral("d/same"))));

        // With --json, standard output always holds one array: here one record carrying the error.
        if (!json) {
            QCOMPARE(fx.run(args + QStringList{QStringLiteral("--json")}), status);
            const QJsonDocument doc = QJsonDocument::fromJson(fx.out.toUtf8());
            QVERIFY2(doc.isArray() && doc.array().size() == 1, qPrintable(fx.out));
            const QJsonObject record = doc.array().at(0).toObject();
            QVERIFY(record["port"].isNull());
            QCOMPARE(record["result"].toString(), QStringLiteral("error"));
            QCOMPARE(record["exitStatus"].toInt(), status);
            QVERIFY(!record["message"].toString().isEmpty());
        } else {
            const QJsonArray out = fx.json();
            QCOMPARE(out.size(), 1);
            QCOMPARE(out[0]["exitStatus"].toInt(), status);
        }
    }

    void helpDocumentsTheCommands()
    {
        Fixture fx;
        QCOMPARE(fx.run({"--help"}), 0);
        for (const char *word : {"read PORT", "write FILE PORT", "verify FILE PORT", "version PORT",
                                 "mode external PORT", "mode communication PORT", "tcp://HOST:PORT", "--json",
                                 "Ctrl+C", "Exit status", "readBackCompared", "resetSent", "unacknowledged",
                                 "replaced", "failure", "exitStatus", "differences"})
            QVERIFY2(fx.out.contains(QLatin1String(word)), word);
    }
};

QTEST_MAIN(TestCliE2E)
#include "test_cli_e2e.moc"
