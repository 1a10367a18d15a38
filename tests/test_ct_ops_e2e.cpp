// Reading from and writing to the controller, verification and start-up, end to end against kz-sim
// with its frame log.

#include "app/frmSelection.h"
#include "core/settings.h"
#include "app/startup.h"
#include "files/data_file.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/data_image.h"
#include "params/parameter_set.h"
#include "support/messages.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"
#include "ui_frmSelection.h"

#include <QDir>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kz;
using namespace kz::test;

namespace {


// What the simulator holds at start.
ParameterSet SimInitial()
{
    ParameterSet p;
    p.Vel1 = 10; p.Acc1 = 5; p.Dec1 = 5; p.Position1 = 100; p.PauseTime1 = 10;
    p.Vel2 = 20; p.Acc2 = 5; p.Dec2 = 5; p.Position2 = 200; p.PauseTime2 = 20;
    p.HomingVel = 8; p.HomingPulse = 300; p.OffsetVel = 6; p.HomeOffset = 2; p.RevDir = 0;
    p.SupplyCounter = 8; p.RestartDelay = 100; p.NoWorkCounter = 200; p.SeparateTimer = 100;
    p.MidDetectCounter = 15; p.TipWorkOffTimer = 20; p.Sp1 = 0;
    return p;
}

ParameterSet Edited()
{
    ParameterSet p = SimInitial();
    p.Vel1 = 30; p.Acc1 = 9; p.Dec1 = 1; p.Position1 = 400; p.PauseTime1 = 0;
    p.Vel2 = 12; p.Position2 = 350; p.PauseTime2 = 255;
    p.HomingPulse = 600; p.RevDir = 1; p.SupplyCounter = 9; p.Sp1 = 3;
    return p;
}

struct Fixture {
    explicit Fixture(const QStringList &simArgs = {}, bool groups = true) : sim(simArgs)
    {
        LoadLanguage();
        window = std::make_unique<frmMain>();
        window->show();
        f = window->form();
        if (groups) {
            ShowParametersOption = true;
            HomingParametersOption = true;
            window->enableHomingParameters();
            window->ApplyShowParametersLayout();
            window->EditModeLayout();
        }
    }
    void show(const ParameterSet &p)
    {
        doc().current = p;
        window->ScreenFill();
    }

    ParameterDocument &doc() const { return window->document(); }

    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::SimRunner sim;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;
};

const QStringList kReadFrames = {"0CM1", "0RD02", "0RD04", "0RD05", "0RD00", "0RD01"};

}  // namespace

class TestCtOps : public QObject {
    Q_OBJECT

private slots:
    void readFillsTheScreen()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.prompts.answers.enqueue(MsgAnswer::Yes);
        x.f->cmdGetfromCt->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.shown.first().text, QStringLiteral("Reading data from controller,ok?"));
        QCOMPARE(x.prompts.shown.first().buttons, MsgButtons::YesNo);
        QCOMPARE(x.sim.frames(), kReadFrames);
        QCOMPARE(x.doc().staged, SimInitial());
        QCOMPARE(x.doc().current, SimInitial());
        QCOMPARE(x.f->txtPosi2->text(), QStringLiteral("200"));
        QCOMPARE(x.f->comboVEL2->currentText(), QStringLiteral("20"));
        QCOMPARE(x.f->txtNoWorkCount->text(), QStringLiteral("200"));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("Inside of C/T"));
        QVERIFY(!x.doc().changed);
        QCOMPARE(x.prompts.shown.size(), 1);
        QVERIFY(x.f->cmdGetfromCt->isEnabled());
        QVERIFY(x.f->mnuFileSave->isEnabled());
    }

    void readQuestionsAndTheirAnswers()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.show(SimInitial());
        x.prompts.answers.enqueue(MsgAnswer::No);
        x.window->cmdGetfromCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        x.doc().changed = true;
        x.prompts.answers.enqueue(MsgAnswer::Cancel);
        x.window->cmdGetfromCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.shown.last().text, QStringLiteral("Saving editing data before reading the data?"));
        QCOMPARE(x.prompts.shown.last().buttons, MsgButtons::YesNoCancel);
        // Yes, but the Save As is cancelled: the unsaved screen is not overwritten.
        x.prompts.answers.enqueue(MsgAnswer::Yes);
        x.window->cmdGetfromCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.fileRequests.size(), 1);
        QVERIFY(x.sim.frames().isEmpty());
        QVERIFY(x.doc().changed);
        QVERIFY(x.f->cmdGetfromCt->isEnabled());
    }

    void timeOutOnBlock05LeavesEverythingAndShowsTwoMessages()
    {
        Fixture x({QStringLiteral("--fault"), QStringLiteral("0RD05:noreply")});
        QVERIFY(x.sim.ready());
        x.show(Edited());
        x.doc().changed = true;
        const ParameterSet tempBefore = x.doc().staged;
        int progressAtTimeout = -1;
        // The progress bar as last seen while the transfer window was up.
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (auto *bar = x.window->findChild<QProgressBar *>(QStringLiteral("prgBar1")))
                progressAtTimeout = bar->value();
        });
        probe.start(50);
        x.window->readAtStartup();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.sim.frames(), (QStringList{"0CM1", "0RD02", "0RD04", "0RD05"}));
        QCOMPARE(x.prompts.texts(), (QStringList{kTimeoutEn, QStringLiteral("Communication Error!")}));
        QCOMPARE(progressAtTimeout, 2);
        QCOMPARE(x.doc().current, Edited());
        QCOMPARE(x.doc().staged, tempBefore);
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("400"));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
        QVERIFY(x.doc().changed);
        QVERIFY(!x.window->talking());
    }

    void writeSendsTheBlocksAndResets_data()
    {
        QTest::addColumn<bool>("groups");
        QTest::addColumn<QList<int>>("blockSlots");
        QTest::newRow("groups active") << true << QList<int>{1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("groups inactive") << false << QList<int>{1, 2, 3, 6, 7};
    }

    void writeSendsTheBlocksAndResets()
    {
        QFETCH(bool, groups);
        QFETCH(QList<int>, blockSlots);
        Fixture x({}, groups);
        QVERIFY(x.sim.ready());
        x.show(Edited());
        x.doc().changed = true;
        x.prompts.answers.enqueue(MsgAnswer::Ok);  // transmit
        x.prompts.answers.enqueue(MsgAnswer::Ok);  // reset
        x.f->cmdLoadtoCt->click();
        QVERIFY(test::WaitForIdle(x.window));
        QStringList expected{"0CM1", "0CM1"};
        for (int slot : blockSlots)
            expected << QStringLiteral("0WD") + x.doc().blocks[slot];
        expected << "0CM1" << "0CM3";
        QCOMPARE(x.sim.waitForFrames(int(expected.size())), expected);
        QCOMPARE(x.doc().blocks[1], QStringLiteral("0278090100019000FF"));
        QCOMPARE(x.doc().blocks[7], QStringLiteral("1FFFFFFFFFFFFF55AA"));
        QCOMPARE(x.prompts.texts(), (QStringList{QStringLiteral("Data is transmitted to controller,Yes?"),
                                                 QStringLiteral("Completed writing data.\r\nController will be reset.Ready?"),
                                                 QStringLiteral("Completed controller reset.")}));
        QVERIFY(!x.doc().changed);
        QVERIFY(x.f->cmdLoadtoCt->isEnabled());

        // What the controller now holds reads back as the screen (the groups' part only when sent).
        x.prompts.shown.clear();
        x.window->readAtStartup();
        QVERIFY(test::WaitForIdle(x.window));
        ParameterSet expectedRead = Edited();
        if (!groups) {
            const ParameterSet initial = SimInitial();
            expectedRead.HomingPulse = initial.HomingPulse;
            expectedRead.RevDir = initial.RevDir;
            expectedRead.SupplyCounter = initial.SupplyCounter;
            expectedRead.Sp1 = initial.Sp1;
        }
        QCOMPARE(x.doc().staged, expectedRead);
    }

    void writeTimeOutOnBlock00StopsThere()
    {
        Fixture x({QStringLiteral("--fault"), QStringLiteral("0WD00:noreply")});
        QVERIFY(x.sim.ready());
        x.show(Edited());
        x.doc().changed = true;
        x.prompts.answers.enqueue(MsgAnswer::Ok);
        x.window->cmdLoadtoCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        const QStringList frames = x.sim.frames();
        QCOMPARE(frames.size(), 6);
        QVERIFY(frames.last().startsWith(QLatin1String("0WD00")));
        for (const QString &frame : frames)
            for (const char *never : {"0WD01", "0WD03", "0WD1F"})
                QVERIFY(!frame.startsWith(QLatin1String(never)));
        QCOMPARE(x.prompts.texts().mid(1), (QStringList{kTimeoutEn, QStringLiteral("Fail to Write data.")}));
        QVERIFY(x.doc().changed);
        QVERIFY(x.f->cmdLoadtoCt->isEnabled());
    }

    void writeCancelAtResetStillClearsTheFlag()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.show(Edited());
        x.doc().changed = true;
        x.window->link().portChoice().keepOpen = false;
        x.prompts.answers.enqueue(MsgAnswer::Ok);
        x.prompts.answers.enqueue(MsgAnswer::Cancel);
        x.window->cmdLoadtoCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QVERIFY(!x.sim.frames().contains(QStringLiteral("0CM3")));
        QVERIFY(!x.doc().changed);
        QVERIFY(!Port().isOpen());
    }

    void writeOutOfRangeStopsBeforeTheQuestion()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        ParameterSet bad = Edited();
        bad.HomingPulse = 700;
        x.show(bad);
        x.window->cmdLoadtoCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.shown.size(), 1);
        QVERIFY(x.prompts.shown.first().text.startsWith(QLatin1String("The value of some item")));
        QVERIFY(x.sim.frames().isEmpty());
    }

    void writeWhenThePortCannotOpenSaysSo()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.show(Edited());
        x.window->link().portChoice().number = 9;  // nothing there
        x.prompts.answers.enqueue(MsgAnswer::Ok);
        x.window->cmdLoadtoCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QVERIFY(!x.window->link().openFailureDetail().isEmpty());  // the reason follows the message
        QCOMPARE(x.prompts.texts().last(), QStringLiteral("Communication error occurs!") + x.window->link().openFailureDetail());
    }

    void verifyAgainstTheController()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        x.show(SimInitial());
        x.f->cmdShogoCt->click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Result of Verify - OK")});
        QCOMPARE(x.sim.frames(), kReadFrames);

        x.prompts.shown.clear();
        ParameterSet differs = SimInitial();
        differs.Vel1 = 11;
        differs.SupplyCounter = 9;
        x.show(differs);
        x.doc().changed = true;
        x.window->cmdShogoCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.texts(),
                 QStringList{QStringLiteral("Result of Verify - NG\r\n\r\n<Unmatched data>\r\n\r\n"
                                            "Position 1 - VEL,\r\nSensor parameters - Supply counter,\r\n")});
        // Then the values, in the report's order, the controller's beside the screen's.
        QCOMPARE(x.prompts.tables.size(), 1);
        const TableRequest &table = x.prompts.tables.first();
        QCOMPARE(table.headers, (QStringList{"Group", "Item", "Screen", "C/T"}));
        QCOMPARE(table.rows, (QList<QStringList>{
                                 {"Position 1", "VEL", "11", QString::number(SimInitial().Vel1)},
                                 {"Sensor parameters", "Supply counter", "9", QString::number(SimInitial().SupplyCounter)}}));
        QCOMPARE(TableText(table), QStringLiteral("Group\tItem\tScreen\tC/T\nPosition 1\tVEL\t11\t%1\n"
                                                  "Sensor parameters\tSupply counter\t9\t%2\n")
                                       .arg(SimInitial().Vel1).arg(SimInitial().SupplyCounter));
        QCOMPARE(x.doc().current, differs);  // the screen stays what it was
        QCOMPARE(x.f->comboVEL1->currentText(), QStringLiteral("11"));
        QVERIFY(x.doc().changed);
    }

    void verifyAgainstAFile()
    {
        Fixture x;
        QVERIFY(x.sim.ready());
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(QStringLiteral("v.kzd"));
        x.show(Edited());
        x.prompts.fileResults.enqueue(test::Chosen(path));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        x.f->txtPosi2->setText(QStringLiteral("351"));
        const QString position1 = QString::number(Edited().Position1 + 1);
        x.f->txtPosi1->setText(position1);
        QVERIFY(x.doc().changed);
        x.prompts.fileResults.enqueue(test::Chosen(path));
        x.window->cmdShogoFile_Click();
        QCOMPARE(x.prompts.fileRequests.last().title, QStringLiteral("Specified KZ data file to be verified."));
        QCOMPARE(x.prompts.texts(),
                 QStringList{QStringLiteral("Result of Verify - NG\r\n\r\n<Unmatched data>\r\n"
                                            "Position 1 - Position(pulse),\r\nPosition 2 - Position(pulse),\r\n")});
        QCOMPARE(x.prompts.tables.size(), 1);
        QCOMPARE(x.prompts.tables.first().headers.last(), QStringLiteral("File"));
        QCOMPARE(x.prompts.tables.first().rows,
                 (QList<QStringList>{{"Position 1", "Position(pulse)", position1, QString::number(Edited().Position1)},
                                     {"Position 2", "Position(pulse)", "351", QString::number(Edited().Position2)}}));
        QVERIFY2(x.doc().changed, "the screen still holds an edit no file has");
        QVERIFY(x.sim.frames().isEmpty());
    }

    void startUp_data()
    {
        QTest::addColumn<bool>("readNow");
        QTest::newRow("read at once") << true;
        QTest::newRow("read later") << false;
    }

    void startUp()
    {
        QFETCH(bool, readNow);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        QString title, question;
        bool cancelShown = true;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<frmSelection *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            answer.stop();
            title = dialog->windowTitle();
            question = dialog->form()->lblSelectSetumei->text();
            cancelShown = dialog->form()->cmdSelectCancel->isVisible();
            dialog->close();  // refused: the user must choose
            if (!readNow)
                dialog->form()->optSelectKomoku_1->setChecked(true);
            dialog->form()->cmdSelectOk->click();
        });
        answer.start(20);
        const auto window = Main(50);
        QVERIFY(test::WaitForIdle(window));
        QCOMPARE(title, QStringLiteral("Confirmation of Reading data from C/T"));
        QCOMPARE(question, QStringLiteral("Please edit data after reading data from a controller. Are you want to read data from a controller?"));
        QVERIFY(!cancelShown);
        QCOMPARE(sim.frames(), readNow ? kReadFrames : QStringList());
        QCOMPARE(window->form()->lblShowName->text(), readNow ? QStringLiteral("Inside of C/T") : QStringLiteral("New data"));
        QVERIFY(prompts.shown.isEmpty());
    }
};

QTEST_MAIN(TestCtOps)
#include "test_ct_ops_e2e.moc"
