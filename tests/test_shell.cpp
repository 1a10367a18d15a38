// The shell's small pieces: version text, About box, system information, help, a read whose
// replies carry no hexadecimal data, the command line and a start on a data file.

#include "app/command_line.h"
#include "app/frmAbout.h"
#include "app/frmSelection.h"
#include "app/help.h"
#include "core/prompts.h"
#include "core/settings.h"
#include "core/strings.h"
#include "app/startup.h"
#include "core/version.h"
#include "files/data_file.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/fake_port.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmAbout.h"
#include "ui_frmMain.h"
#include "ui_frmSelection.h"

#include <QProcess>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <QTest>
#include <QTimer>

using namespace kz;

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void versionText()
    {
        QCOMPARE(VersionNumberText(1, 4, 0), QStringLiteral("1.40E"));
        QCOMPARE(VersionNumberText(2, 10, 3), QStringLiteral("2.103E"));
        QCOMPARE(VersionText(), QStringLiteral("Version 1.50E"));
        QCOMPARE(PlainVersionText(), QStringLiteral("1.5.0"));
    }

    // The window's --version and kzpc-cli's --version name one release, the one the windows show.
    void everyProgramSaysTheSameVersion_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("name");
        QTest::newRow("kzpc") << QStringLiteral(KZPC_PATH) << "kzpc";
        QTest::newRow("kzpc-cli") << QStringLiteral(KZPC_CLI_PATH) << "kzpc-cli";
    }
    void everyProgramSaysTheSameVersion()
    {
        QFETCH(QString, program);
        QFETCH(QString, name);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, {QStringLiteral("--version")});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), name + QLatin1Char(' ') + PlainVersionText() + QLatin1Char('\n'));
    }

    void fileDialogFilters_data()
    {
        QTest::addColumn<QString>("pipes");
        QTest::addColumn<QString>("qt");
        QTest::newRow("open") << "KZ data file(*.kzd)|*.kzd|All files(*.*)|*.*"
                              << "KZ data file(*.kzd);;All files(*.*)";
        QTest::newRow("save: two descriptions run together") << "KZ dataKZ data file(*.kzd)|*.kzd|All files(*.*)|*.*"
                                                             << "KZ dataKZ data file(*.kzd);;All files(*.*)";
        QTest::newRow("save as: trailing bar") << "ＫＺ data file(*.kzd)|*.kzd|" << "ＫＺ data file(*.kzd)";
        QTest::newRow("pattern not in the description") << "Data|*.kzd;*.txt" << "Data (*.kzd *.txt)";
    }

    void fileDialogFilters()
    {
        QFETCH(QString, pipes);
        QFETCH(QString, qt);
        QCOMPARE(ToQtFilter(pipes), qt);
    }

    void aboutBox_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("button");
        QTest::newRow("en") << kEnglishOffset << "KZ PC-Software Version information" << "System Info(&S)...";
        QTest::newRow("ja") << 0 << "KZ PC-Software ﾊﾞｰｼﾞｮﾝ情報" << "ｼｽﾃﾑ情報(&S)...";
    }

    void aboutBox()
    {
        QFETCH(int, offset);
        QFETCH(QString, caption);
        QFETCH(QString, button);
        test::TestEnv env;
        LangOffset = offset;
        frmAbout about;
        QCOMPARE(about.windowTitle(), caption);
        QCOMPARE(about.form()->cmdSysInfo->text(), button);
        QCOMPARE(about.form()->lblVersion->text(), QStringLiteral("Version 1.50E"));
        QCOMPARE(about.form()->lblTitle->text(), QStringLiteral("KZ PC-Software"));
        QCOMPARE(about.form()->lblDescription->text(), Str(404));
        QVERIFY(!about.form()->lblDisclaimer->text().isEmpty());
    }

    void systemInfoWithoutAViewerSaysSo()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        QVERIFY(!StartSysInfo({QStringLiteral("no-such-viewer-kz")}));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません")});
        QCOMPARE(prompts.shown.first().buttons, MsgButtons::Ok);
    }

    void helpWithoutAFileShowsTheMessage()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        InitHelpPath();
        QVERIFY(HelpFilePath.startsWith(QCoreApplication::applicationDirPath()));
        ShowHelp(nullptr, Str(463));
        HelpFilePath.clear();
        ShowHelp(nullptr, QStringLiteral("x"));
        QCOMPARE(prompts.texts(), (QStringList{QStringLiteral("Can not indicate Help file.No Help files related to this project."),
                                               QStringLiteral("x")}));
        QCOMPARE(prompts.shown.first().icon, MsgIcon::Information);
    }

    void readWithNonHexadecimalDataFailsAndChangesNothing()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        LoadLanguage();
        frmMain window;
        window.document().staged.Vel1 = 3;
        window.document().current.Vel1 = 4;
        port.queueReply("0CM1\r\n");
        port.queueReply("0RD0228050500006GGAFF\r\n");  // right length and echo, not hexadecimal
        for (const char *block : {"04", "05", "00", "01"})
            port.queueReply(QByteArray("0RD") + block + "0000000000000000\r\n");
        window.readAtStartup();
        QVERIFY(test::WaitForIdle(window));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Communication Error!")});
        QCOMPARE(window.document().staged.Vel1, 3);
        QCOMPARE(window.document().current.Vel1, 4);
        QCOMPARE(window.form()->lblShowName->text(), QStringLiteral("New data"));
        QVERIFY(window.form()->cmdGetfromCt->isEnabled());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("error");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << int(A::Run) << "" << "";
        QTest::newRow("a data file") << QStringList{"/data/line 3/abc.kzd"} << int(A::Run) << "/data/line 3/abc.kzd" << "";
        QTest::newRow("--help") << QStringList{"--help"} << int(A::Help) << "" << "";
        QTest::newRow("-h") << QStringList{"-h"} << int(A::Help) << "" << "";
        QTest::newRow("--help-all") << QStringList{"--help-all"} << int(A::Help) << "" << "";
        QTest::newRow("--version") << QStringList{"--version"} << int(A::Version) << "" << "";
        QTest::newRow("-v with a file") << QStringList{"abc.kzd", "-v"} << int(A::Version) << "" << "";
        QTest::newRow("help wins over an unknown option") << QStringList{"--frobnicate", "--help"} << int(A::Help) << "" << "";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << int(A::Error) << "" << "Unknown option 'frobnicate'.";
        QTest::newRow("two files") << QStringList{"a.kzd", "b.kzd"} << int(A::Error) << ""
                                   << "Only one data file can be opened.";
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, dataFile);
        QFETCH(QString, error);
        test::TestEnv env;
        const CommandLine line = ParseCommandLine(QStringList{QStringLiteral("kzpc")} + arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.dataFile, dataFile);
        QCOMPARE(line.error, error);
    }

    // The installed program's --help and --version need no display: run with a window system that
    // is not there, they still answer, in the language of the settings.
    void helpAndVersionWithoutADisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("version") << "--version" << "2" << QStringList{"kzpc 1.5.0\n"};
        QTest::newRow("help") << "--help" << "2"
                              << QStringList{"configures a KZ parts-feeder controller.", "--version",
                                             "[FILE.kzd]", "KZ data file to open."};
        QTest::newRow("help in Japanese") << "-h" << "1"
                                          << QStringList{"KZパーツフィーダーコントローラーの設定ツール",
                                                         "開くKZデータファイル"};
    }
    void helpAndVersionWithoutADisplay()
    {
        QFETCH(QString, option);
        QFETCH(QString, language);
        QFETCH(QStringList, says);
        test::TestEnv env;
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath(QStringLiteral("KZPC-Software")));
        QFile settings(config.filePath(QStringLiteral("KZPC-Software/KZPC-Software.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\nLanguage=" + language.toLatin1() + "\n");
        settings.close();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // fails at once if opened
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        QProcess kzpc;
        kzpc.setProcessEnvironment(environment);
        kzpc.start(QStringLiteral(KZPC_PATH), {option});
        QVERIFY(kzpc.waitForFinished(30000));
        const QString out = QString::fromUtf8(kzpc.readAllStandardOutput());
        const QString err = QString::fromUtf8(kzpc.readAllStandardError());
        QCOMPARE(kzpc.exitStatus(), QProcess::NormalExit);
        QVERIFY2(kzpc.exitCode() == 0, qPrintable(err));
        if (option == QLatin1String("--version"))
            QCOMPARE(out, says.constFirst());
        for (const QString &text : says)
            QVERIFY2(out.contains(text), qPrintable(out));
    }

    // --comm-log takes only a regular file: a pipe, a folder or a device is refused on the terminal
    // before any window appears, and a pipe nobody reads never holds the start up.
    void commLogThatIsNotARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("device") << "device";
    }
    void commLogThatIsNotARegularFile()
    {
        QFETCH(QString, kind);
        test::TestEnv env;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("KZPC-Software")));
        QFile settings(dir.filePath(QStringLiteral("KZPC-Software/KZPC-Software.conf")));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\nLanguage=2\nPortNo=7\n");
        settings.close();
        QString log = dir.filePath(QStringLiteral("comm.log"));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(log).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("comm.log")));
        else
            log = QStringLiteral("/dev/null");

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
        QProcess kzpc;
        kzpc.setProcessEnvironment(environment);
        kzpc.start(QStringLiteral(KZPC_PATH), {QStringLiteral("--comm-log"), log});
        const bool ended = kzpc.waitForFinished(10000);
        if (!ended) {
            kzpc.kill();
            kzpc.waitForFinished();
        }
        QVERIFY2(ended, "kzpc is still running");
        QCOMPARE(kzpc.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(kzpc.readAllStandardError()).split(QLatin1Char('\n')).filter(QStringLiteral("comm")),
                 QStringList{QStringLiteral("Cannot open the communication log file %1: not a regular file (a folder, a "
                                            "device or a pipe)").arg(log)});
        QVERIFY(kzpc.readAllStandardOutput().isEmpty());
    }

    // Started on a data file (a double click in the file manager): the file is opened as Open does
    // and no question about reading the controller is asked; a file that cannot be read leaves the
    // new data after the reader's message. Save then writes back to the file opened.
    void startOnADataFile_data()
    {
        QTest::addColumn<QString>("content");  // "-": no file there
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("data file") << "valid" << "line 3" << "";
        QTest::newRow("not a data file") << "hello\n" << "New data"
                                         << "This is not KZ data file.\r\nOpening data file is stopped.";
        QTest::newRow("missing") << "-" << "New data"
                                 << "Error occured while opening file.\r\nOpening file was stopped.\r\n@: No such file or directory";
    }
    void startOnADataFile()
    {
        QFETCH(QString, content);
        QFETCH(QString, name);
        QFETCH(QString, message);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("line 3.kzd"));
        ParameterSet set;
        set.Vel1 = 12, set.Acc1 = 5, set.Dec1 = 4, set.PauseTime1 = 30, set.Position1 = 400;
        set.Vel2 = 20, set.Acc2 = 3, set.Dec2 = 2, set.PauseTime2 = 0, set.Position2 = 350;
        set.SeparateTimer = 100, set.SupplyCounter = 8, set.RestartDelay = 100, set.MidDetectCounter = 15;
        set.NoWorkCounter = 200, set.TipWorkOffTimer = 20, set.HomingVel = 8, set.HomingPulse = 300;
        set.OffsetVel = 6, set.HomeOffset = 2;
        if (content == QLatin1String("valid")) {
            QVERIFY(WriteDataFile(path, set));
        } else if (content != QLatin1String("-")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content.toLatin1());
        }
        bool asked = false;
        QTimer answer;  // a question would hang the start-up: answer it, and remember it was asked
        connect(&answer, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<frmSelection *>(QApplication::activeModalWidget())) {
                asked = true;
                dialog->form()->optSelectKomoku_1->setChecked(true);
                dialog->form()->cmdSelectOk->click();
            }
        });
        answer.start(5);

        const auto window = Main(0, path);

        QVERIFY(!asked);
        QVERIFY(port.frames.isEmpty());
        message.replace(QLatin1Char('@'), path);  // the file, named in a read failure
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
        Ui::frmMain *f = window->form();
        QCOMPARE(f->lblShowName->text(), name);
        QVERIFY(!window->document().changed);
        if (content != QLatin1String("valid")) {
            QCOMPARE(window->document().current, ParameterSet());
            return;
        }
        QCOMPARE(window->document().current, set);
        QCOMPARE(f->txtPosi1->text().trimmed(), QStringLiteral("400"));
        f->txtPosi1->setText(QStringLiteral("500"));
        QCOMPARE(window->cmdSaveFile_Click(), 0);
        ParameterDocument saved;
        QCOMPARE(ReadDataFile(path, saved), 0);
        QCOMPARE(saved.staged.Position1, 500);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
