// What to print and whether it is printed: the print selection dialog with its choice members, and the
// Print and Printer commands of the main window.

#include "core/strings.h"
#include "core/twips.h"
#include "files/data_file.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "printing/frmPrintSelect.h"
#include "main_window/print_commands.h"
#include "printing/print_ops.h"
#include "support/fake_port.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "ui_frmMain.h"
#include "ui_frmPrintSelect.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kz;

namespace {

const QString kBadFileMessage =
    QStringLiteral("File name is not correctly.\r\nConfirm the file name and try it again.");

// Plays a script of user actions on the dialog, one word each:
//   screen, file     pick option 0 or 1
//   browse           Browse, the file dialog answering with path
//   browse-cancelled Browse, the file dialog cancelled
//   ok, cancel       the two buttons
//   close, esc       the window's close box, the Escape key
void Play(frmPrintSelect &d, test::ScriptedPrompts &prompts, const QString &script, const QString &path)
{
    Ui::frmPrintSelect *f = d.form();
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step == QLatin1String("screen"))
            f->optPrintPosi_0->click();
        else if (step == QLatin1String("file"))
            f->optPrintPosi_1->click();
        else if (step == QLatin1String("browse")) {
            prompts.fileResults.enqueue(test::Chosen(path));
            f->cmdSelectPosiFile->click();
        } else if (step == QLatin1String("browse-cancelled"))
            f->cmdSelectPosiFile->click();
        else if (step == QLatin1String("ok"))
            f->cmdPrintSet->click();
        else if (step == QLatin1String("cancel"))
            f->cmdPrintCancel->click();
        else if (step == QLatin1String("close"))
            d.close();
        else if (step == QLatin1String("esc"))
            QTest::keyClick(&d, Qt::Key_Escape);
        else
            QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

ParameterSet ValidSet(int base)
{
    ParameterSet s;
    s.Vel1 = 10 + base, s.Acc1 = 5, s.Dec1 = 4, s.PauseTime1 = 30, s.Position1 = 200 + base;
    s.Vel2 = 20, s.Acc2 = 3, s.Dec2 = 2, s.PauseTime2 = base, s.Position2 = 350;
    s.SeparateTimer = 100, s.SupplyCounter = 8, s.RestartDelay = 100, s.MidDetectCounter = 15;
    s.NoWorkCounter = 200, s.TipWorkOffTimer = 20, s.Sp1 = 0, s.RevDir = 0;
    s.HomingVel = 8, s.HomingPulse = 300, s.OffsetVel = 6, s.HomeOffset = 2;
    return s;
}

QString PdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A main window with the report printer sent to a PDF file.
struct Fixture {
    Fixture()
    {
        window = std::make_unique<frmMain>();
        window->show();
        f = window->form();
        pdf = dir.filePath(QStringLiteral("report.pdf"));
        QPrinter &printer = ReportPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageOrientation(QPageLayout::Portrait);
        frmPrintSelect::PrintScreenData = false;
        frmPrintSelect::PrintFileData = false;
        SetPrinterQuery([] { return true; });
    }
    ~Fixture() { SetPrinterQuery({}); }

    // Runs the Print command, playing script on its selection dialog once that is shown.
    void print(const QString &script, const QString &path = QString())
    {
        run(mnuFilePrint_Click, script, path);
    }

    // Runs Save Report as PDF the same way; its save dialog answers with saveAnswer.
    void savePdf(const QString &script, const QString &path = QString())
    {
        run(mnuFileSavePdf_Click, script, path);
    }

    void run(void (*command)(frmMain &), const QString &script, const QString &path)
    {
        QTimer::singleShot(0, window.get(), [this, script, path] {
            auto *d = qobject_cast<frmPrintSelect *>(QApplication::activeModalWidget());
            QVERIFY2(d, "the selection dialog is not shown");
            buttonsOffDuringSelection = !f->cmdFileOpen->isEnabled() && !f->cmdGetfromCt->isEnabled();
            menusOnDuringSelection = f->mnuFilePrint->isEnabled() && f->mnuFileOpen->isEnabled();
            Play(*d, prompts, script, path);
            // Queued only now, so that a Browse in the script takes its own answer first.
            prompts.fileResults.enqueue(saveAnswer);
        });
        command(*window);
    }

    bool printed() const { return QFileInfo(pdf).size() > 0; }
    bool buttonsOn() const { return f->cmdFileOpen->isEnabled() && f->cmdGetfromCt->isEnabled(); }

    ParameterDocument &doc() const { return window->document(); }

    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::FakePort port;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;
    QTemporaryDir dir;
    QString pdf;
    FileDialogResult saveAnswer;
    bool buttonsOffDuringSelection = false;
    bool menusOnDuringSelection = false;
};

// Prompts that stand for the platform's printer dialogs: the page setup turns the page, the print
// dialog notes which printer it was given and how its page stood.
class PrinterDialogs final : public Prompts {
public:
    PrinterDialogs() { SetPrompts(this); }
    ~PrinterDialogs() override { SetPrompts(nullptr); }
    MsgAnswer message(const QString &text, MsgButtons, MsgIcon) override
    {
        messages << text;
        return MsgAnswer::Ok;
    }
    FileDialogResult openFile(const FileDialogRequest &) override { return {}; }
    FileDialogResult saveFile(const FileDialogRequest &) override { return {}; }
    bool printDialog(QPrinter *printer) override
    {
        printed = printer;
        orientationAtPrint = printer->pageLayout().orientation();
        return true;
    }
    // Answers Cancel first, then turns the page and answers OK.
    bool pageSetupDialog(QPrinter *printer) override
    {
        setUp = printer;
        if (setUps++ == 0)
            return false;
        printer->setPageOrientation(QPageLayout::Landscape);
        return true;
    }
    void beep() override {}
    void table(const TableRequest &) override {}

    int setUps = 0;
    QPrinter *setUp = nullptr;
    QPrinter *printed = nullptr;
    QPageLayout::Orientation orientationAtPrint = QPageLayout::Portrait;
    QStringList messages;
};

}  // namespace

class TestPrintSelect : public QObject {
    Q_OBJECT

private slots:
    // A fresh dialog: its texts, the screen option chosen, the file controls off until the file
    // option is picked, the place over its owner, and no file remembered from an earlier dialog.
    void freshDialog_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("texts");  // title, then the controls in the order below
        QTest::newRow("English") << kEnglishOffset
                                 << QStringList{"Print", "Please select data.", "Select",
                                                "Data indicating in the display.", "File data",
                                                "KZ data File(xxxx.kzd)", "Browse", "OK", "Cancel"};
        QTest::newRow("Japanese") << 0
                                  << QStringList{"印刷設定", "印刷するデータを選択して下さい。",
                                                 "印刷するﾃﾞｰﾀの選択", "ﾊﾟｿｺﾝ画面に表示されているﾃﾞｰﾀ",
                                                 "ﾌｧｲﾙに保存したﾃﾞｰﾀ", "KZデータファイル(xxxx.kzd)", "参照",
                                                 "OK", "ｷｬﾝｾﾙ"};
    }
    void freshDialog()
    {
        QFETCH(int, offset);
        QFETCH(QStringList, texts);
        test::TestEnv env;
        LangOffset = offset;
        QWidget owner;
        owner.move(120, 80);
        owner.show();
        frmPrintSelect::PrintCancelled = true;
        frmPrintSelect::PrintFilePath = QStringLiteral("/old/choice.kzd");

        frmPrintSelect d(&owner);
        Ui::frmPrintSelect *f = d.form();
        QCOMPARE(d.windowTitle(), texts[0]);
        const QStringList shown = {f->lblPrintSet->text(),        f->frmPrintPosi->title(),
                                   f->optPrintPosi_0->text(),     f->optPrintPosi_1->text(),
                                   f->lblPrintPosiName->text(),   f->cmdSelectPosiFile->text(),
                                   f->cmdPrintSet->text(),        f->cmdPrintCancel->text()};
        QCOMPARE(shown, texts.mid(1));
        QVERIFY(d.isModal());
        QCOMPARE(d.pos(), owner.frameGeometry().topLeft() +
                              QPoint(TwipsToPixelsX(500, &owner), TwipsToPixelsY(500, &owner)));
        QVERIFY(!frmPrintSelect::PrintCancelled);
        QVERIFY(frmPrintSelect::PrintFilePath.isEmpty());

        QVERIFY(f->optPrintPosi_0->isChecked());
        QVERIFY(!f->lblPrintPosiName->isEnabled());
        QVERIFY(!f->cmdSelectPosiFile->isEnabled());
        f->optPrintPosi_1->click();
        QVERIFY(f->lblPrintPosiName->isEnabled());
        QVERIFY(f->cmdSelectPosiFile->isEnabled());
        f->optPrintPosi_0->click();
        QVERIFY(!f->lblPrintPosiName->isEnabled());
        QVERIFY(!f->cmdSelectPosiFile->isEnabled());
    }

    // Every way of leaving the dialog, and what the Print command then reads. Both choice flags are
    // set beforehand, as an earlier print may have left them: OK sets them anew, Cancel keeps them.
    void choice_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("screen");
        QTest::addColumn<bool>("file");
        QTest::addColumn<bool>("message");
        QTest::newRow("OK: screen") << "ok" << false << false << true << false << false;
        QTest::newRow("OK: file") << "file browse ok" << false << false << false << true << false;
        QTest::newRow("file browsed, then screen") << "file browse screen ok" << false << false << true << false << false;
        QTest::newRow("OK: file without Browse") << "file ok" << true << false << false << false << true;
        QTest::newRow("file dialog cancelled") << "file browse-cancelled ok" << true << false << false << false << true;
        QTest::newRow("bad file, then screen") << "file ok screen ok" << false << false << true << false << true;
        QTest::newRow("Cancel") << "file browse cancel" << false << true << true << true << false;
        QTest::newRow("close box") << "close" << false << true << true << true << false;
        QTest::newRow("Escape") << "esc" << false << true << true << true << false;
    }
    void choice()
    {
        QFETCH(QString, script);
        QFETCH(bool, open);
        QFETCH(bool, cancelled);
        QFETCH(bool, screen);
        QFETCH(bool, file);
        QFETCH(bool, message);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("abc.kzd"));
        frmPrintSelect::PrintScreenData = true;
        frmPrintSelect::PrintFileData = true;

        frmPrintSelect d(nullptr);
        d.show();
        Play(d, prompts, script, path);

        QCOMPARE(d.isVisible(), open);
        QCOMPARE(frmPrintSelect::PrintCancelled, cancelled);
        QCOMPARE(frmPrintSelect::PrintScreenData, screen);
        QCOMPARE(frmPrintSelect::PrintFileData, file);
        QCOMPARE(prompts.texts(), message ? QStringList{kBadFileMessage} : QStringList{});
        if (message) {
            QCOMPARE(prompts.shown[0].buttons, MsgButtons::Ok);
            QCOMPARE(prompts.shown[0].icon, MsgIcon::None);
        }
        if (file && !cancelled) {
            QCOMPARE(frmPrintSelect::PrintFilePath, path);
            QCOMPARE(frmPrintSelect::PrintFileTitle, QStringLiteral("abc.kzd"));
        }
    }

    // Browse asks for an existing KZ data file; a chosen file shows by its name, a cancelled dialog
    // changes nothing.
    void browse()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        frmPrintSelect d(nullptr);
        Ui::frmPrintSelect *f = d.form();
        f->optPrintPosi_1->click();

        Play(d, prompts, QStringLiteral("browse-cancelled"), QString());
        QCOMPARE(f->lblPrintPosiName->text(), QStringLiteral("KZ data File(xxxx.kzd)"));
        QVERIFY(frmPrintSelect::PrintFilePath.isEmpty());
        QCOMPARE(prompts.fileRequests.size(), 1);
        QCOMPARE(prompts.fileRequests[0].filter, QStringLiteral("KZ data file(*.kzd)|*.kzd|All files(*.*)|*.*"));
        QVERIFY(prompts.fileRequests[0].mustExist);

        Play(d, prompts, QStringLiteral("browse"), QStringLiteral("/data/line 3/feeder.kzd"));
        QCOMPARE(f->lblPrintPosiName->text(), QStringLiteral("feeder.kzd"));
        QCOMPARE(frmPrintSelect::PrintFilePath, QStringLiteral("/data/line 3/feeder.kzd"));
        QCOMPARE(frmPrintSelect::PrintFileTitle, QStringLiteral("feeder.kzd"));

        Play(d, prompts, QStringLiteral("browse-cancelled"), QString());  // the first choice stays
        QCOMPARE(f->lblPrintPosiName->text(), QStringLiteral("feeder.kzd"));
        QCOMPARE(frmPrintSelect::PrintFilePath, QStringLiteral("/data/line 3/feeder.kzd"));

        // The next dialog starts without it: OK with the file option is refused.
        frmPrintSelect next(nullptr);
        next.show();
        QCOMPARE(next.form()->lblPrintPosiName->text(), QStringLiteral("KZ data File(xxxx.kzd)"));
        Play(next, prompts, QStringLiteral("file ok"), QString());
        QVERIFY(next.isVisible());
        QCOMPARE(prompts.texts(), QStringList{kBadFileMessage});
    }

    // Every way the Print command stops before the page: nothing printed, the staged copy as it was,
    // its message if it has one, and the command buttons on again.
    void stopsWithoutPrinting_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("file");  // content of the chosen file; "-" for a missing file
        QTest::addColumn<bool>("printAnswer");
        QTest::addColumn<bool>("blankVel");
        QTest::addColumn<bool>("printDialogShown");
        QTest::addColumn<QString>("message");
        QTest::newRow("selection cancelled") << "cancel" << "" << true << false << false << "";
        QTest::newRow("selection closed") << "close" << "" << true << false << false << "";
        QTest::newRow("print dialog cancelled") << "ok" << "" << false << false << true << "";
        QTest::newRow("blank VEL box") << "ok" << "" << true << true << true
                                       << "There are some blank fields.\r\nEnter all fields and try it again.";
        QTest::newRow("not a data file") << "file browse ok" << "kz-c1\r\n1,2,3\r\n" << true << false << true
                                         << "This is not KZ data file.\r\nOpening data file is stopped.";
        QTest::newRow("data file missing") << "file browse ok" << "-" << true << false << true
                                           << "Error occured while opening file.\r\nOpening file was stopped.\r\n@: No such file or directory";
    }
    void stopsWithoutPrinting()
    {
        QFETCH(QString, script);
        QFETCH(QString, file);
        QFETCH(bool, printAnswer);
        QFETCH(bool, blankVel);
        QFETCH(bool, printDialogShown);
        QFETCH(QString, message);
        Fixture x;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        if (blankVel)
            x.f->comboVEL1->setEditText(QString());
        const ParameterSet staged = ValidSet(7);
        x.doc().staged = staged;
        const QString path = x.dir.filePath(QStringLiteral("chosen.kzd"));
        if (file != QLatin1String("-")) {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(file.toLatin1());
        }
        x.prompts.printAnswers.enqueue(printAnswer);

        x.print(script, path);

        QVERIFY(!x.printed());
        QCOMPARE(x.prompts.printAnswers.isEmpty(), printDialogShown);
        message.replace(QLatin1Char('@'), path);  // the chosen file, named in a read failure
        QCOMPARE(x.prompts.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        QCOMPARE(x.doc().staged, staged);
        QCOMPARE(x.doc().current, ValidSet(1));
        QVERIFY(x.buttonsOffDuringSelection);
        QVERIFY(x.buttonsOn());
    }

    // The screen printed: taken through the check chain into the current copy and staged. With the
    // parameter groups hidden, the sensor and homing values are the current copy's, not the screen's.
    void printsScreenData()
    {
        Fixture x;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        QVERIFY(!x.window->ParameterGroupsActive());
        x.doc().current.SeparateTimer = 77;
        x.f->txtPosi1->setText(QStringLiteral("400"));
        x.prompts.printAnswers.enqueue(true);

        x.print(QStringLiteral("ok"));

        ParameterSet expected = ValidSet(1);
        expected.Position1 = 400;
        expected.SeparateTimer = 77;
        QCOMPARE(x.doc().current, expected);
        QCOMPARE(x.doc().staged, expected);
        QVERIFY(x.prompts.shown.isEmpty());
        QVERIFY(x.buttonsOffDuringSelection);
        QVERIFY(x.menusOnDuringSelection);
        QVERIFY(x.buttonsOn());
        QVERIFY(x.printed());
        const QString text = PdfText(x.pdf);
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Position 1 +11 +5 +4 +30 +400\\n"))), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Separate timer +77\\n"))), qPrintable(text));
        QVERIFY(!text.contains(QStringLiteral("File Name")));
    }

    // A file printed: its data staged and its name on the page; the screen, the current copy and the
    // record of unsaved edits stay as they were.
    void printsFileKeepingDataChanged_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::newRow("unsaved edits") << true;
        QTest::newRow("no edits") << false;
    }
    void printsFileKeepingDataChanged()
    {
        QFETCH(bool, changed);
        Fixture x;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        x.doc().changed = changed;
        QVERIFY(QDir(x.dir.path()).mkdir(QStringLiteral("folder")));
        const QString path = x.dir.filePath(QStringLiteral("folder/abc.kzd"));
        QVERIFY(WriteDataFile(path, ValidSet(9)));
        x.prompts.printAnswers.enqueue(true);

        x.print(QStringLiteral("file browse ok"), path);

        QCOMPARE(x.doc().staged, ValidSet(9));
        QCOMPARE(x.doc().current, ValidSet(1));
        QCOMPARE(x.doc().changed, changed);
        QVERIFY(x.prompts.shown.isEmpty());
        QVERIFY(x.buttonsOn());
        const QString text = PdfText(x.pdf);
        QVERIFY2(text.contains(QStringLiteral("File Name:abc.kzd\n")), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("Position 1 +19 +5 +4 +30 +209\\n"))), qPrintable(text));
    }

    // The printer set up once is the printer of every later print, page setup included; a cancelled
    // setup is no error.
    void pageSetupKeptBetweenPrints()
    {
        Fixture x;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        PrinterDialogs dialogs;
        mnuFilePageSetup_Click(*x.window);
        QCOMPARE(ReportPrinter().pageLayout().orientation(), QPageLayout::Portrait);
        mnuFilePageSetup_Click(*x.window);
        QCOMPARE(dialogs.setUps, 2);
        QVERIFY(dialogs.messages.isEmpty());
        QVERIFY(x.buttonsOn());
        QCOMPARE(dialogs.setUp, &ReportPrinter());

        x.print(QStringLiteral("ok"));
        QCOMPARE(dialogs.printed, dialogs.setUp);
        QCOMPARE(dialogs.orientationAtPrint, QPageLayout::Landscape);
        QVERIFY(x.printed());
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {x.pdf});
        QVERIFY(info.waitForFinished(30000));
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        const auto size = QRegularExpression(QStringLiteral("Page size: +([\\d.]+) x ([\\d.]+)")).match(out);
        QVERIFY2(size.hasMatch(), qPrintable(out));
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
    }

    // A printer that fails after the print dialog says so, with the reason where one is known; the
    // buttons come back.
    void printerFailureIsSaid_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("said");
        QTest::newRow("English") << kEnglishOffset << "The report could not be printed.";
        QTest::newRow("Japanese") << 0 << "印刷できませんでした。";
    }
    void printerFailureIsSaid()
    {
        QFETCH(int, offset);
        QFETCH(QString, said);
        Fixture x;
        LangOffset = offset;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        const QString target = x.dir.filePath(QStringLiteral("no such folder/report.pdf"));
        ReportPrinter().setOutputFileName(target);
        x.prompts.printAnswers.enqueue(true);
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");

        x.print(QStringLiteral("ok"));

        QCOMPARE(x.prompts.texts(),
                 QStringList{said + QStringLiteral("\r\n") + target + QStringLiteral(": No such file or directory")});
        QCOMPARE(x.prompts.shown.constFirst().buttons, MsgButtons::Ok);
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(x.doc().staged, ValidSet(1));
        QVERIFY(x.buttonsOn());
    }

    // Without a printer, Print says so and points to the PDF command before anything else is shown.
    void noPrinterPointsToThePdfCommand()
    {
        Fixture x;
        SetPrinterQuery([] { return false; });
        x.prompts.printAnswers.enqueue(true);
        QTimer watch;
        bool dialogShown = false;
        connect(&watch, &QTimer::timeout, [&] {
            if (auto *d = QApplication::activeModalWidget()) {
                dialogShown = true;
                d->close();
            }
        });
        watch.start(0);

        mnuFilePrint_Click(*x.window);
        QCoreApplication::processEvents();

        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral(
                                        "No printer is installed.\r\nUse File > Save Report as PDF... to keep the "
                                        "report as a PDF file.")});
        QVERIFY(!dialogShown);
        QCOMPARE(x.prompts.printAnswers.size(), 1);  // no print dialog
        QVERIFY(!x.printed());
        QVERIFY(x.buttonsOn());
        QVERIFY(x.f->mnuFileSavePdf->isEnabled());
    }

    // Save Report as PDF, with no printer installed: the same selection and staging as Print, the
    // file chosen in a save dialog named after the data, and the page of the chosen data written.
    void savesTheReportAsPdf_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("dataName");
        QTest::addColumn<QString>("defaultName");
        QTest::addColumn<QString>("expected");  // a line of the page, as pdftotext -layout gives it
        QTest::addColumn<bool>("fileLine");
        QTest::newRow("screen") << "ok" << "New data" << "New data.pdf" << "Position 1 +11 +5 +4 +30 +400\\n"
                                << false;
        QTest::newRow("file") << "file browse ok" << "Inside of C/T" << "abc.pdf" << "Position 1 +19 +5 +4 +30 +209\\n"
                              << true;
        QTest::newRow("data read from the controller") << "ok" << "Inside of C/T" << "Inside of C_T.pdf"
                                                       << "Position 1 +11 +5 +4 +30 +400\\n" << false;
    }
    void savesTheReportAsPdf()
    {
        QFETCH(QString, script);
        QFETCH(QString, dataName);
        QFETCH(QString, defaultName);
        QFETCH(QString, expected);
        QFETCH(bool, fileLine);
        Fixture x;
        SetPrinterQuery([] { return false; });
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        x.f->txtPosi1->setText(QStringLiteral("400"));
        x.doc().name = dataName;
        const QString dataFile = x.dir.filePath(QStringLiteral("abc.kzd"));
        QVERIFY(WriteDataFile(dataFile, ValidSet(9)));
        const QString target = x.dir.filePath(QStringLiteral("saved report.pdf"));
        x.saveAnswer = test::Chosen(target);

        x.savePdf(script, dataFile);

        QVERIFY(x.prompts.shown.isEmpty());
        QVERIFY(x.buttonsOffDuringSelection);
        QVERIFY(x.buttonsOn());
        QVERIFY(!x.printed());  // the printer is not involved
        const FileDialogRequest &request = x.prompts.fileRequests.constLast();
        QCOMPARE(request.title, QStringLiteral("Save Report as PDF"));
        QCOMPARE(request.fileName, defaultName);
        QCOMPARE(request.defaultExt, QStringLiteral("pdf"));
        QCOMPARE(ToQtFilter(request.filter), QStringLiteral("PDF file(*.pdf);;All files(*.*)"));
        QVERIFY(request.confirmOverwrite);
        const QString text = PdfText(target);
        QVERIFY2(text.contains(QRegularExpression(expected)), qPrintable(text));
        QCOMPARE(text.contains(QStringLiteral("File Name:abc.kzd")), fileLine);
    }

    // Every way the PDF command ends without a file: nothing written, the right message or none,
    // the buttons back. A file already at the target stays as it was.
    void savePdfStops_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("saveChosen");
        QTest::addColumn<bool>("blankVel");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("saveDialogs");
        QTest::addColumn<QString>("message");  // %1: the target, %2: the data file chosen
        QTest::newRow("selection cancelled") << "cancel" << true << false << "report.pdf" << 0 << "";
        QTest::newRow("save dialog cancelled") << "ok" << false << false << "report.pdf" << 1 << "";
        // The data is checked before the save dialog, which is then not shown.
        QTest::newRow("screen incomplete") << "ok" << true << true << "report.pdf" << 0
                                           << "There are some blank fields.\r\nEnter all fields and try it again.";
        QTest::newRow("data file unreadable") << "file browse ok" << true << false << "report.pdf" << 0
                                              << "Error occured while opening file.\r\nOpening file was stopped.\r\n"
                                                 "%2: the file ends after 2 of its 31 fields";
        QTest::newRow("folder missing") << "ok" << true << false << "no such folder/report.pdf" << 1
                                        << "The PDF file could not be saved.\r\n%1: No such file or directory";
    }
    void savePdfStops()
    {
        QFETCH(QString, script);
        QFETCH(bool, saveChosen);
        QFETCH(bool, blankVel);
        QFETCH(QString, target);
        QFETCH(int, saveDialogs);
        QFETCH(QString, message);
        Fixture x;
        x.doc().current = ValidSet(1);
        x.window->ScreenFill();
        if (blankVel)
            x.f->comboVEL1->setEditText(QString());
        const QString path = x.dir.filePath(target);
        const QString existing = x.dir.filePath(QStringLiteral("report.pdf"));
        {
            QFile old(existing);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an earlier report");
        }
        x.saveAnswer = saveChosen ? test::Chosen(path) : test::Cancelled();
        const QString dataFile = x.dir.filePath(QStringLiteral("short.kzd"));
        {
            QFile data(dataFile);
            QVERIFY(data.open(QIODevice::WriteOnly));
            data.write("KZ-C1\r\n1\r\n");
        }
        const bool browses = script.contains(QLatin1String("browse"));

        x.savePdf(script, dataFile);

        // A Browse in the script is a file dialog of its own.
        QCOMPARE(x.prompts.fileRequests.size(), saveDialogs + (browses ? 1 : 0));
        QCOMPARE(x.prompts.texts(), message.isEmpty() ? QStringList{}
                                                      : QStringList{QString(message).replace(QStringLiteral("%1"), path).replace(QStringLiteral("%2"), dataFile)});
        QFile old(existing);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("an earlier report"));
        QVERIFY(!QFileInfo::exists(path) || path == existing);
        QVERIFY(x.buttonsOn());
    }
};

QTEST_MAIN(TestPrintSelect)
#include "test_print_select.moc"
