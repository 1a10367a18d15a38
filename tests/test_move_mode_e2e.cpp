// Move mode, the alarm reset, the controller mode commands and the version, end to end against
// kz-sim with its frame log.

#include "core/settings.h"
#include "core/strings.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QTest>
#include <QTimer>

using namespace kz;

namespace {

struct Fixture {
    explicit Fixture(QStringList simArgs = {})
        : sim(simArgs << QStringLiteral("--travel-ms") << QStringLiteral("120"))
    {
        LoadLanguage();
        window = std::make_unique<frmMain>();
        window->show();
        f = window->form();
        window->MoveModeLayout();
    }
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::SimRunner sim;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;
};

}  // namespace

class TestMoveMode : public QObject {
    Q_OBJECT

private slots:
    void moveToOnePosition_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("target");
        QTest::newRow("Position 1") << 0 << "1";
        QTest::newRow("Position 2") << 1 << "2";
    }

    void moveToOnePosition()
    {
        QFETCH(int, option);
        QFETCH(QString, target);
        Fixture x;
        QVERIFY(x.sim.ready());
        (option == 0 ? x.f->optPosiNo_0 : x.f->optPosiNo_1)->setChecked(true);
        bool disabledDuringMove = false;
        QTimer::singleShot(40, [&] {
            disabledDuringMove = !x.f->cmdSelectMove->isEnabled() && !x.f->cmdModeChange->isEnabled()
                                 && x.f->cmdStop->isEnabled();
        });
        x.f->cmdSelectMove->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0MP" + target}));
        QCOMPARE(x.f->lblKanryoNo->text(), target);
        QVERIFY(disabledDuringMove);
        QVERIFY(x.f->cmdSelectMove->isEnabled());
        QVERIFY(x.f->cmdHome->isEnabled());
        QVERIFY(x.prompts.shown.isEmpty());
    }

    void repeatAlternatesUntilAStopThenArrivalAtOne()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.f->optPosiNo_2->setChecked(true);
        // Stop is pressed while the second move to position 2 travels.
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (x.sim.frames().size() == 4) {
                x.f->cmdStop->click();
                watch.stop();
            }
        });
        watch.start(5);
        x.window->cmdSelectMove_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0MP2", "0MP1", "0MP2", "0MP1"}));
        QCOMPARE(x.f->lblKanryoNo->text(), QStringLiteral("1"));
        QVERIFY(x.f->cmdSelectMove->isEnabled());
    }

    void stopWhileIdleDoesNotStopTheNextRun()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.f->cmdSelectMove->setEnabled(false);  // as while another command ran
        x.window->cmdStop_Click();
        QVERIFY(x.window->moveStopRequested());
        x.f->cmdSelectMove->setEnabled(true);
        x.f->optPosiNo_2->setChecked(true);
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (x.sim.frames().size() == 6) {
                x.window->cmdStop_Click();
                watch.stop();
            }
        });
        watch.start(5);
        x.window->cmdSelectMove_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames().size(), 7);  // 2, 1, 2, 1, 2, 1: the old request was forgotten
    }

    void homeAndItsAlarm()
    {
        Fixture x({QStringLiteral("--fault"), QStringLiteral("0MP0#2:alarm=0B")});
        QVERIFY(x.sim.ready());
        x.f->cmdHome->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.f->lblKanryoNo->text(), QStringLiteral("Home"));
        x.f->cmdHome->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.f->lblKanryoNo->text(), QStringLiteral("Home"));
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Communication error occurs!\r\n[Unable to detect the home sensor]")});
        QVERIFY(x.f->imgAlarmLed->isVisible());
        QCOMPARE(x.f->lblAlarmNo->text(), QStringLiteral("0B"));
        QVERIFY(x.f->cmdHome->isEnabled());
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0MP0", "0CM1", "0MP0"}));

        // The alarm reset: "0%C" first, then communication mode; the display clears.
        x.f->cmdReset->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames().mid(4), (QStringList{"0%C", "0CM1"}));
        QVERIFY(x.f->imgAlarmLed->isHidden());
        QCOMPARE(x.f->lblAlarmNo->text(), QString());
        QCOMPARE(x.f->lblErrorComment->text(), QString());
    }

    void rejectedAlarmResetLeavesTheDisplay()
    {
        Fixture x({QStringLiteral("--fault"), QStringLiteral("0CM1:alarm=07")});
        QVERIFY(x.sim.ready());
        x.window->cmdReset_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), (QStringList{"0%C", "0CM1"}));
        QCOMPARE(x.f->lblAlarmNo->text(), QStringLiteral("07"));
        QVERIFY(x.f->imgAlarmLed->isVisible());
    }

    void portThatCannotOpen()
    {
        Fixture x;
        x.window->link().portChoice().number = 9;
        x.window->cmdSelectMove_Click();
        QVERIFY(test::WaitForIdle(x.window));
        x.window->cmdHome_Click();
        QVERIFY(test::WaitForIdle(x.window));
        x.window->cmdReset_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QVERIFY(!x.window->link().openFailureDetail().isEmpty());  // the reason follows each message
        QCOMPARE(x.prompts.texts(), QStringList(3, QStringLiteral("Communication error occurs!") + x.window->link().openFailureDetail()));
        QVERIFY(x.f->cmdSelectMove->isEnabled());
    }

    void closeDuringARepeatRunEndsItAndCloses()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.f->optPosiNo_2->setChecked(true);
        x.prompts.answers.enqueue(MsgAnswer::Ok);
        QTimer::singleShot(150, x.window.get(), [&] { x.window->close(); });
        x.window->cmdSelectMove_Click();
        QVERIFY(test::WaitForIdle(x.window));
        const QStringList frames = x.sim.frames();
        QCOMPARE(frames.last(), QStringLiteral("0MP1"));
        QTRY_VERIFY_WITH_TIMEOUT(!x.window->isVisible(), 1000);
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Finish KZ PC-Software.")});
    }

    void commandsReachableDuringAWaitDoNotTouchThePort()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.window->link().portChoice().keepOpen = false;
        bool openAfterReset = false;
        QTimer::singleShot(60, [&] {
            // Refused with a beep while the move waits: nothing to wait for.
            x.window->cmdReset_Click();
            x.window->mnuViewCtVersion_Click();
            openAfterReset = Port().isOpen();
        });
        x.window->cmdHome_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QVERIFY(openAfterReset);
        QCOMPARE(x.prompts.beeps, 2);
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0MP0"}));
        QCOMPARE(x.f->lblKanryoNo->text(), QStringLiteral("Home"));
    }

    void externalStartMode()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.window->showAlarm(QStringLiteral("05"), Str(265));
        x.window->link().portChoice().keepOpen = false;
        x.window->mnuModeGaibu_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0CM0"}));
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Changed to \"External Start Mode\".")});
        QVERIFY(x.f->imgAlarmLed->isHidden());
        QVERIFY(Port().isOpen());  // the mode commands leave the port open
    }

    void communicationMode()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.window->EditModeLayout();
        x.window->mnuModeTrancefer_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), QStringList{"0CM1"});
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Changed to \"Communication Mode\".")});
        QVERIFY(x.f->cmdGetfromCt->isEnabled());
        QVERIFY(x.f->mnuFileSave->isEnabled());
        x.window->link().portChoice().number = 9;
        ForceClosePort();
        x.window->mnuModeTrancefer_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QVERIFY(!x.window->link().openFailureDetail().isEmpty());
        QCOMPARE(x.prompts.texts().last(), QStringLiteral("Communication error occurs!") + x.window->link().openFailureDetail());
    }

    void version_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("123") << QStringList{"--version", "123"}
                             << QStringList{"The Version of this controller is 123."};
        QTest::newRow("wrong length")
            << QStringList{"--fault", "0RV:length"}
            << QStringList{"Communication data length error occurs!\r\nLength of data is wrong.", "Fail to get Version No. ."};
    }

    void version()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, messages);
        Fixture x(simArgs);
        QVERIFY(x.sim.ready());
        x.window->mnuViewCtVersion_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.texts(), messages);
        QCOMPARE(x.sim.frames().mid(0, 2), (QStringList{"0CM1", "0RV"}));
    }
};

QTEST_MAIN(TestMoveMode)
#include "test_move_mode_e2e.moc"
