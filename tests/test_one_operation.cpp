// One operation at a time: while an operation waits for the controller, every command that can
// still be reached (buttons, menu items and their shortcuts) is refused with a beep and changes
// nothing; the running operation ends as if nothing had been pressed. End to end against kz-sim,
// with a slow reply to hold each operation open.

#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace kz;

namespace {

// Everything a user could still set off: enabled, visible buttons and enabled menu items (a
// disabled item's shortcut does nothing). Stop is meant for a running move, Exit holds its close
// until the operation has ended, and the communication log only shows what the link says.
QStringList ReachableCommands(frmMain &w)
{
    QStringList names;
    for (QPushButton *b : w.findChildren<QPushButton *>())
        if (b->isEnabled() && b->isVisibleTo(&w) && b->objectName() != QLatin1String("cmdStop"))
            names << b->objectName();
    for (QAction *a : w.findChildren<QAction *>())
        if (a->isEnabled() && a->isVisible() && !a->menu() && !a->isSeparator() && !a->objectName().isEmpty()
            && a->objectName() != QLatin1String("mnuFileExit") && a->objectName() != QLatin1String("mnuViewCommLog"))
            names << a->objectName();
    return names;
}

void SetOff(frmMain &w, const QString &name)
{
    if (auto *b = w.findChild<QPushButton *>(name))
        b->click();
    else
        w.findChild<QAction *>(name)->trigger();
}

struct Operation {
    const char *name;
    QStringList simArgs;
    bool moveMode;
    QList<MsgAnswer> answers;
    std::function<void(frmMain &)> start;
    QStringList frames;       // what the operation sends, alone
    const char *mustReach;    // a command that stays reachable during it
};

const QStringList kRead = {"0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01"};

QList<Operation> Operations()
{
    const QStringList slowRead = {"--fault", "0RD05:late=700"};
    return {
        {"read", slowRead, false, {MsgAnswer::Yes}, [](frmMain &w) { w.form()->cmdGetfromCt->click(); }, kRead,
         "mnuCtShogo"},
        {"start-up read", slowRead, false, {}, [](frmMain &w) { w.readAtStartup(); }, kRead, "mnuShogoFile"},
        {"verify C/T", slowRead, false, {}, [](frmMain &w) { w.form()->cmdShogoCt->click(); }, kRead,
         "mnuViewCtVersion"},
        {"write", {"--fault", "0WD#2:late=700"}, false, {MsgAnswer::Ok, MsgAnswer::Cancel},
         [](frmMain &w) { w.form()->cmdLoadtoCt->click(); },
         {"0CM1", "0CM1", "0WD", "0WD", "0WD", "0WD", "0WD"}, "mnuCtShogo"},
        {"move", {"--travel-ms", "700"}, true, {}, [](frmMain &w) { w.form()->cmdSelectMove->click(); },
         {"0CM1", "0MP1"}, "cmdReset"},
        {"home", {"--travel-ms", "700"}, true, {}, [](frmMain &w) { w.form()->cmdHome->click(); },
         {"0CM1", "0MP0"}, "mnuModeGaibu"},
        {"alarm reset", {"--fault", "0%C:late=700"}, true, {}, [](frmMain &w) { w.form()->cmdReset->click(); },
         {"0%C", "0CM1"}, "mnuHelpAbout"},
        {"external start mode", {"--fault", "0CM0:late=700"}, false, {},
         [](frmMain &w) { w.form()->mnuModeGaibu->trigger(); }, {"0CM1", "0CM0"}, "mnuViewOption"},
        {"communication mode", {"--fault", "0CM1:late=700"}, false, {},
         [](frmMain &w) { w.form()->mnuModeTrancefer->trigger(); }, {"0CM1"}, "mnuShowInpOutp"},
        {"version", {"--fault", "0RV:late=700"}, false, {},
         [](frmMain &w) { w.form()->mnuViewCtVersion->trigger(); }, {"0CM1", "0RV"}, "mnuModeTrancefer"},
    };
}

}  // namespace

class TestOneOperation : public QObject {
    Q_OBJECT

private slots:
    void everyReachableCommandIsRefusedDuringAnOperation_data()
    {
        QTest::addColumn<int>("index");
        const QList<Operation> ops = Operations();
        for (int i = 0; i < ops.size(); ++i)
            QTest::newRow(ops[i].name) << i;
    }

    void everyReachableCommandIsRefusedDuringAnOperation()
    {
        QFETCH(int, index);
        const Operation op = Operations().at(index);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim(op.simArgs);
        QVERIFY(sim.ready());
        frmMain w;
        w.link().portChoice().keepOpen = false;  // the port is opened per operation: a nested one would close it
        w.show();
        w.document().current = test::ExampleSet();
        w.ScreenFill();
        if (op.moveMode)
            w.MoveModeLayout();
        for (MsgAnswer a : op.answers)
            prompts.answers.enqueue(a);

        QStringList tried;
        int beepsDuring = -1;
        qsizetype shownBefore = -1;
        qsizetype shownAfter = -1;
        QTimer::singleShot(350, &w, [&] {
            QVERIFY(w.link().inProgress());
            shownBefore = prompts.shown.size();
            const int beeps = prompts.beeps;
            tried = ReachableCommands(w);
            for (const QString &name : tried)
                SetOff(w, name);
            beepsDuring = prompts.beeps - beeps;
            shownAfter = prompts.shown.size();
        });
        op.start(w);
        QVERIFY(test::WaitForIdle(w));

        QVERIFY2(beepsDuring >= 0, "the operation ended before the commands were tried");
        QVERIFY2(tried.contains(QLatin1String(op.mustReach)), qPrintable(tried.join(' ')));
        QCOMPARE(beepsDuring, tried.size());
        QCOMPARE(shownAfter, shownBefore);
        // Only the operation's own frames, in its order: nothing nested, nothing cut off.
        QStringList frames = sim.frames();
        for (QString &f : frames)
            if (f.startsWith(QLatin1String("0WD")))
                f = QStringLiteral("0WD");
        QCOMPARE(frames.join(" "), op.frames.join(" "));
        for (const test::ShownMessage &m : prompts.shown)
            QVERIFY2(!m.text.contains(QLatin1String("rror")) && !m.text.contains(QLatin1String("stopped")),
                     qPrintable(m.text));
        QCOMPARE(prompts.unscripted, 0);
        // Everything is back as the operation left it.
        QVERIFY(w.form()->cmdModeChange->isEnabled());
        QCOMPARE(w.form()->cmdGetfromCt->isEnabled(), !op.moveMode);
        QCOMPARE(w.form()->cmdSelectMove->isEnabled(), op.moveMode);
    }
};

QTEST_MAIN(TestOneOperation)
#include "test_one_operation.moc"
