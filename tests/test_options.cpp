// The Options dialog against kz-sim ports linked in a temporary settings folder: the port probe and
// list, the chosen port and message 464, port occupy, the show-parameters options reaching the
// main window, Cancel and Close, and the ports closed to this user.
//
// Every number that a test does not link to a device of its own is linked to nothing, so the
// probe never reaches the machine's real serial ports.

#include "app/frmOptions.h"
#include "core/paths.h"
#include "app/port_probe.h"
#include "core/settings.h"
#include "link/port_settings.h"
#include "core/strings.h"
#include "core/twips.h"
#include "link/comm_port.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"
#include "ui_frmOptions.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

using namespace kz;

namespace {

const QString kPortMessageEn = QStringLiteral("Communication port No. is not correct.");
const QString kPortMessageJa = QStringLiteral("通信ポートNo.が正しくありません。");

QString LinkPath(int n)
{
    return QDir(PortLinkDir()).filePath(QStringLiteral("COM%1").arg(n));
}

void LinkPort(int n, const QString &target)
{
    QDir().mkpath(PortLinkDir());
    QFile::remove(LinkPath(n));
    QVERIFY(QFile::link(target, LinkPath(n)));
}

QString Stored(const QString &key)
{
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    return settings.value(QStringLiteral("Settings/") + key).toString();
}

// A settings folder with kz-sim on some numbers and nothing behind all the others.
struct World {
    explicit World(const QList<int> &simPorts = {}, const QString &language = QStringLiteral("2"))
    {
        env.writeSetting(QStringLiteral("Language"), language);
        LoadLanguage();
        for (int n : simPorts)
            sims.push_back(std::make_unique<test::SimRunner>(QStringList{}, n));
        for (int n = kFirstPortNo; n <= kLastPortNo; ++n)
            if (!simPorts.contains(n))
                LinkPort(n, QDir(env.configDir()).filePath(QStringLiteral("nothing")));
    }
    ~World() { SetDeviceAccessCheck({}); }

    bool ready() const
    {
        for (const auto &sim : sims)
            if (!sim->ready())
                return false;
        return true;
    }
    frmMain *mainWindow()
    {
        if (!window) {
            window = std::make_unique<frmMain>();
            window->show();
        }
        return window.get();
    }

    test::TestEnv env;
    test::ScriptedPrompts prompts;
    std::vector<std::unique_ptr<test::SimRunner>> sims;
    std::unique_ptr<frmMain> window;
};

QStringList Items(const QComboBox *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

// "COMn (device)" for a port linked in the settings folder.
QString Listed(int n)
{
    return QStringLiteral("COM%1 (%2)").arg(n).arg(QFileInfo(LinkPath(n)).canonicalFilePath());
}

// A port whose open and configure succeed or fail by device, recording every device it is asked
// to open.
class ScriptedOpenPort final : public CommPort {
public:
    ScriptedOpenPort() { SetPortForTest(this); }
    ~ScriptedOpenPort() override { SetPortForTest(nullptr); }

    bool open(const QString &device) override
    {
        asked << device;
        current_ = device;
        open_ = opens.contains(device);
        return open_;
    }
    bool configure(const QString &) override { return !failsConfigure.contains(current_); }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray &) override { return false; }
    qint64 bytesAvailable() const override { return 0; }
    QByteArray readAll() override { return {}; }
    void discardInput() override {}
    QString errorText() const override { return {}; }

    QStringList opens;
    QStringList failsConfigure;
    QStringList asked;

private:
    QString current_;
    bool open_ = false;
};

}  // namespace


// The port choice these tests work on: the test link's.
PortChoice &Choice()
{
    return test::windowLink().link.portChoice();
}

class TestOptions : public QObject {
    Q_OBJECT

private slots:
    void portList_data()
    {
        QTest::addColumn<QString>("storedPortNo");
        QTest::addColumn<int>("heldOpen");  // port the link holds open when the dialog loads; 0: none
        QTest::addColumn<int>("preselected");  // 0: none

        QTest::newRow("current port preselected") << "5" << 0 << 5;
        QTest::newRow("current port held open") << "5" << 5 << 5;
        QTest::newRow("another port held open") << "2" << 5 << 2;
        QTest::newRow("current port not available") << "3" << 0 << 0;
    }

    void portList()
    {
        QFETCH(QString, storedPortNo);
        QFETCH(int, heldOpen);
        QFETCH(int, preselected);
        World w({2, 5});
        QVERIFY(w.ready());
        LinkPort(1, QStringLiteral("/dev/null"));  // a device, but no serial port
        w.env.writeSetting(QStringLiteral("PortNo"), storedPortNo);
        if (heldOpen) {
            Choice().number = heldOpen;
            QCOMPARE(test::windowLink().link.open(), 0);
        }

        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QCOMPARE(Items(f->comboPortNo), (QStringList{Listed(2), Listed(5)}));
        QCOMPARE(f->comboPortNo->itemData(0).toInt(), 0);
        QCOMPARE(f->comboPortNo->itemData(1).toInt(), 1);
        QCOMPARE(f->comboPortNo->currentText(), preselected ? Listed(preselected) : QString());
        QCOMPARE(dialog.GetChosenPort(), preselected ? preselected : -1);
        QCOMPARE(Choice().number, storedPortNo.toInt());
        // The probe leaves the port closed (the lamp follows it), says nothing and sends nothing.
        QVERIFY(!Port().isOpen());
        QVERIFY(w.prompts.shown.isEmpty());
        QVERIFY(f->lblPortPermission->isHidden());
        for (const auto &sim : w.sims)
            QCOMPARE(sim->frames(), QStringList());
    }

    void noPortOpens_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("English") << "2" << kPortMessageEn;
        QTest::newRow("Japanese") << "1" << kPortMessageJa;
    }

    void noPortOpens()
    {
        QFETCH(QString, language);
        QFETCH(QString, message);
        World w({}, language);
        frmOptions dialog(Choice());
        QCOMPARE(dialog.form()->comboPortNo->count(), 0);
        QCOMPARE(dialog.form()->comboPortNo->currentText(), QString());
        dialog.cmdOK_Click();
        QCOMPARE(w.prompts.texts(), QStringList{message});
        QCOMPARE(w.prompts.shown[0].buttons, MsgButtons::Ok);
        QCOMPARE(w.prompts.shown[0].icon, MsgIcon::None);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Choice().number, 1);
    }

    void chosenPort_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("list entry") << "COM12 (/dev/ttyUSB0)" << 12;
        QTest::newRow("list entry of a link") << "COM3 (/dev/pts/7)" << 3;
        QTest::newRow("typed name") << "COM5" << 5;
        QTest::newRow("blanks around") << "  COM32  " << 32;
        QTest::newRow("blank after COM") << "COM 7" << 7;
        QTest::newRow("any three characters") << "com4" << 4;
        QTest::newRow("rounded down to even") << "COM2.5" << 2;
        QTest::newRow("rounded up to even") << "COM3.5" << 4;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("shorter than three") << "CO" << -1;
        QTest::newRow("COM alone") << "COM" << -1;
        QTest::newRow("zero") << "COM0" << -1;
        QTest::newRow("above 32") << "COM33" << -1;
        QTest::newRow("negative") << "COM-1" << -1;
        QTest::newRow("too big for any integer") << "COM99999999999" << -1;
        QTest::newRow("no number") << "hello" << -1;
    }

    void chosenPort()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        World w;
        frmOptions dialog(Choice());
        dialog.form()->comboPortNo->setEditText(text);
        QCOMPARE(dialog.GetChosenPort(), port);
    }

    void okWithPort_data()
    {
        QTest::addColumn<int>("index");     // list entry chosen; -1: the text is typed
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("portNo");
        QTest::addColumn<QString>("storedPortNo");
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        // "9" is written behind the dialog's back once it has loaded: it stays unless the dialog saves.
        QTest::newRow("another listed port") << 1 << "" << 5 << "5" << none;
        QTest::newRow("the port in use") << 0 << "" << 2 << "9" << none;
        QTest::newRow("listed port typed") << -1 << "COM5" << 5 << "5" << none;
        QTest::newRow("unlisted port typed") << -1 << "COM7" << 7 << "9" << none;
        QTest::newRow("empty") << -1 << "" << 2 << "9" << QStringList{kPortMessageEn};
        QTest::newRow("not a port name") << -1 << "hello" << 2 << "9" << QStringList{kPortMessageEn};
        QTest::newRow("COM33") << -1 << "COM33" << 2 << "9" << QStringList{kPortMessageEn};
    }

    void okWithPort()
    {
        QFETCH(int, index);
        QFETCH(QString, typed);
        QFETCH(int, portNo);
        QFETCH(QString, storedPortNo);
        QFETCH(QStringList, messages);
        World w({2, 5});
        QVERIFY(w.ready());
        w.env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("2"));

        frmOptions dialog(Choice());
        auto *f = dialog.form();
        w.env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("9"));
        if (index >= 0)
            f->comboPortNo->setCurrentIndex(index);
        else
            f->comboPortNo->setEditText(typed);
        QVERIFY(f->chkPortOccupy->isChecked());
        f->chkPortOccupy->click();
        f->cmdOK->click();

        QCOMPARE(w.prompts.texts(), messages);
        QCOMPARE(Choice().number, portNo);
        QCOMPARE(Stored(QStringLiteral("PortNo")), storedPortNo);
        // Port occupy is applied and the dialog closes on every path, message or not.
        QVERIFY(!Choice().keepOpen);
        QCOMPARE(Stored(QStringLiteral("PortOccupy")), QStringLiteral("0"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void nextOperationUsesChosenPort()
    {
        World w({2, 5});
        QVERIFY(w.ready());
        w.env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("2"));
        Choice().number = 2;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QVERIFY(Port().isOpen());  // port occupy keeps COM2 open
        w.sims[0]->clearLog();

        frmOptions dialog(Choice());
        dialog.form()->comboPortNo->setCurrentIndex(1);
        dialog.form()->cmdOK->click();
        QCOMPARE(Choice().number, 5);

        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QCOMPARE(w.sims[1]->waitForFrames(1), QStringList{QStringLiteral("0RV")});
        QCOMPARE(w.sims[0]->frames(), QStringList());
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void portOccupySaved_data()
    {
        QTest::addColumn<bool>("before");
        QTest::newRow("switched off") << true;
        QTest::newRow("switched on") << false;
    }

    void portOccupySaved()
    {
        QFETCH(bool, before);
        World w({2});
        QVERIFY(w.ready());
        Choice().keepOpen = before;
        frmOptions dialog(Choice());
        QCOMPARE(dialog.form()->chkPortOccupy->isChecked(), before);
        dialog.form()->chkPortOccupy->click();
        dialog.form()->cmdOK->click();
        QCOMPARE(Choice().keepOpen, !before);
        QCOMPARE(Stored(QStringLiteral("PortOccupy")), before ? QStringLiteral("0") : QStringLiteral("1"));
        // The next start reads it back.
        Choice().keepOpen = before;
        LoadPortOccupy(Choice());
        QCOMPARE(Choice().keepOpen, !before);
    }

    void cancelAndClose_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("Cancel") << "cmdCancel";
        QTest::newRow("Close") << "cmdApply";
    }

    void cancelAndClose()
    {
        QFETCH(QString, button);
        World w({2, 5});
        QVERIFY(w.ready());
        w.env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("2"));
        w.env.writeSetting(QStringLiteral("PortOccupy"), QStringLiteral("1"));
        frmMain *window = w.mainWindow();

        PortChoice &choice = window->link().portChoice();
        frmOptions dialog(choice, window);
        auto *f = dialog.form();
        f->comboPortNo->setCurrentIndex(1);
        f->chkPortOccupy->click();
        f->chkParametaShow->click();
        f->chkHomeParaShow->click();
        dialog.findChild<QPushButton *>(button)->click();

        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(choice.number, 2);
        QCOMPARE(Stored(QStringLiteral("PortNo")), QStringLiteral("2"));
        QVERIFY(choice.keepOpen);
        QCOMPARE(Stored(QStringLiteral("PortOccupy")), QStringLiteral("1"));
        QVERIFY(!ShowParametersOption);
        QVERIFY(!HomingParametersOption);
        QVERIFY(!window->form()->framHomePara->isEnabled());
        QVERIFY(!window->form()->txtHomeSokudo->isEnabled());
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void loadShowsOptions_data()
    {
        QTest::addColumn<bool>("parameta");
        QTest::addColumn<bool>("homePara");
        QTest::addColumn<bool>("paramsTicked");
        QTest::addColumn<bool>("homeTicked");

        QTest::newRow("both on") << true << true << true << true;
        QTest::newRow("parameters only") << true << false << true << false;
        QTest::newRow("homing alone is not shown") << false << true << false << false;
    }

    void loadShowsOptions()
    {
        QFETCH(bool, parameta);
        QFETCH(bool, homePara);
        QFETCH(bool, paramsTicked);
        QFETCH(bool, homeTicked);
        World w;
        ShowParametersOption = parameta;
        HomingParametersOption = homePara;
        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QCOMPARE(f->chkParametaShow->isChecked(), paramsTicked);
        QCOMPARE(f->chkHomeParaShow->isChecked(), homeTicked);
        QCOMPARE(f->chkHomeParaShow->isEnabled(), paramsTicked);
        QCOMPARE(f->framParaShow->isEnabled(), paramsTicked);

        // Unticking the parameters unticks and locks the homing option; ticking frees it again.
        if (!paramsTicked)
            f->chkParametaShow->click();
        f->chkParametaShow->click();
        QVERIFY(!f->chkHomeParaShow->isChecked());
        QVERIFY(!f->chkHomeParaShow->isEnabled());
        QVERIFY(!f->framParaShow->isEnabled());
        f->chkParametaShow->click();
        QVERIFY(!f->chkHomeParaShow->isChecked());
        QVERIFY(f->chkHomeParaShow->isEnabled());
        QVERIFY(f->framParaShow->isEnabled());
    }

    // Through the View menu as the main window runs it, with the dialog shown modally.
    void showParametersReachMainWindow_data()
    {
        QTest::addColumn<bool>("shownBefore");
        QTest::addColumn<bool>("tickParams");
        QTest::addColumn<bool>("tickHoming");
        QTest::addColumn<bool>("homingEditable");

        QTest::newRow("parameters with homing") << false << true << true << true;
        QTest::newRow("parameters, homing read-only") << false << true << false << false;
        QTest::newRow("still hidden") << false << false << false << false;
        QTest::newRow("hidden again") << true << false << false << false;
        QTest::newRow("homing locked again") << true << true << false << false;
    }

    void showParametersReachMainWindow()
    {
        QFETCH(bool, shownBefore);
        QFETCH(bool, tickParams);
        QFETCH(bool, tickHoming);
        QFETCH(bool, homingEditable);
        World w;
        frmMain *window = w.mainWindow();
        auto *m = window->form();
        if (shownBefore) {
            ShowParametersOption = HomingParametersOption = true;
            window->enableHomingParameters();
            window->ApplyShowParametersLayout();
        }

        bool sawModal = false;
        window->showOptionsDialog = [window] { ShowOptions(window, window->link().portChoice()); };
        QTimer::singleShot(0, this, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<frmOptions *>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                sawModal = dialog->isModal();
                auto *f = dialog->form();
                if (f->chkParametaShow->isChecked() != tickParams)
                    f->chkParametaShow->click();
                if (f->chkHomeParaShow->isEnabled() && f->chkHomeParaShow->isChecked() != tickHoming)
                    f->chkHomeParaShow->click();
                f->cmdOK->click();
            }
        });
        // Should the dialog not be found, close it rather than wait for ever.
        QTimer::singleShot(5000, this, [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *dialog = qobject_cast<frmOptions *>(top))
                    dialog->reject();
        });
        window->mnuViewOption_Click();

        QVERIFY(sawModal);
        QCOMPARE(ShowParametersOption, tickParams);
        QCOMPARE(m->framParameta->isVisible(), tickParams);
        QCOMPARE(m->framHomePara->isVisible(), tickParams);
        QCOMPARE(m->framParameta->isEnabled(), tickParams);
        if (tickParams) {
            QCOMPARE(HomingParametersOption, tickHoming);
            QCOMPARE(m->framHomePara->isEnabled(), homingEditable);
            for (QLineEdit *e : {m->txtHomeSokudo, m->txtHomePosi, m->txtOffsetSokudo, m->txtOffsetPosi}) {
                QCOMPARE(e->isEnabled(), homingEditable);
                QCOMPARE(e->palette().color(QPalette::Base),
                         homingEditable ? QColor(0xFF, 0xFF, 0xFF) : QColor(0xE0, 0xE0, 0xE0));
            }
        }
    }

    void captionsAndPlacement_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("texts");  // title, three pages, occupy, Cancel, Close
        QTest::newRow("English") << "2"
                                 << QStringList{"Options", "RS-232C", "Parameter", "ｅｔｃ",
                                                "Occupy the communication port while running KZ PC-Software.",
                                                "Cancel", "Close"};
        QTest::newRow("Japanese") << "1"
                                  << QStringList{"ｵﾌﾟｼｮﾝ", "通信", "表示", "ｅｔｃ",
                                                 "ｿﾌﾄ起動中は通信ﾎﾟｰﾄを占有する", "ｷｬﾝｾﾙ", "閉じる"};
    }

    void captionsAndPlacement()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, texts);
        World w({}, language);
        frmMain *window = w.mainWindow();
        window->move(120, 90);
        frmOptions dialog(window->link().portChoice(), window);
        auto *f = dialog.form();
        QCOMPARE((QStringList{dialog.windowTitle(), f->ssTab3->tabText(0), f->ssTab3->tabText(1),
                              f->ssTab3->tabText(2), f->chkPortOccupy->text(), f->cmdCancel->text(),
                              f->cmdApply->text()}),
                 texts);
        QCOMPARE(f->ssTab3->count(), 3);
        QCOMPARE(f->lblPortNo->text(), Str(430));
        QCOMPARE(f->chkHomeParaShow->text(), Str(436));
        const QPoint corner = window->frameGeometry().topLeft();
        QCOMPARE(dialog.pos(), corner + QPoint(TwipsToPixelsX(500, window), TwipsToPixelsY(500, window)));
    }

    void portsClosedToTheUser_data()
    {
        QTest::addColumn<QList<int>>("closed");  // numbers linked to a device this user may not open
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("note");

        QTest::newRow("none") << QList<int>{} << "2" << "";
        QTest::newRow("one") << QList<int>{7} << "2"
                             << "No permission to open COM7. Add your user to the group \"dialout\" and log in again.";
        QTest::newRow("runs shortened") << QList<int>{1, 2, 3, 4, 7, 8, 32} << "2"
                                        << "No permission to open COM1-COM4, COM7, COM8, COM32. Add your user to "
                                           "the group \"dialout\" and log in again.";
        QTest::newRow("Japanese") << QList<int>{3} << "1"
                                  << "アクセス権がないため COM3 を開けません。ユーザーをグループ「dialout」に追加して、"
                                     "ログインし直してください。";
    }

    void portsClosedToTheUser()
    {
        QFETCH(QList<int>, closed);
        QFETCH(QString, language);
        QFETCH(QString, note);
        World w({5}, language);
        QVERIFY(w.ready());
        for (int n : closed)
            LinkPort(n, QStringLiteral("/dev/null"));
        SetDeviceAccessCheck([](const QString &device) { return device != QLatin1String("/dev/null"); });

        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QCOMPARE(Items(f->comboPortNo), QStringList{Listed(5)});
        QCOMPARE(f->lblPortPermission->text(), note);
        QCOMPARE(f->lblPortPermission->isHidden(), note.isEmpty());
        QStringList details;
        for (int n : closed)
            details << QStringLiteral("COM%1 (/dev/null)").arg(n);
        QCOMPARE(f->lblPortPermission->toolTip(), details.join(QLatin1Char('\n')));
        QVERIFY(w.prompts.shown.isEmpty());
    }

    void controllerPortClosedToTheUser()
    {
        World w({2, 5});
        QVERIFY(w.ready());
        const QString closedDevice = QFileInfo(LinkPath(5)).canonicalFilePath();
        SetDeviceAccessCheck([closedDevice](const QString &device) { return device != closedDevice; });
        Choice().number = 5;
        w.env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("5"));

        frmOptions dialog(Choice());
        auto *f = dialog.form();
        QCOMPARE(Items(f->comboPortNo), QStringList{Listed(2)});
        QCOMPARE(f->comboPortNo->currentText(), QString());
        QVERIFY(f->lblPortPermission->text().startsWith(QStringLiteral("No permission to open COM5. ")));
        QCOMPARE(f->lblPortPermission->toolTip(), Listed(5));
        QVERIFY(!f->lblPortPermission->isHidden());
    }

    // The probe opens only devices that exist, and a failed test leaves nothing open that would
    // make the next number pass untried.
    void probeTriesEachExistingDeviceAlone()
    {
        World w;
        ScriptedOpenPort port;
        LinkPort(3, QStringLiteral("/dev/null"));  // opens, but cannot be configured
        LinkPort(4, QStringLiteral("/dev/zero"));  // does not open
        LinkPort(6, QStringLiteral("/dev/full"));  // opens
        port.opens = QStringList{"/dev/null", "/dev/full"};
        port.failsConfigure = QStringList{"/dev/null"};

        frmOptions dialog(Choice());
        QCOMPARE(port.asked, (QStringList{"/dev/null", "/dev/zero", "/dev/full"}));
        QCOMPARE(Items(dialog.form()->comboPortNo), QStringList{"COM6 (/dev/full)"});
        QVERIFY(!port.isOpen());
        QVERIFY(!PortAvailable(3));
        QVERIFY(!PortAvailable(4));
        QVERIFY(PortAvailable(6));
        QVERIFY(!PortAvailable(0));
        QVERIFY(!PortAvailable(33));
    }
};

QTEST_MAIN(TestOptions)
#include "test_options.moc"
