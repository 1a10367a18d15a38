// Every operation that talks to the controller, against every kind of line fault, at its first
// frame and at a later one: the messages the user sees, the port closed afterwards, the buttons
// usable again, and the screen, the window's current copy and the data file untouched.

#include "core/settings.h"
#include "files/data_file.h"
#include "io_monitor/frmInputOutput.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/messages.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

using namespace kz;

namespace {

const QString kAlarm = QStringLiteral("Communication error occurs!\r\n[EEPROM writing error]");
const QString k215 = QStringLiteral("Communication error occurs!");

ParameterSet Sample()
{
    ParameterSet p;
    p.Vel1 = 12; p.Acc1 = 3; p.Dec1 = 4; p.Position1 = 123; p.PauseTime1 = 7;
    p.Vel2 = 21; p.Acc2 = 6; p.Dec2 = 2; p.Position2 = 321; p.PauseTime2 = 9;
    p.HomingVel = 5; p.HomingPulse = 250; p.OffsetVel = 4; p.HomeOffset = 3; p.RevDir = 1;
    p.SupplyCounter = 11; p.RestartDelay = 90; p.NoWorkCounter = 150; p.SeparateTimer = 80;
    p.MidDetectCounter = 12; p.TipWorkOffTimer = 30; p.Sp1 = 1;
    return p;
}

struct Operation {
    std::function<void(frmMain &)> run;
    QList<MsgAnswer> answers;  // questions it asks before talking
    QList<QString> prologue;   // its own texts before any failure (the questions)
};

// Polls the I/O monitor until a failure stops it (or a few seconds pass), then closes it.
void MonitorUntilStopped(frmMain &w, bool switchOk)
{
    frmInputOutput monitor(&w, &w.link());
    InputOutputState &state = monitor.state();
    if (switchOk) {
        state.outputRequests[9] = true;
        state.outputChangePending = true;
    }
    monitor.show();
    monitor.cmdMonitor_Click();
    auto *close = monitor.findChild<QPushButton *>(QStringLiteral("cmdTojiru"));
    QVERIFY(QTest::qWaitFor([&] { return state.stopped || state.stopPending; }, 8000));
    // The failure gives the user Close back.
    QVERIFY(QTest::qWaitFor([&] { return close->isEnabled(); }, 1000));
    monitor.cmdTojiru_Click();
}

Operation Op(const QString &name)
{
    if (name == QLatin1String("io-read"))
        return {[](frmMain &w) { MonitorUntilStopped(w, false); }, {}, {}};
    if (name == QLatin1String("io-write"))
        return {[](frmMain &w) { MonitorUntilStopped(w, true); }, {}, {}};
    static const QString transmit = QStringLiteral("Data is transmitted to controller,Yes?");
    if (name == QLatin1String("read"))
        return {[](frmMain &w) { w.readAtStartup(); }, {}, {}};
    if (name == QLatin1String("write"))
        return {[](frmMain &w) { w.cmdLoadtoCt_Click(); }, {MsgAnswer::Ok, MsgAnswer::Ok}, {transmit}};
    if (name == QLatin1String("verify"))
        return {[](frmMain &w) { w.cmdShogoCt_Click(); }, {}, {}};
    if (name == QLatin1String("move"))
        return {[](frmMain &w) { w.cmdSelectMove_Click(); }, {}, {}};
    if (name == QLatin1String("home"))
        return {[](frmMain &w) { w.cmdHome_Click(); }, {}, {}};
    if (name == QLatin1String("reset"))
        return {[](frmMain &w) { w.cmdReset_Click(); }, {}, {}};
    if (name == QLatin1String("external"))
        return {[](frmMain &w) { w.mnuModeGaibu_Click(); }, {}, {}};
    if (name == QLatin1String("communication"))
        return {[](frmMain &w) { w.mnuModeTrancefer_Click(); }, {}, {}};
    if (name == QLatin1String("version"))
        return {[](frmMain &w) { w.mnuViewCtVersion_Click(); }, {}, {}};
    return {};
}

}  // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT

private slots:
    void matrix_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QStringList>("messages");

        // What each operation adds after the link's own message, by the frame that failed.
        struct Where {
            const char *op;
            const char *prefix;
            QStringList tail;
        };
        const QStringList none;
        const Where places[] = {
            {"read", "0CM1", {"Communication Error!"}},
            {"read", "0RD05", {"Communication Error!"}},
            {"write", "0CM1#1", none},
            {"write", "0WD00", {"Fail to Write data."}},
            {"verify", "0CM1", none},
            {"verify", "0RD01", none},
            {"move", "0CM1", {k215}},
            {"move", "0MP", none},
            {"home", "0CM1", {k215}},
            {"home", "0MP0", none},
            {"reset", "0%C", none},
            {"reset", "0CM1", none},
            {"external", "0CM1", {k215}},
            {"external", "0CM0", none},
            {"communication", "0CM1", {k215}},
            {"version", "0CM1", {k215}},
            {"version", "0RV", {"Fail to get Version No. ."}},
            {"io-read", "0RD20#1", none},
            {"io-read", "0RD20#3", none},
            {"io-write", "0WS", none},
        };
        const struct {
            const char *kind;
            QString message;
        } faults[] = {
            {"noreply", test::kTimeoutEn}, {"alarm=05", kAlarm},       {"echo", test::kEchoEn},       {"length", test::kLengthEn},
            {"trailing", test::kTimeoutEn}, {"garbage=24", test::kEchoEn}, {"hangup", test::kLineLostEn},
        };
        for (const Where &w : places) {
            for (const auto &f : faults) {
                QStringList messages{f.message};
                messages += w.tail;
                QTest::addRow("%s %s %s", w.op, w.prefix, f.kind)
                    << QString::fromLatin1(w.op) << QStringLiteral("%1:%2").arg(QLatin1String(w.prefix), QLatin1String(f.kind))
                    << messages;
            }
        }
        // A reply in pieces is no fault at all.
        QTest::newRow("read in pieces") << "read" << "0RD04:pieces=3/30" << QStringList{};
        QTest::newRow("version in pieces") << "version" << "0RV:pieces=4/20" << QStringList{"The Version of this controller is 140."};
    }

    void matrix()
    {
        QFETCH(QString, op);
        QFETCH(QString, rule);
        QFETCH(QStringList, messages);

        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), rule, QStringLiteral("--travel-ms"), QStringLiteral("30")});
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        LoadLanguage();
        frmMain window;
        window.show();
        ShowParametersOption = true;
        HomingParametersOption = true;
        window.enableHomingParameters();
        window.ApplyShowParametersLayout();
        window.EditModeLayout();
        window.document().current = Sample();
        window.ScreenFill();
        const ScreenTexts screenBefore = window.screenTexts();
        QTemporaryDir dir;
        const QString file = QDir(dir.path()).filePath(QStringLiteral("kept.kzd"));
        QVERIFY(WriteDataFile(file, Sample()));
        const QByteArray fileBefore = DataFileBytes(Sample());
        window.document().changed = true;
        window.link().portChoice().keepOpen = false;

        const bool moveOp = op == QLatin1String("move") || op == QLatin1String("home");
        if (moveOp)
            window.MoveModeLayout();
        const Operation operation = Op(op);
        for (MsgAnswer a : operation.answers)
            prompts.answers.enqueue(a);
        // The reply time-out is what the operation sets; only the communication-mode frame waits
        // 1000 ms, every other one 5000 ms, so a silent controller costs up to 5 s here.
        operation.run(window);
        QVERIFY(test::WaitForIdle(window));

        QStringList expected = operation.prologue;
        expected += messages;
        QCOMPARE(prompts.texts(), expected);
        const bool faulted = !rule.contains(QLatin1String(":pieces"));
        if (faulted)
            QVERIFY2(!Port().isOpen(), "a failed operation leaves the port closed (port occupy off)");
        QVERIFY(!window.link().inProgress());
        // Buttons and menus usable again.
        if (moveOp) {
            QVERIFY(window.form()->cmdSelectMove->isEnabled());
            QVERIFY(window.form()->cmdHome->isEnabled());
        } else {
            QVERIFY(window.form()->cmdGetfromCt->isEnabled());
            QVERIFY(window.form()->cmdLoadtoCt->isEnabled());
            QVERIFY(window.form()->mnuFileSave->isEnabled());
        }
        QVERIFY(window.form()->cmdModeChange->isEnabled());
        // Nothing of the screen, the current copy or the data file changed (a read that succeeds shows
        // the controller's data: that is its job).
        const bool readSucceeded = op == QLatin1String("read") && !faulted;
        if (!readSucceeded) {
            QCOMPARE(window.document().current, Sample());
            QCOMPARE(window.screenTexts().texts, screenBefore.texts);
            QVERIFY(window.document().changed);
        }
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), fileBefore);
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
