// Open, Save, Save As and New data on the main window, with scripted file dialogs.

#include "core/settings.h"
#include "files/data_file.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/sample_sets.h"
#include "support/fake_port.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QDir>
#include <QLineEdit>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kz;
using test::Cancelled;
using test::Chosen;

namespace {

const QString kChangedQuestion = QStringLiteral("Data have been changed.Save the data into the file?");

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Fixture {
    Fixture()
    {
        LoadLanguage();
        window = std::make_unique<frmMain>();
        window->show();
        f = window->form();
        doc().current = test::ExampleSet();
        window->ScreenFill();
    }
    QString path(const QString &name) const { return QDir(files.path()).filePath(name); }

    ParameterDocument &doc() const { return window->document(); }

    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::FakePort port;
    QTemporaryDir files;
    std::unique_ptr<frmMain> window;
    Ui::frmMain *f = nullptr;
};

}  // namespace

class TestFileOps : public QObject {
    Q_OBJECT

private slots:
    void saveAsksForANameOnceThenReplacesWithoutAsking()
    {
        Fixture x;
        x.prompts.fileResults.enqueue(Chosen(x.path("x.kzd")));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        QCOMPARE(x.prompts.fileRequests.size(), 1);
        const FileDialogRequest &asked = x.prompts.fileRequests.first();
        QCOMPARE(asked.filter, QStringLiteral("KZ dataKZ data file(*.kzd)|*.kzd|All files(*.*)|*.*"));
        QVERIFY(asked.confirmOverwrite);
        QCOMPARE(ReadAll(x.path("x.kzd")), DataFileBytes(test::ExampleSet()));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("x"));
        QVERIFY(!x.doc().changed);

        x.f->txtPosi1->setText(QStringLiteral("123"));
        QVERIFY(x.doc().changed);
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        QCOMPARE(x.prompts.fileRequests.size(), 1);  // no dialog the second time
        QVERIFY(ReadAll(x.path("x.kzd")).contains("10,5,5,123,30\r\n"));
        QVERIFY(!x.doc().changed);
        QVERIFY(x.prompts.shown.isEmpty());
        QVERIFY(x.f->cmdSaveFile->isEnabled());
    }

    void openTakesTheFileAndItsName()
    {
        Fixture x;
        ParameterSet other = test::ExampleSet();
        other.Position1 = 500;  // beyond what typing allows: read and shown all the same
        QVERIFY(WriteDataFile(x.path("abc.txt"), other));
        x.f->txtPosi2->setText(QStringLiteral("9"));
        x.prompts.answers.enqueue(MsgAnswer::No);  // the edit is not wanted
        x.prompts.fileResults.enqueue(Chosen(x.path("abc.txt")));
        x.window->cmdFileOpen_Click();
        const FileDialogRequest &asked = x.prompts.fileRequests.first();
        QCOMPARE(asked.title, QStringLiteral("Open KZ data file"));
        QCOMPARE(asked.filter, QStringLiteral("KZ data file(*.kzd)|*.kzd|All files(*.*)|*.*"));
        QCOMPARE(asked.defaultExt, QStringLiteral("kzd"));
        QVERIFY(asked.mustExist);
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("abc"));
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("500"));
        QCOMPARE(x.f->txtPosi2->text(), QStringLiteral("350"));
        QCOMPARE(x.doc().current, other);
        QVERIFY(!x.doc().changed);
        // The next Save replaces exactly the file that was opened.
        x.f->txtPosi2->setText(QStringLiteral("351"));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        QVERIFY(!QFile::exists(x.path("abc.kzd")));
        other.Position2 = 351;
        QCOMPARE(ReadAll(x.path("abc.txt")), DataFileBytes(other));
        QCOMPARE(x.prompts.fileRequests.size(), 1);
    }

    void failedOpenChangesNothing()
    {
        Fixture x;
        QFile bad(x.path("bad.kzd"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("kz-c1\r\n1,2,3\r\n");
        bad.close();
        x.doc().changed = true;
        x.prompts.answers.enqueue(MsgAnswer::No);
        x.prompts.fileResults.enqueue(Chosen(x.path("bad.kzd")));
        x.window->cmdFileOpen_Click();
        QCOMPARE(x.prompts.texts(), (QStringList{kChangedQuestion, QStringLiteral("This is not KZ data file.\r\nOpening data file is stopped.")}));
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
        QCOMPARE(x.doc().current, test::ExampleSet());
        QVERIFY(x.doc().changed);
        // A cancelled dialog: nothing at all.
        x.prompts.answers.enqueue(MsgAnswer::No);
        x.prompts.fileResults.enqueue(Cancelled());
        x.window->cmdFileOpen_Click();
        QCOMPARE(x.prompts.shown.size(), 3);
        QVERIFY(x.f->cmdFileOpen->isEnabled());
    }

    // With unsaved edits, Open asks as New data does; only a save that happened or a No lets it
    // replace the screen.
    void openAsksBeforeItDiscards_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("saveTo");  // file chosen in the Save dialog; empty: cancelled
        QTest::addColumn<bool>("opened");
        QTest::newRow("Cancel") << int(MsgAnswer::Cancel) << QString() << false;
        QTest::newRow("No") << int(MsgAnswer::No) << QString() << true;
        QTest::newRow("Yes, saved") << int(MsgAnswer::Yes) << QStringLiteral("kept.kzd") << true;
        QTest::newRow("Yes, save cancelled") << int(MsgAnswer::Yes) << QString() << false;
        QTest::newRow("Yes, save failed") << int(MsgAnswer::Yes) << QStringLiteral("gone/kept.kzd") << false;
    }

    void openAsksBeforeItDiscards()
    {
        QFETCH(int, answer);
        QFETCH(QString, saveTo);
        QFETCH(bool, opened);
        Fixture x;
        ParameterSet other = test::ExampleSet();
        other.Position1 = 11;
        QVERIFY(WriteDataFile(x.path("other.kzd"), other));
        x.f->txtPosi1->setText(QStringLiteral("77"));
        QVERIFY(x.doc().changed);
        x.prompts.answers.enqueue(MsgAnswer(answer));
        if (answer == int(MsgAnswer::Yes))
            x.prompts.fileResults.enqueue(saveTo.isEmpty() ? Cancelled() : Chosen(x.path(saveTo)));
        x.prompts.fileResults.enqueue(Chosen(x.path("other.kzd")));
        x.window->cmdFileOpen_Click();
        QCOMPARE(x.prompts.shown.first().text, kChangedQuestion);
        QCOMPARE(x.prompts.shown.first().buttons, MsgButtons::YesNoCancel);
        QCOMPARE(x.f->txtPosi1->text(), opened ? QStringLiteral("11") : QStringLiteral("77"));
        QCOMPARE(x.doc().changed, !opened);
        if (answer == int(MsgAnswer::Yes) && !saveTo.isEmpty() && opened) {
            ParameterSet saved = test::ExampleSet();
            saved.Position1 = 77;
            QCOMPARE(ReadAll(x.path(saveTo)), DataFileBytes(saved));
        }
        QVERIFY(x.f->cmdFileOpen->isEnabled());
    }

    // Save replaces the file the data came from, whichever folder a later dialog (Verify File
    // here) has shown, and keeps its name as it was spelt.
    void saveGoesBackToTheFileTheDataCameFrom_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("lower case") << QStringLiteral("x.kzd");
        QTest::newRow("upper case") << QStringLiteral("UPPER.KZD");
    }

    void saveGoesBackToTheFileTheDataCameFrom()
    {
        QFETCH(QString, name);
        Fixture x;
        QVERIFY(QDir(x.files.path()).mkpath("A") && QDir(x.files.path()).mkpath("B"));
        const QString a = x.path("A/" + name);
        QVERIFY(WriteDataFile(a, test::ExampleSet()));
        QVERIFY(WriteDataFile(x.path("B/y.kzd"), test::ExampleSet()));
        x.prompts.fileResults.enqueue(Chosen(a));
        x.window->cmdFileOpen_Click();
        x.prompts.fileResults.enqueue(Chosen(x.path("B/y.kzd")));
        x.window->cmdShogoFile_Click();
        x.f->txtPosi1->setText(QStringLiteral("123"));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        QCOMPARE(x.prompts.fileRequests.size(), 2);  // no Save dialog
        ParameterSet edited = test::ExampleSet();
        edited.Position1 = 123;
        QCOMPARE(ReadAll(a), DataFileBytes(edited));
        QCOMPARE(QDir(x.path("A")).entryList(QDir::Files), QStringList{name});
        QCOMPARE(QDir(x.path("B")).entryList(QDir::Files), QStringList{QStringLiteral("y.kzd")});
        QVERIFY(!x.doc().changed);
        // Data from the controller or New data have no file: Save asks for one.
        x.window->mnuFileNew_Click();
        x.window->ScreenFill();
        x.prompts.fileResults.enqueue(Cancelled());
        QCOMPARE(x.window->cmdSaveFile_Click(), 1);
        QCOMPARE(x.prompts.fileRequests.size(), 3);
    }

    // A Save As that fails says so with the system's reason; one the user cancels says nothing.
    void saveAsFailureSaysWhy()
    {
        Fixture x;
        QFile plain(x.path("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        x.prompts.fileResults.enqueue(Chosen(x.path("plain/inside.kzd")));  // a folder that is a file
        QCOMPARE(x.window->mnuFileSaveAs_Click(), 1);
        QCOMPARE(x.prompts.shown.size(), 1);
        const QStringList lines = x.prompts.shown.first().text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.first(), QStringLiteral("Saving was stopped"));
        QVERIFY2(!lines.last().isEmpty(), "the system's reason");
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
    }

    // The save offered before a read fails: the user learns why and that nothing was read; the
    // controller is not touched and the edits stay.
    void failedSaveBeforeAReadSaysNothingWasRead()
    {
        Fixture x;
        x.f->txtPosi1->setText(QStringLiteral("77"));
        x.prompts.answers.enqueue(MsgAnswer::Yes);
        x.prompts.fileResults.enqueue(Chosen(x.path("gone/kept.kzd")));
        x.window->cmdGetfromCt_Click();
        QVERIFY(test::WaitForIdle(x.window));
        QCOMPARE(x.prompts.shown.size(), 2);
        QCOMPARE(x.prompts.shown.first().text, QStringLiteral("Saving editing data before reading the data?"));
        const QStringList lines = x.prompts.shown.last().text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.first(), QStringLiteral("Saving was stopped"));
        QVERIFY(!lines.at(1).isEmpty());
        QCOMPARE(lines.last(), QStringLiteral("Nothing was read from the controller."));
        QVERIFY(x.port.frames.isEmpty());
        QCOMPARE(x.f->txtPosi1->text(), QStringLiteral("77"));
        QVERIFY(x.doc().changed);
    }

    // New data with the sensor and homing groups shown leaves SP1, which takes no input, at 0:
    // Save and Write are not blocked for ever by a field the user cannot fill.
    void newDataLeavesNoFieldThatCannotBeFilled()
    {
        Fixture x;
        ShowParametersOption = true;
        HomingParametersOption = true;
        x.window->enableHomingParameters();
        x.window->ApplyShowParametersLayout();
        x.window->EditModeLayout();
        x.window->mnuFileNew_Click();
        QCOMPARE(x.f->txtHensu2->text(), QStringLiteral("0"));
        const std::pair<QLineEdit *, const char *> typed[] = {
            {x.f->txtPosi1, "10"}, {x.f->txtPosi2, "20"}, {x.f->txtPosi1Timer, "1"}, {x.f->txtPosi2Timer, "2"},
            {x.f->txtHomeSokudo, "3"}, {x.f->txtHomePosi, "4"}, {x.f->txtOffsetSokudo, "5"},
            {x.f->txtOffsetPosi, "6"}, {x.f->txtSentanCount, "7"}, {x.f->txtNoWorkCount, "8"},
            {x.f->txtRestartDelay, "9"}, {x.f->txtLowKaijoCnt, "10"}, {x.f->txtXXXCnt, "11"},
            {x.f->txtHensu1, "12"}};
        for (const auto &[edit, text] : typed)
            edit->setText(QLatin1String(text));
        x.prompts.fileResults.enqueue(Chosen(x.path("fresh.kzd")));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        QVERIFY(x.prompts.shown.isEmpty());
        QCOMPARE(x.doc().current.Sp1, 0);
    }

    // Anything that is not a regular file gets the cannot-read message at once, from Open and
    // Verify File alike (printing a file reads it the same way); a pipe would block for ever.
    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << QStringLiteral("fifo");
        QTest::newRow("folder") << QStringLiteral("dir");
        QTest::newRow("device") << QStringLiteral("device");
        QTest::newRow("vanished") << QStringLiteral("gone");
    }

    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, kind);
        Fixture x;
        QString path = x.path("thing.kzd");
        if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("dir"))
            QVERIFY(QDir(x.files.path()).mkdir("thing.kzd"));
        else if (kind == QLatin1String("device"))
            path = QStringLiteral("/dev/zero");
        // The file and the reason follow the message's two lines.
        const QString cannotRead = QStringLiteral("Error occured while opening file.\r\nOpening file was stopped.\r\n") + path
                                   + (kind == QLatin1String("gone") ? QStringLiteral(": No such file or directory")
                                                                    : QStringLiteral(": not a regular file (a folder, a device or a pipe)"));
        x.prompts.fileResults.enqueue(Chosen(path));
        x.window->cmdFileOpen_Click();
        x.prompts.fileResults.enqueue(Chosen(path));
        x.window->cmdShogoFile_Click();
        QCOMPARE(x.prompts.texts(), (QStringList{cannotRead, cannotRead}));
        QCOMPARE(x.doc().current, test::ExampleSet());
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
    }

    void saveCancelledOrFailedSaysSavingWasStopped()
    {
        Fixture x;
        x.doc().changed = true;
        x.prompts.fileResults.enqueue(Cancelled());
        QCOMPARE(x.window->cmdSaveFile_Click(), 1);
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("Saving was stopped")});
        QVERIFY(x.doc().changed);
        // A name whose folder has gone: the write fails with the system's reason, the name stays.
        x.prompts.fileResults.enqueue(Chosen(x.path("gone/y.kzd")));
        QCOMPARE(x.window->cmdSaveFile_Click(), 1);
        QCOMPARE(x.prompts.shown.size(), 2);
        QVERIFY2(x.prompts.shown.last().text.startsWith(QStringLiteral("Saving was stopped\r\n")), qPrintable(x.prompts.shown.last().text));
        QVERIFY(x.prompts.shown.last().text.size() > 20);
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
        QVERIFY(x.doc().changed);
        // A file called just ".kzd" would leave the data nameless: refused.
        x.prompts.fileResults.enqueue(Chosen(x.path(".kzd")));
        QCOMPARE(x.window->cmdSaveFile_Click(), 1);
        QVERIFY(!QFile::exists(x.path(".kzd")));
    }

    void blankFieldStopsSaveBeforeAnyDialog()
    {
        Fixture x;
        x.f->txtPosi1Timer->clear();
        QCOMPARE(x.window->cmdSaveFile_Click(), 1);
        QCOMPARE(x.prompts.texts(), QStringList{QStringLiteral("There are some blank fields.\r\nEnter all fields and try it again.")});
        QVERIFY(x.prompts.fileRequests.isEmpty());
    }

    void saveAsProposesItsNameAndSaysNothingWhenCancelled()
    {
        Fixture x;
        x.prompts.fileResults.enqueue(Cancelled());
        QCOMPARE(x.window->mnuFileSaveAs_Click(), 1);
        const FileDialogRequest &asked = x.prompts.fileRequests.first();
        QCOMPARE(asked.title, QStringLiteral("Save to file As ..."));
        QCOMPARE(asked.fileName, QStringLiteral("kzdata1.kzd"));
        QCOMPARE(asked.filter, QStringLiteral("ＫＺ data file(*.kzd)|*.kzd|"));
        QCOMPARE(asked.defaultExt, QStringLiteral("kzd"));
        QVERIFY(x.prompts.shown.isEmpty());
        x.prompts.fileResults.enqueue(Chosen(x.path("kzdata1.kzd")));
        QCOMPARE(x.window->mnuFileSaveAs_Click(), 0);
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("kzdata1"));
    }

    void newData_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saveSucceeds");
        QTest::addColumn<bool>("cleared");
        QTest::newRow("Cancel") << int(MsgAnswer::Cancel) << false << false;
        QTest::newRow("No") << int(MsgAnswer::No) << false << true;
        QTest::newRow("Yes, saved") << int(MsgAnswer::Yes) << true << true;
        QTest::newRow("Yes, save cancelled") << int(MsgAnswer::Yes) << false << false;
    }

    void newData()
    {
        QFETCH(int, answer);
        QFETCH(bool, saveSucceeds);
        QFETCH(bool, cleared);
        Fixture x;
        x.f->txtPosi1->setText(QStringLiteral("77"));
        x.prompts.answers.enqueue(MsgAnswer(answer));
        x.prompts.fileResults.enqueue(saveSucceeds ? Chosen(x.path("n.kzd")) : Cancelled());
        x.window->mnuFileNew_Click();
        QCOMPARE(x.prompts.shown.first().text, QStringLiteral("Data have been changed.Save the data into the file?"));
        QCOMPARE(x.f->txtPosi1->text(), cleared ? QString() : QStringLiteral("77"));
        QCOMPARE(x.f->comboVEL1->currentText(), cleared ? QStringLiteral("1") : QStringLiteral("10"));
        QCOMPARE(x.f->lblPosi2Acc->text(), cleared ? QStringLiteral("1") : QStringLiteral("3"));
        QCOMPARE(x.doc().changed, !cleared);
        QCOMPARE(x.f->lblShowName->text(), QStringLiteral("New data"));
        QCOMPARE(QFile::exists(x.path("n.kzd")), saveSucceeds);
        // New data leaves the current copy alone; only a save takes the screen into it.
        QCOMPARE(x.doc().current.Position1, answer == int(MsgAnswer::Yes) ? 77 : 200);
        QVERIFY(x.f->cmdFileOpen->isEnabled());
        QVERIFY(x.f->mnuFileNew->isEnabled());
    }

    void newDataLeavesInactiveGroupsAlone()
    {
        Fixture x;
        x.f->txtSentanCount->setText(QStringLiteral("42"));
        x.doc().changed = false;
        x.window->mnuFileNew_Click();
        QVERIFY(x.prompts.shown.isEmpty());
        QCOMPARE(x.f->txtSentanCount->text(), QStringLiteral("42"));
        QCOMPARE(x.f->txtPosi2->text(), QString());
    }

    void savedThenOpenedGivesTheSameValues()
    {
        Fixture x;
        ShowParametersOption = true;
        x.window->ApplyShowParametersLayout();
        x.window->EditModeLayout();
        ParameterSet p = test::ExampleSet();
        p.RevDir = 1;
        p.Sp1 = 7;
        x.doc().current = p;
        x.window->ScreenFill();
        x.prompts.fileResults.enqueue(Chosen(x.path("r.kzd")));
        QCOMPARE(x.window->cmdSaveFile_Click(), 0);
        x.doc().current = ParameterSet();
        x.prompts.fileResults.enqueue(Chosen(x.path("r.kzd")));
        x.window->cmdFileOpen_Click();
        QCOMPARE(x.doc().staged, p);
        QCOMPARE(x.doc().current, p);
        QVERIFY(x.f->chkRevDir->isChecked());
    }
};

QTEST_MAIN(TestFileOps)
#include "test_file_ops.moc"
