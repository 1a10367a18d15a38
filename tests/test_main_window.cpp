// The main window: its state after loading, captions in both languages, the two modes and the
// enabling routines, the show-parameters layout, the port lamp, the exit questions, and what the
// keyboard reaches.

#include "core/fit_text.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/strings.h"
#include "core/twips.h"
#include "files/data_file.h"
#include "link/alarm.h"
#include "link/exchange.h"
#include "link/port.h"
#include "link/frmTrance.h"
#include "main_window/frmMain.h"
#include "params/data_image.h"
#include "params/parameter_set.h"
#include "support/fake_port.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

namespace {

struct Fixture {
    explicit Fixture(const QString &language = QStringLiteral("2"))
    {
        env.writeSetting(QStringLiteral("Language"), language);
        LoadLanguage();  // as start-up does before any window exists
        window = std::make_unique<frmMain>();
        window->show();
        f = window->form();
    }
    ParameterDocument &doc() const { return window->document(); }
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::FakePort port;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;
};

int HeightFor(int twips, const QWidget *w)
{
    return TwipsToPixelsY(twips, w);
}

// The controls the two layouts switch, with their edit-mode state.
QList<QPair<QWidget *, bool>> ModeRows(Ui::frmMain *f)
{
    return {{f->lblEditMode, true},   {f->lblMoveMode, false},  {f->frmMove, false},
            {f->framSelectPosi, false}, {f->cmdSelectMove, false}, {f->cmdStop, false},
            {f->cmdHome, false},      {f->lblKanryoNo, false},  {f->framPosiData, true},
            {f->framDousaPara, true}, {f->cmdFileOpen, true},   {f->cmdShogoCt, true},
            {f->comboVEL1, true},     {f->UpDown2, true},       {f->txtPosi2Timer, true},
            {f->lblTimer, true}};
}

void ExpectMode(Ui::frmMain *f, bool edit)
{
    for (const auto &[w, editState] : ModeRows(f))
        QVERIFY2(w->isEnabled() == (edit ? editState : !editState), qPrintable(w->objectName()));
    QCOMPARE(f->mnuFileSave->isEnabled(), edit);
    QCOMPARE(f->mnuFileSavePdf->isEnabled(), edit);
    QCOMPARE(f->mnuModeChange->menuAction()->isEnabled(), edit);
    QCOMPARE(f->mnuFileShogo->menuAction()->isEnabled(), edit);
    QCOMPARE(f->lblEditMode->font().bold(), edit);
    QCOMPARE(f->lblMoveMode->font().bold(), !edit);
    QCOMPARE(f->frmMove->font().bold(), !edit);
    QCOMPARE(f->framPosiData->font().bold(), edit);
    // Untouched by either layout.
    QVERIFY(f->cmdModeChange->isEnabled());
    QVERIFY(f->mnuViewOption->isEnabled());
    QVERIFY(f->mnuFileExit->isEnabled());
    QVERIFY(f->cmdReset->isEnabled());
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void stateAfterLoading()
    {
        Fixture x;
        QCOMPARE(x.window->windowTitle(), QStringLiteral("KZ PC-Software Ver1.50E"));
        QVERIFY(x.window->isEditMode());
        ExpectMode(x.f, true);
        QVERIFY(x.f->optPosiNo_0->isChecked());
        QVERIFY(x.f->framParameta->isHidden());
        QVERIFY(!x.f->framParameta->isEnabled());
        QVERIFY(x.f->framHomePara->isHidden());
        QVERIFY(!x.f->framHomePara->isEnabled());
        QVERIFY(!x.f->chkRevDir->isEnabled());
        QVERIFY(x.f->chkChangeDirect->isEnabledTo(x.f->framParameta));
        QVERIFY(!x.f->txtHensu2->isEnabled());
        QCOMPARE(x.window->height(), HeightFor(6585, x.window.get()));
        QVERIFY(x.f->imgAlarmLed->isHidden());
        QCOMPARE(x.f->lblErrorComment->text(), QStringLiteral("No Error"));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
        QVERIFY(!ShowParametersOption);
        QVERIFY(!HomingParametersOption);
        QVERIFY(!x.doc().changed);
        for (QComboBox *combo : {x.f->comboVEL1, x.f->comboVEL2}) {
            QCOMPARE(combo->count(), 30);
            QCOMPARE(combo->itemText(0), QStringLiteral(" 1"));
            QCOMPARE(combo->itemText(29), QStringLiteral(" 30"));
            QCOMPARE(combo->currentIndex(), 0);
        }
        const QKeySequence shortcuts[] = {x.f->mnuFileNew->shortcut(), x.f->mnuFileOpen->shortcut(),
                                          x.f->mnuFileSave->shortcut(), x.f->mnuFilePrint->shortcut()};
        QCOMPARE(shortcuts[0], QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(shortcuts[1], QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(shortcuts[2], QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(shortcuts[3], QKeySequence(QStringLiteral("Ctrl+P")));
        // The PDF report sits right after Print.
        const QList<QAction *> file = x.f->mnuFile->actions();
        QCOMPARE(file.indexOf(x.f->mnuFileSavePdf), file.indexOf(x.f->mnuFilePrint) + 1);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tip");
        const struct {
            const char *control, *en, *enTip, *ja, *jaTip;
        } rows[] = {
            {"frmJog", "Mode Select", "", "モード選択", ""},
            {"frmMove", "Move Mode", "Test moving can be done by Move mode.", "移動モード",
             "移動モードでは、KZを指定したポジションへ移動させることができます"},
            {"optPosiNo_2", "Repeat", "", "くり返し", ""},
            {"cmdSelectMove", "Move", "Move to selected position.", "移動", "選択した位置へ移動します"},
            {"lblJotai", "RS-232C", "Green:Port Open / White:Port Closed", "RS-232C",
             "緑：通信ポートOPEN 　白：通信ポートCLOSE"},
            {"cmdLoadtoCt", "  Write to  C/T", "Write data into controller.", "コントローラ書き込み",
             "ｺﾝﾄﾛｰﾗｰへﾃﾞｰﾀを書き込みます"},
            {"lblHensu2", "SP1", "SP1(unused)", "SP1", "76"},
            {"txtPosi1", "", "Integer: 0 to 400", "", "0～400の整数"},
            {"comboVEL2", "", "Integer: 1 to 30", "", "1～30の整数"},
            {"txtOffsetPosi", "", "Integer: 1 to 100 / Init:2", "", "設定範囲：1～100　初期値：2"},
            {"framHomePara", "Homing parameters", "", "原点復帰ﾊﾟﾗﾒｰﾀ", ""},
            {"mnuFileShogo", "Verfy Data", "", "データ照合", ""},
            {"mnuFileExit", "Exit(&X)", "", "終了(&X)", ""},
            {"mnuFileSavePdf", "Save Report as PDF(&D)...", "", "レポートをPDFに保存(&D)...", ""},
            {"mnuhelp", "Help(&H)", "", "ﾍﾙﾌﾟ(&H)", ""},
            {"mnuModeGaibu", "External Start Mode(&G)", "", "外部起動モード(&G)", ""},
        };
        for (const auto &r : rows) {
            QTest::addRow("en %s", r.control) << "2" << r.control << r.en << r.enTip;
            QTest::addRow("ja %s", r.control) << "1" << r.control << r.ja << r.jaTip;
        }
    }

    void captions()
    {
        QFETCH(QString, language);
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, tip);
        Fixture x(language);
        QObject *o = x.window->findChild<QObject *>(control);
        QVERIFY2(o, qPrintable(control));
        QString shown;
        if (auto *menu = qobject_cast<QMenu *>(o))
            shown = menu->title();
        else if (auto *action = qobject_cast<QAction *>(o))
            shown = action->text();
        else if (auto *group = qobject_cast<QGroupBox *>(o))
            shown = group->title();
        else if (auto *button = qobject_cast<QAbstractButton *>(o))
            shown = button->text();
        else if (auto *label = qobject_cast<QLabel *>(o))
            shown = label->text();
        if (!text.isEmpty())
            QCOMPARE(shown, text);
        if (auto *w = qobject_cast<QWidget *>(o); w && !tip.isEmpty())
            QCOMPARE(w->toolTip(), tip);
    }

    void modeChangeTwiceRestoresEditMode()
    {
        Fixture x;
        x.window->cmdModeChange_Click();
        QVERIFY(!x.window->isEditMode());
        ExpectMode(x.f, false);
        x.window->cmdModeChange_Click();
        QVERIFY(x.window->isEditMode());
        ExpectMode(x.f, true);
        QVERIFY(!x.doc().changed);
    }

    // The parameter rows follow their options, and a layout stops at the first row whose
    // option is off.
    void parameterRowsFollowTheOptions()
    {
        Fixture x;
        // Option off: the rows are left alone, whatever their state.
        x.f->txtSentanCount->setEnabled(false);
        x.window->EditModeLayout();
        QVERIFY(!x.f->txtSentanCount->isEnabled());
        x.f->txtSentanCount->setEnabled(true);

        ShowParametersOption = true;
        HomingParametersOption = false;
        x.window->disableHomingParameters();
        x.window->ApplyShowParametersLayout();
        QCOMPARE(x.window->height(), HeightFor(8950, x.window.get()));
        QVERIFY(x.f->framParameta->isVisible());
        QVERIFY(x.f->framHomePara->isVisible());
        x.window->MoveModeLayout();
        QVERIFY(!x.f->txtSentanCount->isEnabled());
        QVERIFY(!x.f->framHomePara->isEnabled());
        QVERIFY(!x.window->ParameterGroupsActive());
        x.window->EditModeLayout();
        QVERIFY(x.f->txtSentanCount->isEnabled());
        QVERIFY(x.window->ParameterGroupsActive());
        QVERIFY2(!x.f->framHomePara->isEnabled(), "homing option off: the homing row stays as it was");

        HomingParametersOption = true;
        x.window->enableHomingParameters();
        x.window->MoveModeLayout();
        QVERIFY(!x.f->txtHomePosi->isEnabled());
        x.window->EditModeLayout();
        QVERIFY(x.f->txtHomePosi->isEnabled());
    }

    void optionsInMoveModeEnableTheFrameButNotItsFields()
    {
        Fixture x;
        ShowParametersOption = true;
        x.window->ApplyShowParametersLayout();
        x.window->MoveModeLayout();
        QVERIFY(!x.f->framParameta->isEnabled());
        x.window->showOptionsDialog = [] { ShowParametersOption = true; };
        x.window->mnuViewOption_Click();
        QVERIFY(x.f->framParameta->isEnabled());
        QVERIFY(x.f->framParameta->isVisible());
        QVERIFY(!x.f->txtSentanCount->isEnabled());
        // Options off again: short window, both frames hidden and disabled.
        x.window->showOptionsDialog = [] { ShowParametersOption = false; };
        x.window->mnuViewOption_Click();
        QCOMPARE(x.window->height(), HeightFor(6585, x.window.get()));
        QVERIFY(x.f->framParameta->isHidden());
        QVERIFY(x.f->framHomePara->isHidden());
        QVERIFY(!x.f->framHomePara->isEnabled());
    }

    void enablingRoutines()
    {
        Fixture x;
        const QList<QWidget *> commands = {x.f->cmdFileOpen, x.f->cmdSaveFile, x.f->cmdLoadtoCt,
                                           x.f->cmdGetfromCt, x.f->cmdShogoCt, x.f->cmdShogoFile,
                                           x.f->cmdModeChange};
        const QList<QAction *> items = {x.f->mnuFileNew,       x.f->mnuFileOpen,   x.f->mnuFileGetfromCt,
                                        x.f->mnuFileSave,      x.f->mnuFileSaveAs, x.f->mnuFileLoadtoCt,
                                        x.f->mnuFilePageSetup, x.f->mnuFilePrint, x.f->mnuFileSavePdf};
        x.window->disableCommandButtons();
        x.window->disableFileMenu();
        for (QWidget *w : commands)
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        for (QAction *a : items)
            QVERIFY2(!a->isEnabled(), qPrintable(a->objectName()));
        QVERIFY(x.f->mnuFileExit->isEnabled());
        QVERIFY(x.f->mnuViewOption->isEnabled());
        x.window->enableCommandButtons();
        x.window->enableFileMenu();
        for (QWidget *w : commands)
            QVERIFY(w->isEnabled());
        for (QAction *a : items)
            QVERIFY(a->isEnabled());

        x.window->MoveModeLayout();
        x.window->disableMoveControls();
        for (QWidget *w : {static_cast<QWidget *>(x.f->cmdHome), static_cast<QWidget *>(x.f->cmdSelectMove),
                           static_cast<QWidget *>(x.f->cmdModeChange), static_cast<QWidget *>(x.f->optPosiNo_1)})
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(x.f->cmdStop->isEnabled());
        x.window->enableMoveControls();
        QVERIFY(x.f->cmdHome->isEnabled());
        QVERIFY(x.f->optPosiNo_1->isEnabled());
    }

    void homingFieldsEditableOrGrey()
    {
        Fixture x;
        ShowParametersOption = true;
        x.window->ApplyShowParametersLayout();
        x.window->enableHomingParameters();
        QVERIFY(x.f->txtHomePosi->isEnabled());
        QCOMPARE(x.f->txtHomePosi->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xFF));
        x.window->disableHomingParameters();
        QVERIFY(!x.f->txtHomePosi->isEnabled());
        QVERIFY(!x.f->framHomePara->isEnabled());
        QCOMPARE(x.f->txtHomePosi->palette().color(QPalette::Base), QColor(0xE0, 0xE0, 0xE0));
    }

    void portLampFollowsThePort()
    {
        Fixture x;
        test::WindowLink w(x.window->link());
        QCOMPARE(w.link.open(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(x.f->imgPortGreen->isVisible(), 300);
        w.link.timeoutMs = 50;
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);  // time-out closes the port
        QTRY_VERIFY_WITH_TIMEOUT(!x.f->imgPortGreen->isVisible(), 300);
    }

    void alarmDisplayOnTheWindow()
    {
        Fixture x;
        test::WindowLink w(x.window->link());
        x.port.queueReply("0%%0A\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0MP"), 12, QStringLiteral("1")), 1);
        QVERIFY(x.f->imgAlarmLed->isVisible());
        QCOMPARE(x.f->lblAlarmNo->text(), QStringLiteral("0A"));
        QCOMPARE(x.f->lblErrorComment->text(), QStringLiteral("Output pulse can not match"));
        x.port.queueReply("0CM1\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0CM"), 6, QStringLiteral("1")), 0);
        QVERIFY(x.f->imgAlarmLed->isHidden());
        QCOMPARE(x.f->lblAlarmNo->text(), QStringLiteral("0A"));
        QCOMPARE(x.f->lblErrorComment->text(), QStringLiteral("No Error"));
    }

    // Exit questions: (data changed, answer, save result) -> window closed?
    void exit_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("saveResult");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("viaMenu");
        QTest::newRow("changed, Cancel") << true << int(MsgAnswer::Cancel) << 0 << false << false;
        QTest::newRow("changed, Cancel, menu Exit") << true << int(MsgAnswer::Cancel) << 0 << false << true;
        QTest::newRow("changed, No") << true << int(MsgAnswer::No) << 0 << true << false;
        QTest::newRow("changed, Yes, saved") << true << int(MsgAnswer::Yes) << 0 << true << false;
        QTest::newRow("changed, Yes, save failed") << true << int(MsgAnswer::Yes) << 1 << false << false;
        QTest::newRow("unchanged, OK") << false << int(MsgAnswer::Ok) << 0 << true << true;
        QTest::newRow("unchanged, Cancel") << false << int(MsgAnswer::Cancel) << 0 << false << false;
    }

    void exit()
    {
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(int, saveResult);
        QFETCH(bool, closed);
        QFETCH(bool, viaMenu);
        Fixture x;
        x.window->link().portChoice().keepOpen = true;
        QCOMPARE(test::windowLink().link.open(), 0);
        x.window->link().portChoice().number = 9;
        int saves = 0;
        x.window->saveData = [&] {
            ++saves;
            return saveResult;
        };
        x.doc().changed = changed;
        x.prompts.answers.enqueue(static_cast<MsgAnswer>(answer));
        if (viaMenu)
            x.f->mnuFileExit->trigger();
        else
            x.window->close();
        QCOMPARE(x.prompts.shown.size(), 1);
        const auto &asked = x.prompts.shown.first();
        QCOMPARE(asked.icon, MsgIcon::Question);
        if (changed) {
            QCOMPARE(asked.text, QStringLiteral("Data have been changed.Save the data into the file?"));
            QCOMPARE(asked.buttons, MsgButtons::YesNoCancel);
        } else {
            QCOMPARE(asked.text, QStringLiteral("Finish KZ PC-Software."));
            QCOMPARE(asked.buttons, MsgButtons::OkCancel);
        }
        QCOMPARE(saves, answer == int(MsgAnswer::Yes) ? 1 : 0);
        QCOMPARE(x.window->isVisible(), !closed);
        QCOMPARE(x.doc().changed, changed);
        if (closed) {
            QVERIFY(!x.port.isOpen());  // released even with port occupy on
            QSettings stored(SettingsFilePath(), QSettings::IniFormat);
            QCOMPARE(stored.value(QStringLiteral("Settings/PortNo")).toString(), QStringLiteral("9"));
        } else {
            QVERIFY(x.port.isOpen());
        }
    }

    void transferWindow()
    {
        Fixture x("1");
        x.window->move(100, 80);
        frmTrance trance(x.window.get());
        trance.show();
        QCOMPARE(trance.windowTitle(), QStringLiteral("KZ PC-Software ただいま通信中・・・"));
        QCOMPARE(trance.lblSetumei()->text(), QStringLiteral("データをコントローラへ転送しています"));
        QCOMPARE(trance.pos(), x.window->frameGeometry().topLeft()
                                   + QPoint(TwipsToPixelsX(500, x.window.get()), TwipsToPixelsY(500, x.window.get())));
        trance.close();  // the user's close is refused
        QVERIFY(trance.isVisible());
        QTest::keyClick(&trance, Qt::Key_Escape);
        QVERIFY(trance.isVisible());
        QCOMPARE(x.prompts.beeps, 1);
        trance.unload();
        QVERIFY(!trance.isVisible());
    }

    // A data name is shown as it is, never as markup; a long one is shortened in the middle with
    // the whole path in the tool tip.
    void dataNameIsShownWhole()
    {
        Fixture x;
        x.doc().name = QStringLiteral("<u>x");
        x.doc().path = QStringLiteral("/data/<u>x.kzd");
        x.window->ShowDataName();
        QCOMPARE(x.f->lblShowName->textFormat(), Qt::PlainText);
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("<u>x"));
        x.doc().name = QStringLiteral("line3_feeder12_changeover_2026-12-10_final");
        x.doc().path = QStringLiteral("/data/") + x.doc().name + QStringLiteral(".kzd");
        x.window->ShowDataName();
        const QString shown = x.f->lblShowName->text();
        QVERIFY2(shown.contains(QChar(0x2026)) && shown.startsWith(QLatin1String("line")) && shown.endsWith(QLatin1String("final")),
                 qPrintable(shown));
        QVERIFY(x.f->lblShowName->fontMetrics().horizontalAdvance(shown) <= x.f->lblShowName->contentsRect().width());
        QCOMPARE(x.f->lblShowName->toolTip(), x.doc().path);
    }

    // Every caption of both languages fits its label, in both layouts and with the parameters
    // shown, "Home" in the move-complete box included; none is split in the middle of a word.
    void captionsFitTheirLabels_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Japanese") << "1";
        QTest::newRow("English") << "2";
    }

    void captionsFitTheirLabels()
    {
        QFETCH(QString, language);
        Fixture x(language);
        ShowParametersOption = true;
        HomingParametersOption = true;
        x.window->enableHomingParameters();
        x.window->ApplyShowParametersLayout();
        x.window->MoveModeLayout();
        x.f->lblKanryoNo->setText(Str(460));
        FitCaption(x.f->lblKanryoNo);
        int checked = 0;
        for (QLabel *label : x.f->centralwidget->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            ++checked;
            QVERIFY2(CaptionFits(label, label->font().pointSizeF()), qPrintable(label->objectName() + ": " + label->text()));
        }
        QVERIFY2(checked > 20, qPrintable(QString::number(checked)));
    }

    void closeDuringAWaitIsHeldUntilTheOperationEnds()
    {
        Fixture x;
        x.port.queueReply(QList<test::Piece>{{"0RV140XYZ\r\n", 200}});
        x.prompts.answers.enqueue(MsgAnswer::Ok);
        int deferred = 0;
        connect(x.window.get(), &frmMain::closeDeferred, [&] { ++deferred; });
        QTimer::singleShot(30, x.window.get(), [&] { x.window->close(); });
        int result = -1;
        {
            frmMain::Busy busy(x.window.get());
            test::WindowLink w(x.window->link());
            result = w.exchange(QStringLiteral("0RV"), 11, QString());
            QVERIFY(x.window->isVisible());
            QVERIFY(x.prompts.shown.isEmpty());
        }
        QCOMPARE(result, 0);
        QCOMPARE(deferred, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!x.window->isVisible(), 1000);
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Finish KZ PC-Software.")});
    }

    // A read while the sensor and homing fields are hidden reads them too; shown afterwards from
    // Options they show what was read, nothing counts as changed, and Save As takes them.
    void groupFieldsShownAfterAReadShowWhatWasRead()
    {
        Fixture x;
        const ParameterSet read = test::ExampleSet();
        ParameterDocument controller;  // what the controller holds, as blocks
        controller.current = read;
        QCOMPARE(BuildWriteBlocks(controller.current, controller.blocks, true), 0);
        x.port.queueReply("0CM1\r\n");
        for (int slot = 1; slot <= 5; ++slot)
            x.port.queueReply("0RD" + controller.blocks[slot].toLatin1() + "\r\n");
        x.window->readAtStartup();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("Inside of C/T"));
        QVERIFY(x.f->txtSentanCount->text().isEmpty());  // hidden, so not filled

        x.window->showOptionsDialog = [] {
            ShowParametersOption = true;
            HomingParametersOption = false;
        };
        x.window->mnuViewOption_Click();
        const QList<QPair<QLineEdit *, qint32>> shown = {
            {x.f->txtLowKaijoCnt, read.SeparateTimer}, {x.f->txtSentanCount, read.SupplyCounter},
            {x.f->txtRestartDelay, read.RestartDelay}, {x.f->txtXXXCnt, read.MidDetectCounter},
            {x.f->txtNoWorkCount, read.NoWorkCounter}, {x.f->txtHensu1, read.TipWorkOffTimer},
            {x.f->txtHensu2, read.Sp1},                {x.f->txtHomeSokudo, read.HomingVel},
            {x.f->txtHomePosi, read.HomingPulse},      {x.f->txtOffsetSokudo, read.OffsetVel},
            {x.f->txtOffsetPosi, read.HomeOffset}};
        for (const auto &[field, value] : shown)
            QCOMPARE(field->text(), QString::number(value));
        QVERIFY(!x.doc().changed);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("read.kzd"));
        x.prompts.fileResults.enqueue(test::Chosen(path));
        QCOMPARE(x.window->mnuFileSaveAs_Click(), 0);
        QCOMPARE(x.prompts.texts(), QStringList{});
        ParameterDocument saved;
        QCOMPARE(ReadDataFile(path, saved), 0);
        QCOMPARE(saved.staged, read);

        // Shown once, the fields keep what the user types there through hiding and showing again.
        x.f->txtSentanCount->setText(QStringLiteral("9"));
        x.window->showOptionsDialog = [] { ShowParametersOption = false; };
        x.window->mnuViewOption_Click();
        x.window->showOptionsDialog = [] { ShowParametersOption = true; };
        x.window->mnuViewOption_Click();
        QCOMPARE(x.f->txtSentanCount->text(), QStringLiteral("9"));
    }

    // Blank fields that take no input cannot be entered as the usual message asks: the message
    // says what fills them instead.
    void blankFieldsThatTakeNoInputSayWhatToDo_data()
    {
        QTest::addColumn<bool>("homingEditable");
        QTest::addColumn<QString>("message");
        const QString blank = QStringLiteral("There are some blank fields.\r\nSome of them take no input: read the "
                                             "data with \"Read from C/T\" or open a data file.");
        QTest::newRow("homing fields locked") << false
                                              << blank + QStringLiteral("\r\nTo type the homing parameters, tick "
                                                                        "\"Change homing parameter\" in Options.");
        QTest::newRow("homing fields editable") << true << blank;
    }
    void blankFieldsThatTakeNoInputSayWhatToDo()
    {
        QFETCH(bool, homingEditable);
        QFETCH(QString, message);
        Fixture x;
        x.window->showOptionsDialog = [&] {
            ShowParametersOption = true;
            HomingParametersOption = homingEditable;
            homingEditable ? x.window->enableHomingParameters() : x.window->disableHomingParameters();
        };
        x.window->mnuViewOption_Click();
        x.f->comboVEL1->setEditText(QStringLiteral("5"));
        QCOMPARE(x.window->TakeScreen(), 1);
        QCOMPARE(x.prompts.texts(), QStringList{message});

        // New data fills SP1; with the homing fields editable only fields the user can type are
        // left blank, and the usual message asks for them.
        x.prompts.answers.enqueue(MsgAnswer::No);  // the edit above is not saved
        x.window->mnuFileNew_Click();
        QCOMPARE(x.f->txtHensu2->text(), QStringLiteral("0"));
        QCOMPARE(x.window->TakeScreen(), 1);
        QCOMPARE(x.prompts.texts().last(),
                 homingEditable ? QStringLiteral("There are some blank fields.\r\nEnter all fields and try it again.")
                                : message);
    }

    // The ACC and DEC spinners are reached with Tab and show it: their number is drawn selected.
    void spinnersShowTheFocus()
    {
        Fixture x;
        QVERIFY(QTest::qWaitForWindowActive(x.window.get()));
        x.f->lblPosi1Acc->setText(QStringLiteral("5"));
        x.f->comboVEL1->setFocus(Qt::TabFocusReason);
        const QImage unfocused = x.f->lblPosi1Acc->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(x.f->UpDown1));
        QVERIFY2(x.f->lblPosi1Acc->grab().toImage() != unfocused, "the focus does not show");
        QTest::keyClick(x.f->UpDown1, Qt::Key_Up);
        QCOMPARE(x.f->lblPosi1Acc->text(), QStringLiteral("6"));
        x.f->lblPosi1Acc->setText(QStringLiteral("5"));
        QTest::keyClick(x.f->UpDown1, Qt::Key_Tab);
        QVERIFY(!x.f->UpDown1->hasFocus());
        QCOMPARE(x.f->lblPosi1Acc->grab().toImage(), unfocused);
    }

    // The verify submenu's items have shortcuts of their own; its captions stay as they are, and
    // in move mode, where the submenu is off, the shortcuts do nothing.
    void verifySubmenuFromTheKeyboard()
    {
        Fixture x;
        QVERIFY(QTest::qWaitForWindowActive(x.window.get()));
        QCOMPARE(x.f->mnuCtShogo->text(), QStringLiteral("C/T"));
        QCOMPARE(x.f->mnuShogoFile->text(), QStringLiteral("File"));
        QSignalSpy ct(x.f->mnuCtShogo, &QAction::triggered);
        QSignalSpy file(x.f->mnuShogoFile, &QAction::triggered);
        const QString blank = QStringLiteral("There are some blank fields.\r\nEnter all fields and try it again.");
        QTest::keySequence(x.window->windowHandle(), x.f->mnuCtShogo->shortcut());
        QCOMPARE(ct.count(), 1);
        QCOMPARE(x.prompts.texts(), QStringList{blank});  // the verification ran and checked the screen
        QTest::keySequence(x.window->windowHandle(), x.f->mnuShogoFile->shortcut());
        QCOMPARE(file.count(), 1);
        QCOMPARE(x.prompts.texts(), (QStringList{blank, blank}));
        QVERIFY(x.f->mnuCtShogo->shortcut() != x.f->mnuShogoFile->shortcut());
        QVERIFY(!x.f->mnuCtShogo->shortcut().isEmpty());

        x.window->MoveModeLayout();
        QTest::keySequence(x.window->windowHandle(), x.f->mnuCtShogo->shortcut());
        QTest::keySequence(x.window->windowHandle(), x.f->mnuShogoFile->shortcut());
        QCOMPARE(ct.count() + file.count(), 2);
        QCOMPARE(x.prompts.texts().size(), 2);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
