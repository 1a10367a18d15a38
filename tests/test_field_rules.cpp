// The parameter fields as the user types into them: key filter and typed limits, the leave-field
// check, the Enter chain, spinners, the rotation-direction unlock, the data-changed flag and the
// screen fill.

#include "core/settings.h"
#include "main_window/frmMain.h"
#include "main_window/updown.h"
#include "params/parameter_set.h"
#include "support/fake_port.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "ui_frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QToolButton>

using namespace kz;

namespace {

struct Fixture {
    Fixture()
    {
        LoadLanguage();
        window = std::make_unique<frmMain>();
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        f = window->form();
    }
    ParameterDocument &doc() const { return window->document(); }
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::FakePort port;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;

    void showParameters(bool homing)
    {
        ShowParametersOption = true;
        HomingParametersOption = homing;
        homing ? window->enableHomingParameters() : window->disableHomingParameters();
        window->ApplyShowParametersLayout();
        window->EditModeLayout();
    }
    // Types into a control after giving it the focus.
    void type(QWidget *w, const QString &keys)
    {
        w->setFocus();
        QApplication::processEvents();
        QTest::keyClicks(w, keys);
    }
    // Moves the focus away from w (to a field that accepts anything) and lets the check run.
    void leave(QWidget *w)
    {
        QWidget *other = w == f->txtPosi1Timer ? static_cast<QWidget *>(f->txtPosi2Timer) : f->txtPosi1Timer;
        other->setFocus();
        QApplication::processEvents();
        QApplication::processEvents();
    }
};

const QString kPosition1Refused =
    QStringLiteral("The value 999 in \"Position 1 / Position(pulse)\" is out of range (0 to 400). Please enter a valid value.");

}  // namespace

class TestFieldRules : public QObject {
    Q_OBJECT

private slots:
    void leaveCheck_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("beeps");
        QTest::newRow("position 401 erased") << "txtPosi1" << "401" << "" << 1;
        QTest::newRow("position 400 stays") << "txtPosi1" << "400" << "400" << 0;
        QTest::newRow("pausing time 256 erased") << "txtPosi2Timer" << "256" << "" << 1;
        QTest::newRow("pausing time 0 stays") << "txtPosi2Timer" << "0" << "0" << 0;
        QTest::newRow("VEL 0 passes") << "comboVEL1" << "0" << "0" << 0;
        QTest::newRow("VEL 31 erased") << "comboVEL1" << "31" << "" << 1;
        QTest::newRow("letters and minus never typed") << "txtPosi2" << "-a1b2" << "12" << 0;
    }

    void leaveCheck()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        QFETCH(int, beeps);
        Fixture x;
        QWidget *w = x.window->findChild<QWidget *>(control);
        if (auto *combo = qobject_cast<QComboBox *>(w))
            combo->setEditText(QString());
        x.type(w, typed);
        x.leave(w);
        const QString text = qobject_cast<QComboBox *>(w) ? qobject_cast<QComboBox *>(w)->currentText()
                                                           : qobject_cast<QLineEdit *>(w)->text();
        QCOMPARE(text, after);
        QCOMPARE(x.prompts.beeps, beeps);
        if (beeps)  // the focus comes back to the field
            QTRY_COMPARE(QApplication::focusWidget(), w);
    }

    // A command started from a menu or a shortcut while a field has the focus runs that field's
    // leave check first: a refused value stops the command, and the user is told why.
    void leaveCheckRunsBeforeCommands_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("shortcut");
        QTest::newRow("Save, by Ctrl+S") << "mnuFileSave" << true;
        QTest::newRow("Save") << "mnuFileSave" << false;
        QTest::newRow("Save As") << "mnuFileSaveAs" << false;
        QTest::newRow("Write") << "mnuFileLoadtoCt" << false;
        QTest::newRow("Verify C/T") << "mnuCtShogo" << false;
        QTest::newRow("Verify File") << "mnuShogoFile" << false;
        QTest::newRow("Print") << "mnuFilePrint" << false;
        QTest::newRow("New") << "mnuFileNew" << false;
        QTest::newRow("Read") << "mnuFileGetfromCt" << false;
        QTest::newRow("Exit") << "mnuFileExit" << false;
    }

    void leaveCheckRunsBeforeCommands()
    {
        QFETCH(QString, action);
        QFETCH(bool, shortcut);
        Fixture x;
        x.doc().current = test::ExampleSet();
        x.window->ScreenFill();
        x.f->txtPosi1->clear();
        x.type(x.f->txtPosi1, QStringLiteral("999"));
        QCOMPARE(QApplication::focusWidget(), x.f->txtPosi1);
        if (shortcut)
            QTest::keyClick(x.window.get(), Qt::Key_S, Qt::ControlModifier);
        else
            x.window->findChild<QAction *>(action)->trigger();
        QCOMPARE(x.prompts.texts(), QStringList{kPosition1Refused});
        QCOMPARE(x.prompts.beeps, 1);
        QVERIFY(x.prompts.fileRequests.isEmpty());
        QVERIFY(x.port.frames.isEmpty());
        QCOMPARE(x.f->txtPosi1->text(), QString());
        QVERIFY(x.window->isVisible());
        QTRY_COMPARE(QApplication::focusWidget(), x.f->txtPosi1);
        // Told once: the next try goes on to the command's own dialogs.
        if (action == QLatin1String("mnuFilePrint"))
            return;  // its selection dialog is modal
        x.f->txtPosi1->setText(QStringLiteral("400"));
        x.prompts.answers.enqueue(MsgAnswer::Cancel);
        x.prompts.fileResults.enqueue(test::Cancelled());
        x.window->findChild<QAction *>(action)->trigger();
        QCOMPARE(x.prompts.texts().count(kPosition1Refused), 1);
    }

    // A click on a button takes the focus from the field; the refused value stops the command and
    // says why instead of being swallowed.
    void clickWithARefusedValueSaysWhy()
    {
        Fixture x;
        x.doc().current = test::ExampleSet();
        x.window->ScreenFill();
        x.f->txtPosi1->clear();
        x.type(x.f->txtPosi1, QStringLiteral("999"));
        QTest::mouseClick(x.f->cmdLoadtoCt, Qt::LeftButton);
        QTRY_COMPARE(x.prompts.texts(), QStringList{kPosition1Refused});
        QVERIFY(x.port.frames.isEmpty());
        QCOMPARE(x.f->txtPosi1->text(), QString());
    }

    // Full-width digits from an input method, pastes and drops reach a field as plain digits within
    // its length; the editing shortcuts work as in any line edit.
    void digitsOnlyFromEveryInputPath()
    {
        Fixture x;
        QLineEdit *e = x.f->txtPosi1;
        e->clear();
        e->setFocus();
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("１２３"));
        QApplication::sendEvent(e, &commit);
        QCOMPARE(e->text(), QStringLiteral("123"));

        QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(e->selectedText(), QStringLiteral("123"));
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("123"));
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(e->text(), QString());

        QGuiApplication::clipboard()->setText(QStringLiteral("a4b5c6d7 "));
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("456"));  // digits only, three at most
        QTest::keyClick(e, Qt::Key_Home);
        QGuiApplication::clipboard()->setText(QStringLiteral("9"));
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(e->text(), QStringLiteral("945"));
        e->setText(QStringLiteral("45"));  // in range: leaving the field is no refusal

        // The drop-down fields as well.
        x.f->comboVEL1->setEditText(QString());
        x.f->comboVEL1->setFocus();
        QGuiApplication::clipboard()->setText(QStringLiteral("１x2y3"));
        QTest::keyClick(x.f->comboVEL1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(x.f->comboVEL1->currentText(), QStringLiteral("12"));
        QCOMPARE(x.prompts.beeps, 0);
    }

    // While an operation runs, no input reaches a parameter control: typed keys, input-method
    // text, spinner and check-box clicks are refused with a beep.
    void parameterControlsTakeNoInputWhileAnOperationRuns()
    {
        Fixture x;
        x.showParameters(true);
        x.doc().current = test::ExampleSet();
        x.window->ScreenFill();
        x.doc().changed = false;
        x.f->txtPosi1->setFocus();
        {
            frmMain::Busy busy(x.window.get());
            QTest::keyClicks(x.f->txtPosi1, QStringLiteral("7"));
            QTest::keyClick(x.f->txtPosi1, Qt::Key_Backspace);
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("5"));
            QApplication::sendEvent(x.f->txtPosi1, &commit);
            for (QWidget *w : {static_cast<QWidget *>(x.f->chkRevDir), static_cast<QWidget *>(x.f->chkChangeDirect)})
                QTest::mouseClick(w, Qt::LeftButton);
            for (auto *button : x.f->UpDown1->findChildren<QToolButton *>())
                QTest::mouseClick(button, Qt::LeftButton);
            QTest::keyClicks(x.f->comboVEL2, QStringLiteral("1"));
            QCOMPARE(x.prompts.beeps, 8);
        }
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("200"));
        QCOMPARE(x.f->lblPosi1Acc->text(), QStringLiteral("5"));
        QCOMPARE(x.f->comboVEL2->currentText(), QStringLiteral("20"));
        QVERIFY(!x.f->chkChangeDirect->isChecked());
        QVERIFY(x.prompts.shown.isEmpty());
        QVERIFY(!x.doc().changed);
        // Afterwards the fields take input again.
        QTest::keyClick(x.f->txtPosi1, Qt::Key_Backspace);
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("20"));
    }

    void emptyFieldsPassTheLeaveCheck()
    {
        Fixture x;
        x.f->comboVEL1->setEditText(QString());
        x.f->comboVEL1->setFocus();
        x.leave(x.f->comboVEL1);
        x.f->txtPosi1->setFocus();
        x.leave(x.f->txtPosi1);
        QCOMPARE(x.prompts.beeps, 0);
    }

    void textFromOtherPathsKeepsItsDigitsOnly()
    {
        Fixture x;
        x.f->txtPosi1->setFocus();
        x.f->txtPosi1->insert(QStringLiteral("1a2b"));  // as a paste would
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("12"));
        x.leave(x.f->txtPosi1);
        QCOMPARE(x.prompts.beeps, 0);
    }

    void typedLimitCountsExactCharactersWithoutSelection()
    {
        Fixture x;
        x.f->txtPosi1Timer->setText(QStringLiteral("255"));
        x.f->txtPosi1Timer->setFocus();
        x.f->txtPosi1Timer->end(false);
        QTest::keyClicks(x.f->txtPosi1Timer, QStringLiteral("7"));
        QCOMPARE(x.f->txtPosi1Timer->text(), QStringLiteral("255"));
        QTest::keyClick(x.f->txtPosi1Timer, Qt::Key_Backspace);
        QCOMPARE(x.f->txtPosi1Timer->text(), QStringLiteral("25"));
        x.f->txtPosi1Timer->setText(QStringLiteral("255"));
        x.f->txtPosi1Timer->selectAll();
        QTest::keyClicks(x.f->txtPosi1Timer, QStringLiteral("7"));
        QCOMPARE(x.f->txtPosi1Timer->text(), QStringLiteral("7"));
        // More than the limit (filled by the program): further digits are accepted.
        x.f->txtPosi1->setText(QStringLiteral("1234"));
        x.f->txtPosi1->setFocus();
        x.f->txtPosi1->end(false);
        QTest::keyClicks(x.f->txtPosi1, QStringLiteral("5"));
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("12345"));
        // A drop-down at its limit refuses even with its text selected.
        x.f->comboVEL1->setEditText(QStringLiteral("12"));
        x.f->comboVEL1->setFocus();
        x.f->comboVEL1->lineEdit()->selectAll();
        QTest::keyClicks(x.f->comboVEL1, QStringLiteral("3"));
        QCOMPARE(x.f->comboVEL1->currentText(), QStringLiteral("12"));
    }

    void enterChain_data()
    {
        QTest::addColumn<bool>("showParameters");
        QTest::addColumn<bool>("homing");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("VEL1 to its ACC spinner") << false << false << "comboVEL1" << "UpDown1";
        QTest::newRow("pausing 1 to VEL2") << false << false << "txtPosi1Timer" << "comboVEL2";
        QTest::newRow("pausing 2 to position 1") << false << false << "txtPosi2Timer" << "txtPosi1";
        QTest::newRow("position 2, option off") << false << false << "txtPosi2" << "comboVEL1";
        QTest::newRow("position 2, option on") << true << false << "txtPosi2" << "txtLowKaijoCnt";
        QTest::newRow("tip timer, homing off") << true << false << "txtHensu1" << "comboVEL1";
        QTest::newRow("tip timer, homing on") << true << true << "txtHensu1" << "txtHomeSokudo";
        QTest::newRow("home offset to VEL1") << true << true << "txtOffsetPosi" << "comboVEL1";
    }

    void enterChain()
    {
        QFETCH(bool, showParameters);
        QFETCH(bool, homing);
        QFETCH(QString, from);
        QFETCH(QString, to);
        Fixture x;
        if (showParameters)
            x.showParameters(homing);
        auto *source = x.window->findChild<QWidget *>(from);
        source->setFocus();
        QApplication::processEvents();
        QTest::keyClick(source, Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        QCOMPARE(x.prompts.beeps, 0);
    }

    void enterToAFieldThatCannotTakeTheFocusStays()
    {
        Fixture x;
        x.f->comboVEL2->setEnabled(false);
        x.f->txtPosi1Timer->setFocus();
        QTest::keyClick(x.f->txtPosi1Timer, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), x.f->txtPosi1Timer);
    }

    void spinnersStayWithinOneToNineAndMarkTheData()
    {
        Fixture x;
        x.f->lblPosi1Acc->setText(QStringLiteral("8"));
        x.doc().changed = false;
        x.f->UpDown1->stepUp();
        QCOMPARE(x.f->lblPosi1Acc->text(), QStringLiteral("9"));
        QVERIFY(x.doc().changed);
        x.f->UpDown1->stepUp();
        QCOMPARE(x.f->lblPosi1Acc->text(), QStringLiteral("9"));
        x.f->lblPosi2Gensoku->setText(QStringLiteral("1"));
        x.f->UpDownP2Gen->stepDown();
        QCOMPARE(x.f->lblPosi2Gensoku->text(), QStringLiteral("1"));
        x.f->lblPosi2Gensoku->setText(QStringLiteral("0"));  // e.g. a fresh window
        x.f->UpDownP2Gen->stepUp();
        QCOMPARE(x.f->lblPosi2Gensoku->text(), QStringLiteral("1"));
    }

    // Every way of editing a field marks the data, including the two the change events miss.
    void editsMarkTheData()
    {
        Fixture x;
        x.showParameters(true);
        const std::function<void()> edits[] = {
            [&] { x.type(x.f->txtHomePosi, QStringLiteral("5")); },
            [&] { x.f->txtHensu2->setText(QStringLiteral("3")); },
            [&] { x.f->comboVEL2->setCurrentIndex(4); },  // chosen from the list
            [&] { x.f->chkRevDir->setChecked(!x.f->chkRevDir->isChecked()); },
        };
        for (const auto &edit : edits) {
            x.doc().changed = false;
            edit();
            QVERIFY(x.doc().changed);
        }
    }

    void rotationDirectionUnlock()
    {
        Fixture x;
        x.showParameters(false);
        x.prompts.answers.enqueue(MsgAnswer::No);
        x.f->chkChangeDirect->setChecked(true);
        QCOMPARE(x.prompts.shown.size(), 1);
        QCOMPARE(x.prompts.shown[0].text,
                 QStringLiteral("When the rotation direction is changed oposite in normal operation,the feeder may be "
                                "broken down.\r\nDon't change the rotation direction in normal operation.\r\n"
                                "Do you want to change the rotation direction?"));
        QCOMPARE(x.prompts.shown[0].buttons, MsgButtons::YesNo);
        QCOMPARE(x.prompts.shown[0].icon, MsgIcon::Stop);
        QVERIFY(!x.f->chkChangeDirect->isChecked());
        QVERIFY(!x.f->chkRevDir->isEnabled());

        x.prompts.answers.enqueue(MsgAnswer::Yes);
        x.f->chkChangeDirect->setChecked(true);
        QVERIFY(x.f->chkRevDir->isEnabled());
        QVERIFY(x.f->framChangeDirect->isEnabled());

        x.f->chkChangeDirect->setChecked(false);
        QVERIFY(!x.f->chkRevDir->isEnabled());
        QCOMPARE(x.prompts.shown.size(), 2);  // unticking asks nothing
    }

    void screenFill()
    {
        Fixture x;
        x.f->txtSentanCount->setText(QStringLiteral("kept"));
        x.doc().current.Vel1 = 12;
        x.doc().current.Acc1 = 3;
        x.doc().current.Dec2 = 7;
        x.doc().current.Position1 = 1234;  // beyond what typing allows; shown as is
        x.doc().current.PauseTime2 = -5;
        x.doc().current.SupplyCounter = 8;
        x.doc().current.RevDir = 1;
        x.window->ScreenFill();  // groups inactive: sensor and homing fields keep their text
        QCOMPARE(x.f->comboVEL1->currentText(), QStringLiteral("12"));
        QCOMPARE(x.f->lblPosi1Acc->text(), QStringLiteral("3"));
        QCOMPARE(x.f->lblPosi2Gensoku->text(), QStringLiteral("7"));
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("1234"));
        QCOMPARE(x.f->txtPosi2Timer->text(), QStringLiteral("-5"));
        QCOMPARE(x.f->txtSentanCount->text(), QStringLiteral("kept"));
        QVERIFY(!x.f->chkRevDir->isChecked());
        QVERIFY(!x.doc().changed);

        x.showParameters(true);
        x.window->ScreenFill();
        QCOMPARE(x.f->txtSentanCount->text(), QStringLiteral("8"));
        QVERIFY(x.f->chkRevDir->isChecked());
        QVERIFY(!x.doc().changed);
        x.doc().current.RevDir = 0;
        x.window->ScreenFill();
        QVERIFY(!x.f->chkRevDir->isChecked());

        // What the screen shows is what the check chain takes back.
        const ScreenTexts screen = x.window->screenTexts();
        QCOMPARE(screen.text(QStringLiteral("comboVEL1")), QStringLiteral("12"));
        QCOMPARE(screen.text(QStringLiteral("lblPosi1Acc")), QStringLiteral("3"));
        QCOMPARE(screen.text(QStringLiteral("txtSentanCount")), QStringLiteral("8"));
        QVERIFY(!screen.revDirChecked);
    }
};

QTEST_MAIN(TestFieldRules)
#include "test_field_rules.moc"
