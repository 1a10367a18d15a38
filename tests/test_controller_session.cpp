// The controller session against kz-sim: each operation's frames on the line, and a typed outcome
// for every way an exchange can end, with nothing shown.

#include "link/controller_session.h"
#include "params/parameter_set.h"
#include "support/scripted_prompts.h"
#include "support/silent_server.h"
#include "support/sim_runner.h"
#include "support/test_env.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>

using namespace kz;
using namespace kz::test;

Q_DECLARE_METATYPE(kz::Outcome::Kind)

namespace {

// Runs an operation to its end on the event loop; the outcome it reported.
template <typename Start>
Outcome Await(Start start)
{
    Outcome result;
    bool ended = false;
    QEventLoop loop;
    start([&](const Outcome &o) {
        result = o;
        ended = true;
        loop.quit();
    });
    if (!ended) {
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return result;
}

}  // namespace

class TestControllerSession : public QObject {
    Q_OBJECT

private slots:
    void readGivesTheSetAndItsFrames()
    {
        TestEnv env;
        SimRunner sim;
        QVERIFY(sim.ready());
        ControllerSession session(QStringLiteral("COM1"));
        QList<int> steps;
        const auto progress = connect(&session, &ControllerSession::stepDone, this, [&](int done, int total) {
            QCOMPARE(total, 6);
            steps.append(done);
        });
        ParameterSet read;
        read.Vel1 = -1;
        const Outcome o = Await([&](auto done) {
            session.readParameters([&, done](const Outcome &o, const ParameterSet &set) {
                read = set;
                done(o);
            });
        });
        disconnect(progress);
        QVERIFY(o.ok());
        QCOMPARE(steps, (QList<int>{1, 2, 3, 4, 5, 6}));
        QVERIFY(read.Vel1 > 0);
        QCOMPARE(sim.frames(), (QStringList{"0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01"}));

        // What was read, written back (groups active and not), gives the write's frames.
        sim.clearLog();
        WriteAccount account;
        QVERIFY(Await([&](auto done) {
                    session.writeParameters(read, false, [&, done](const Outcome &o, const WriteAccount &a) {
                        account = a;
                        done(o);
                    });
                }).ok());
        QCOMPARE(account.written, (QStringList{"02", "04", "05", "03", "1F"}));
        QVERIFY(account.notWritten.isEmpty() && account.unacknowledged.isEmpty());
        QStringList heads;
        for (const QString &f : sim.frames())
            heads.append(f.left(5));
        QCOMPARE(heads, (QStringList{"0CM1", "0WD02", "0WD04", "0WD05", "0WD03", "0WD1F"}));

        sim.clearLog();
        QVERIFY(Await([&](auto done) { session.reset(done); }).ok());
        QCOMPARE(sim.waitForFrames(2), (QStringList{"0CM1", "0CM3"}));
    }

    // The move, home, alarm reset and I/O frames, each operation on its own.
    void motionAndInputOutputFrames()
    {
        TestEnv env;
        SimRunner sim({QStringLiteral("--travel-ms"), QStringLiteral("10")});
        QVERIFY(sim.ready());
        ControllerSession session(QStringLiteral("COM1"));
        QVERIFY(Await([&](auto done) { session.move(2, done); }).ok());
        QVERIFY(Await([&](auto done) { session.home(done); }).ok());
        QVERIFY(Await([&](auto done) { session.resetAlarm(done); }).ok());
        QString reply;
        QVERIFY(Await([&](auto done) {
                    session.readInputsOutputs([&, done](const Outcome &o, const QString &r) {
                        reply = r;
                        done(o);
                    });
                }).ok());
        QCOMPARE(reply.left(5), QStringLiteral("0RD20"));
        QCOMPARE(reply.size(), 23);
        QVERIFY(Await([&](auto done) { session.switchOutputs(0xB, done); }).ok());
        QCOMPARE(sim.frames(), (QStringList{"0MP2", "0MP0", "0%C", "0CM1", "0RD20", "0WSB0"}));
    }

    void outcomes_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("port");
        QTest::addColumn<Outcome::Kind>("kind");
        QTest::addColumn<QString>("alarm");
        QTest::newRow("time-out") << QStringList{"--fault", "0RV:noreply"} << "COM1" << Outcome::Kind::Timeout << "";
        QTest::newRow("alarm with its code")
            << QStringList{"--fault", "0RV:alarm=0B"} << "COM1" << Outcome::Kind::Alarm << "0B";
        QTest::newRow("echo mismatch") << QStringList{"--fault", "0RV:echo"} << "COM1" << Outcome::Kind::EchoMismatch << "";
        QTest::newRow("length error") << QStringList{"--fault", "0RV:length"} << "COM1" << Outcome::Kind::LengthError << "";
        QTest::newRow("line lost") << QStringList{"--fault", "0RV:hangup"} << "COM1" << Outcome::Kind::LineLost << "";
        QTest::newRow("port that does not open") << QStringList{} << "COM9" << Outcome::Kind::PortFailure << "";
    }
    void outcomes()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, port);
        QFETCH(Outcome::Kind, kind);
        QFETCH(QString, alarm);
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim(simArgs);
        QVERIFY(sim.ready());
        ControllerSession session(port);
        QString version;
        const Outcome o = Await([&](auto done) {
            session.readVersion([&, done](const Outcome &o, const QString &v) {
                version = v;
                done(o);
            });
        });
        QCOMPARE(o.kind, kind);
        QCOMPARE(o.alarmCode, alarm);
        if (kind == Outcome::Kind::PortFailure)
            QVERIFY2(o.reason.contains(QLatin1String("COM9")), qPrintable(o.reason));
        // The session decides nothing the user sees.
        QCOMPARE(prompts.texts(), QStringList());
        QVERIFY(!session.busy());
    }

    // stop() ends a wait at once, for a reply as for a connection, and the operation says so.
    void stopEndsTheWaitAtOnce_data()
    {
        QTest::addColumn<bool>("network");
        QTest::newRow("a reply awaited") << false;
        QTest::newRow("a connection awaited") << true;
    }
    void stopEndsTheWaitAtOnce()
    {
        QFETCH(bool, network);
        TestEnv env;
        SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RV:noreply")});
        SilentServer silent;
        QVERIFY(sim.ready() && silent.ready());
        ControllerSession session(network ? QStringLiteral("tcp://127.0.0.1:") + silent.port() : QStringLiteral("COM1"));
        QElapsedTimer clock;
        QTimer::singleShot(200, &session, [&] {
            clock.start();
            session.stop();
        });
        const Outcome o = Await([&](auto done) { session.readVersion([done](const Outcome &o, const QString &) { done(o); }); });
        QCOMPARE(o.kind, Outcome::Kind::Stopped);
        // At once: far below the 3 s connection wait and the 5 s reply wait (a loaded machine may
        // add a little to the near-zero it takes).
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!session.busy());
    }
};

QTEST_MAIN(TestControllerSession)
#include "test_controller_session.moc"
