// The shell's small pieces: version text, About box, system information, help, a read whose
// replies carry no hexadecimal data.

#include "app/frmAbout.h"
#include "app/help.h"
#include "app/prompts.h"
#include "app/settings.h"
#include "app/strings.h"
#include "app/version.h"
#include "files/data_state.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "support/fake_port.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "ui_frmAbout.h"
#include "ui_frmMain.h"

#include <QTest>

using namespace kz;

class TestShell : public QObject {
    Q_OBJECT

private slots:
    void versionText()
    {
        QCOMPARE(VersionNumberText(1, 4, 0), QStringLiteral("1.40E"));
        QCOMPARE(VersionNumberText(2, 10, 3), QStringLiteral("2.103E"));
        QCOMPARE(VersionText(), QStringLiteral("Version 1.40E"));
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
        QCOMPARE(about.form()->lblVersion->text(), QStringLiteral("Version 1.40E"));
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
        Temp.Vel1 = 3;
        Hensu.Vel1 = 4;
        port.queueReply("0CM1\r\n");
        port.queueReply("0RD0228050500006GGAFF\r\n");  // right length and echo, not hexadecimal
        for (const char *block : {"04", "05", "00", "01"})
            port.queueReply(QByteArray("0RD") + block + "0000000000000000\r\n");
        window.OnlineDataRead();
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Communication Error!")});
        QCOMPARE(Temp.Vel1, 3);
        QCOMPARE(Hensu.Vel1, 4);
        QCOMPARE(window.form()->lblShowName->text(), QStringLiteral("New data"));
        QVERIFY(window.form()->cmdGetfromCt->isEnabled());
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
