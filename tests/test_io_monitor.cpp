// The I/O monitor: lamps from the I/O block, output switching, polling, failures and the window's
// life, against kz-sim with its frame log (and an in-process port where exact replies matter).

#include "core/settings.h"
#include "core/strings.h"
#include "core/twips.h"
#include "io_monitor/frmInputOutput.h"
#include "link/exchange.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "support/fake_port.h"
#include "support/file_size_limit.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QAbstractItemView>
#include <QHeaderView>
#include <QTableView>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <ctime>

using namespace kz;

namespace {

// Red images of rows 1 to 9: RUN, CONT, PAUSE, TIP SENSOR, RAIL SENSOR, IN-P, OK, ESCAPE SOL., EMPTY.
const char *const kRedImages[] = {"imgUntenRed",  "imgKyoseiRed",       "imgTeisokuRed",
                                  "imgWorkKenRed", "imgManpaiKenRed",   "imgStopRed",
                                  "imgToridasiOkRed", "imgManpaiRed",   "imgAlarmRed"};

const QString kTimeoutEn = QStringLiteral(
    "Communication timeout error!\r\nCheck the followings;\r\n 1.Power ON for controller?\r\n"
    " 2.Communication cables are connected?");
const QString kLengthEn =
    QStringLiteral("Communication data length error occurs!\r\nLength of data is wrong.");
const QString kAlarm03En = QStringLiteral("Communication error occurs!\r\n[Communication command error]");

QByteArray IoReply(const QString &block16)
{
    return "0RD20" + block16.toLatin1() + "\r\n";
}

// Rows 1 to 9 of a monitor window, '1' where the red lamp shows.
QString Lamps(const QWidget *monitor)
{
    QString s;
    for (const char *name : kRedImages)
        s += monitor->findChild<QLabel *>(QLatin1String(name))->isHidden() ? QLatin1Char('0') : QLatin1Char('1');
    return s;
}

// One monitor window, shown. Without a state to keep what it sees in, it starts with a fresh one
// of its own.
struct Monitor {
    explicit Monitor(QWidget *owner = nullptr, InputOutputState *state = nullptr) { open(owner, state); }
    void open(QWidget *owner = nullptr, InputOutputState *state = nullptr)
    {
        w = std::make_unique<frmInputOutput>(owner, nullptr, state);
        w->show();
    }
    InputOutputState &state() const { return w->state(); }
    QPushButton *button(const char *name) const { return w->findChild<QPushButton *>(QLatin1String(name)); }
    QLabel *label(const char *name) const { return w->findChild<QLabel *>(QLatin1String(name)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void dblClick(const char *image) const { QTest::mouseDClick(label(image), Qt::LeftButton); }
    QString monitorText() const { return button("cmdMonitor")->text(); }
    bool closeEnabled() const { return button("cmdTojiru")->isEnabled(); }
    // Polling: the next tick is timed, or a tick is waiting for its reply.
    bool polling() const
    {
        return w->findChild<QTimer *>(QStringLiteral("timerInputOutput"))->isActive() || w->tickRunning();
    }
    QString lamps() const { return Lamps(w.get()); }
    std::unique_ptr<frmInputOutput> w;
};

// Sets the simulator's outputs with a "0WS" frame of its own and forgets that frame.
bool PresetOutputs(test::SimRunner &sim, const QString &arg)
{
    test::windowLink().link.timeoutMs = 5000;
    const bool ok = test::windowLink().exchange(QStringLiteral("0WS"), 7, arg) == 0;
    test::windowLink().link.close();
    sim.waitForFrames(1);
    sim.clearLog();
    return ok;
}

// Never leaves a test hanging in a modal loop: a dialog still open when guard fires is rejected.
void GuardModalLoop(QTimer &guard, int ms = 5000)
{
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &guard, [] {
        if (auto *w = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            w->done(QDialog::Rejected);
    });
    guard.start(ms);
}

bool WaitForFrames(const test::SimRunner &sim, int n, int ms = 3000)
{
    return QTest::qWaitFor([&] { return sim.frames().size() >= n; }, ms);
}

}  // namespace

class TestIoMonitor : public QObject {
    Q_OBJECT

private slots:
    // Bytes A, B, C are characters 16-17, 18-19, 20-21 of the reply; each stops at its first
    // character that is not a hexadecimal digit.
    void lampsFromTheIoBlock_data()
    {
        QTest::addColumn<QString>("block");
        QTest::addColumn<QString>("lamps");
        //                                          ..........AABBCC    RUN..RAIL IN-P..EMPTY
        QTest::newRow("all digits 0") << "0000000000000000" << "111110000";
        QTest::newRow("all F") << "0000000000FFFFFF" << "000001111";
        QTest::newRow("lower-case f") << "0000000000ffffff" << "000001111";
        QTest::newRow("bytes 0 to 4 are not read") << "FFFFFFFFFF000000" << "111110000";
        QTest::newRow("only the shown bits") << "000000000038C826" << "000001111";
        QTest::newRow("every bit but the shown ones") << "0000000000C737D9" << "111110000";
        QTest::newRow("A 08 EMPTY") << "0000000000080000" << "111110001";
        QTest::newRow("A 10 TIP SENSOR") << "0000000000100000" << "111010000";
        QTest::newRow("A 20 IN-P") << "0000000000200000" << "111111000";
        QTest::newRow("B 08 PAUSE") << "0000000000000800" << "110110000";
        QTest::newRow("B 40 OK") << "0000000000004000" << "111110100";
        QTest::newRow("B 80 ESCAPE SOL.") << "0000000000008000" << "111110010";
        QTest::newRow("C 02 RUN") << "0000000000000002" << "011110000";
        QTest::newRow("C 04 CONT") << "0000000000000004" << "101110000";
        QTest::newRow("C 20 RAIL SENSOR") << "0000000000000020" << "111100000";
        QTest::newRow("'8Z' reads 08") << "00000000008Z0000" << "111110001";
        QTest::newRow("'F ' reads 0F, not F0") << "0000000000F FFFF" << "000100111";
        QTest::newRow("'Z8' reads 0") << "0000000000Z8FFFF" << "000100110";
        QTest::newRow("'G8' in byte B reads 0") << "0000000000FFG8FF" << "001001001";
    }

    void lampsFromTheIoBlock()
    {
        QFETCH(QString, block);
        QFETCH(QString, lamps);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        Monitor m;
        QCOMPARE(m.lamps(), QStringLiteral("000000000"));
        port.queueReply(IoReply(block));
        m.w->pollTick();
        QTRY_VERIFY(!m.w->tickRunning());
        QCOMPARE(port.frames, QStringList{QStringLiteral("0RD20")});
        QCOMPARE(m.lamps(), lamps);
        QVERIFY(prompts.shown.isEmpty());
    }

    // Inputs show on when their bit is 0, outputs when it is 1: what the simulator's inputs and
    // outputs are, the lamps show.
    void lampsFollowTheController_data()
    {
        QTest::addColumn<QString>("inputs");
        QTest::addColumn<QString>("outputs");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("all off") << "00" << "00" << "000000000";
        QTest::newRow("all on") << "1F" << "F0" << "111111111";
        QTest::newRow("RUN PAUSE RAIL, EMPTY ESCAPE") << "15" << "90" << "101010011";
        QTest::newRow("CONT TIP, IN-P OK") << "0A" << "60" << "010101100";
    }

    void lampsFollowTheController()
    {
        QFETCH(QString, inputs);
        QFETCH(QString, outputs);
        QFETCH(QString, lamps);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--inputs"), inputs});
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        QVERIFY(PresetOutputs(sim, outputs));
        Monitor m;
        m.click("cmdMonitor");
        QVERIFY(WaitForFrames(sim, 2));
        QTRY_COMPARE(m.lamps(), lamps);
        m.click("cmdMonitor");
        QVERIFY(!sim.frames().contains(QStringLiteral("0CM1")));
        QVERIFY(prompts.shown.isEmpty());
    }

    void inputChangesShowWhilePolling()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--inputs"), QStringLiteral("01,10@600")});
        QVERIFY(sim.ready());
        Monitor m;
        m.click("cmdMonitor");
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("100000000"), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("000010000"), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("100000000"), 2000);
    }

    // The history: every lamp change since Start Monitor with its signal and state, the output
    // this tool switched told apart from the inputs the controller changed, and the polls counted.
    void historyOfChanges()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--inputs"), QStringLiteral("01,10@400")});
        QVERIFY(sim.ready());
        Monitor m;
        m.click("cmdMonitor");
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("100000000"), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("000010000"), 2000);
        m.dblClick("imgToridasiOkWhite");
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps(), QStringLiteral("100000100"), 2000);
        m.click("cmdMonitor");
        QTest::qWait(300);

        const IoHistory &h = m.state().history;
        QStringList seen;
        for (const IoChange &c : h.changes)
            seen << SignalName(c.row) + QLatin1Char(' ') + ChangeState(c) + QLatin1Char(' ') + ChangeSource(c);
        QStringList inputs;
        for (const QString &change : seen)
            if (change.endsWith(QLatin1Char(' ')))
                inputs << change;
        QCOMPARE(inputs.mid(0, 5), (QStringList{"RUN ON ", "RUN OFF ", "RAIL SENSOR ON ", "RUN ON ",
                                                "RAIL SENSOR OFF "}));
        QVERIFY2(seen.contains(QStringLiteral("OK ON this tool")), qPrintable(seen.join(QLatin1Char('|'))));
        QCOMPARE(h.polls, int(sim.frames().count(QStringLiteral("0RD20"))));
        QCOMPARE(h.failedPolls, 0);
        QCOMPARE(m.label("lblPolls")->text(), QStringLiteral("Polls: %1, failed: 0").arg(h.polls));
        QCOMPARE(m.w->findChild<QAbstractItemView *>(QStringLiteral("lstHistory"))->model()->rowCount(),
                 int(h.changes.size()));

        // An output the controller changed by itself is not this tool's.
        QVERIFY(PresetOutputs(sim, QStringLiteral("00")));
        m.click("cmdMonitor");
        QTRY_COMPARE_WITH_TIMEOUT(m.lamps().mid(6, 1), QStringLiteral("0"), 2000);
        m.click("cmdMonitor");
        QTest::qWait(300);
        const auto &changes = m.state().history.changes;
        const auto ok = std::find_if(changes.begin(), changes.end(), [](const IoChange &c) { return c.row == 7; });
        QVERIFY(ok != changes.end());
        QVERIFY(!ok->on);
        QCOMPARE(ChangeSource(*ok), QStringLiteral("controller"));

        // Saved as CSV; a save that fails says why.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("h.csv"));
        prompts.fileResults.enqueue(test::Chosen(path));
        m.click("cmdSaveHistory");
        QFile csv(path);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first(), QStringLiteral("Time,Signal,State,Source"));
        QCOMPARE(lines.size(), int(changes.size()) + 2);  // the header, the changes, an empty end
        QVERIFY2(lines.indexOf(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3},OK,OFF,controller$"))) > 0,
                 qPrintable(lines.join(QLatin1Char('|'))));
        prompts.fileResults.enqueue(test::Chosen(dir.filePath(QStringLiteral("no/such/h.csv"))));
        m.click("cmdSaveHistory");
        QCOMPARE(prompts.texts().size(), 1);
        QVERIFY(prompts.texts().first().startsWith(QStringLiteral("The I/O history could not be saved.\r\n")));

        // A full disk: the reason is said, and neither the file nor a part of it is left.
        QTemporaryDir fullDir;
        const QString full = fullDir.filePath(QStringLiteral("h.csv"));
        prompts.fileResults.enqueue(test::Chosen(full));
        {
            test::FileSizeLimit limit;
            QVERIFY(limit.active());
            m.click("cmdSaveHistory");
        }
        QCOMPARE(prompts.texts().size(), 2);
        QCOMPARE(prompts.texts().last(), QStringLiteral("The I/O history could not be saved.\r\n%1: File too large").arg(full));
        QCOMPARE(QDir(fullDir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{});
    }

    // The outputs are switched from the keyboard as by a double-click: Tab reaches each output's
    // name after Start and Close, the focused name is drawn selected, and Space or Enter asks for
    // the switch. The focus starts on Start, so a key pressed at once switches nothing.
    void outputsFromTheKeyboard()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        Monitor m;
        QVERIFY(QTest::qWaitForWindowActive(m.w.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m.button("cmdMonitor")));
        const auto tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
        tab();
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m.button("cmdTojiru")));
        QStringList reached;
        for (int i = 0; i < 4; ++i) {
            tab();
            reached << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(reached, (QStringList{"lblStop", "lblToridasiOk", "lblManpai", "lblAlarm"}));

        QLabel *ok = m.label("lblToridasiOk");
        const QImage unfocused = ok->grab().toImage();
        ok->setFocus(Qt::TabFocusReason);
        QVERIFY2(ok->grab().toImage() != unfocused, "the focus does not show");
        QTest::keyClick(ok, Qt::Key_Space);
        QTest::keyClick(m.label("lblAlarm"), Qt::Key_Return);
        QTest::keyClick(m.label("lblUnten"), Qt::Key_Space);  // an input: nothing to switch
        QTest::qWait(300);
        QVERIFY2(sim.frames().isEmpty(), "nothing is sent before a tick");
        QVERIFY(m.w->isVisible());  // Enter on an output is not the dialog's default button
        m.click("cmdMonitor");
        QVERIFY(WaitForFrames(sim, 3));
        QCOMPARE(sim.frames().mid(0, 2), (QStringList{"0WS50", "0RD20"}));
        QTRY_COMPARE(m.lamps(), QStringLiteral("000000101"));
        QVERIFY(prompts.shown.isEmpty());
    }

    // Every time, signal name and state is shown whole on one line, in both languages, however
    // few changes the panel holds when it is opened.
    void historyColumnsShowEveryTextWhole_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("Japanese") << "1";
        QTest::newRow("English") << "2";
    }

    void historyColumnsShowEveryTextWhole()
    {
        QFETCH(QString, language);
        test::TestEnv env;
        env.writeSetting(QStringLiteral("Language"), language);
        LoadLanguage();
        Monitor m;
        m.w->findChild<QAbstractButton *>(QStringLiteral("cmdHistory"))->click();
        auto *view = m.w->findChild<QTableView *>(QStringLiteral("lstHistory"));
        QVERIFY(view->isVisible());
        QCOMPARE(view->model()->rowCount(), 0);
        const QFontMetrics fm(view->font());
        auto fits = [&](int column, const QString &text) {
            return view->columnWidth(column) > fm.horizontalAdvance(text);
        };
        for (int row = 1; row <= kIoRowCount; ++row)
            QVERIFY2(fits(1, SignalName(row)), qPrintable(SignalName(row)));
        QVERIFY(fits(0, QStringLiteral("23:59:58.888")));
        QVERIFY(fits(2, Str(3255)) && fits(2, Str(3256)));
        QVERIFY(!view->wordWrap());
        QVERIFY(view->verticalHeader()->defaultSectionSize() < 2 * fm.height());
    }

    void failedPollsAreCounted()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        Monitor m;
        port.queueReply(IoReply(QStringLiteral("0000000000000000")));
        port.queueReply("0RD2\r\n");
        port.queueReply("0CM0\r\n");
        m.click("cmdMonitor");
        m.w->pollTick();
        QTRY_VERIFY(!m.w->tickRunning());
        m.w->pollTick();
        QTRY_VERIFY(!m.w->tickRunning());
        QCOMPARE(m.state().history.polls, 2);
        QCOMPARE(m.state().history.failedPolls, 1);
        QCOMPARE(m.state().history.changes.size(), 5);  // the five inputs came on
    }

    // "0RD20" every 200 ms plus the exchange, nothing else; Stop ends it.
    void steadyPollAndStop()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        Monitor m;
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        QVERIFY(!m.polling());
        QTest::qWait(300);
        QVERIFY(sim.frames().isEmpty());

        m.click("cmdMonitor");
        QCOMPARE(m.monitorText(), QStringLiteral("Stop Monitor"));
        QVERIFY(!m.closeEnabled());
        QTest::qWait(1100);
        const QStringList polled = sim.frames();
        QVERIFY2(polled.size() >= 3 && polled.size() <= 6, qPrintable(polled.join(QLatin1Char(' '))));
        QCOMPARE(polled.count(QStringLiteral("0RD20")), polled.size());
        QVERIFY(m.polling());

        m.click("cmdMonitor");
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        // A poll already on the line when Stop is clicked is answered; none follows it.
        QTRY_VERIFY(!m.polling());
        const qsizetype stoppedAt = sim.frames().size();
        QTest::qWait(500);
        QCOMPARE(sim.frames().size(), stoppedAt);
        QVERIFY(prompts.shown.isEmpty());
    }

    // Double-clicks only set flags; the next tick writes all four outputs in one "0WS" frame,
    // then reads back.
    void doubleClicksBeforeATick_data()
    {
        QTest::addColumn<QStringList>("images");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("lamps");
        QTest::newRow("OK") << QStringList{"imgToridasiOkWhite"} << QStringList{"0WS40", "0RD20"} << "000000100";
        QTest::newRow("OK twice toggles once")
            << QStringList{"imgToridasiOkWhite", "imgToridasiOkWhite"} << QStringList{"0WS40", "0RD20"}
            << "000000100";
        QTest::newRow("OK and EMPTY") << QStringList{"imgToridasiOkWhite", "imgAlarmWhite"}
                                      << QStringList{"0WS50", "0RD20"} << "000000101";
        QTest::newRow("all four outputs")
            << QStringList{"imgStopWhite", "imgToridasiOkWhite", "imgManpai", "imgAlarmWhite"}
            << QStringList{"0WSF0", "0RD20"} << "000001111";
        QTest::newRow("ESCAPE SOL.") << QStringList{"imgManpai"} << QStringList{"0WS80", "0RD20"} << "000000010";
        QTest::newRow("an input lamp switches nothing")
            << QStringList{"imgUntenWhite", "imgWorkKenWhite"} << QStringList{"0RD20", "0RD20"} << "000000000";
    }

    void doubleClicksBeforeATick()
    {
        QFETCH(QStringList, images);
        QFETCH(QStringList, frames);
        QFETCH(QString, lamps);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        Monitor m;
        for (const QString &image : images)
            m.dblClick(qPrintable(image));
        QTest::qWait(300);
        QVERIFY2(sim.frames().isEmpty(), "nothing is sent before a tick");
        m.click("cmdMonitor");
        QVERIFY(WaitForFrames(sim, 3));
        QCOMPARE(sim.frames().mid(0, 2), frames);
        QCOMPARE(sim.frames().at(2), QStringLiteral("0RD20"));
        QTRY_COMPARE(m.lamps(), lamps);
        QVERIFY(prompts.shown.isEmpty());
    }

    // The write starts from the states last read: a lit lamp's red image switches it off and
    // leaves the other outputs as they are.
    void doubleClickOnALitLampWhilePolling()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        QVERIFY(PresetOutputs(sim, QStringLiteral("F0")));
        Monitor m;
        m.click("cmdMonitor");
        QTRY_COMPARE(m.lamps(), QStringLiteral("000001111"));
        m.dblClick("imgManpaiRed");
        QTRY_COMPARE(m.lamps(), QStringLiteral("000001101"));
        const QStringList frames = sim.frames();
        const qsizetype write = frames.indexOf(QStringLiteral("0WS70"));
        QVERIFY2(write > 0, qPrintable(frames.join(QLatin1Char(' '))));
        QCOMPARE(frames.count(QStringLiteral("0WS70")), 1);
        QCOMPARE(frames.filter(QStringLiteral("0WS")).size(), 1);
        QCOMPARE(frames.at(write + 1), QStringLiteral("0RD20"));
    }

    // A failed read: its message, the stopped appearance with the lamps as they were, and a stop
    // that holds back double-clicks until monitoring is started again; then polling goes on.
    void failedRead_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("message");
        QTest::newRow("alarm reply") << "0RD20#2:alarm=03" << QStringList{"0RD20", "0RD20"} << kAlarm03En;
        QTest::newRow("wrong length") << "0RD20#2:length" << QStringList{"0RD20", "0RD20", "0CM0"} << kLengthEn;
        QTest::newRow("no reply") << "0RD20#2:noreply" << QStringList{"0RD20", "0RD20"} << kTimeoutEn;
    }

    void failedRead()
    {
        QFETCH(QString, fault);
        QFETCH(QStringList, frames);
        QFETCH(QString, message);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--inputs"), QStringLiteral("05"), QStringLiteral("--fault"), fault});
        QVERIFY(sim.ready());
        Monitor m;
        m.click("cmdMonitor");
        QTRY_COMPARE_WITH_TIMEOUT(prompts.texts(), QStringList{message}, 8000);
        QCOMPARE(m.lamps(), QStringLiteral("101000000"));
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        QVERIFY(!m.polling());
        QCOMPARE(sim.waitForFrames(int(frames.size())), frames);

        // The stop is pending: a double-click is not taken up, and nothing more is polled.
        m.dblClick("imgToridasiOkWhite");
        QTest::qWait(500);
        QCOMPARE(sim.frames(), frames);

        // Started again, the monitor polls on and switches nothing.
        sim.clearLog();
        m.click("cmdMonitor");
        QCOMPARE(m.monitorText(), QStringLiteral("Stop Monitor"));
        QVERIFY(WaitForFrames(sim, 4));
        QCOMPARE(sim.frames().mid(0, 4), QStringList(4, QStringLiteral("0RD20")));
        QCOMPARE(m.monitorText(), QStringLiteral("Stop Monitor"));
        QVERIFY(!m.closeEnabled());
        QVERIFY(m.polling());
        QCOMPARE(prompts.shown.size(), 1);
    }

    // A failed write: message, stopped after the read that follows it, the change still pending;
    // the next start writes again from the states read.
    void failedWrite()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0WS#1:alarm=03")});
        QVERIFY(sim.ready());
        Monitor m;
        m.dblClick("imgToridasiOkWhite");
        m.click("cmdMonitor");
        QTRY_COMPARE(prompts.texts(), QStringList{kAlarm03En});
        QCOMPARE(sim.waitForFrames(2), (QStringList{"0WS40", "0RD20"}));
        QTRY_VERIFY(!m.polling());
        QCOMPARE(m.lamps(), QStringLiteral("000000000"));
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        QVERIFY(m.state().outputChangePending);
        QTest::qWait(400);
        QCOMPARE(sim.frames().size(), 2);

        m.click("cmdMonitor");
        QCOMPARE(m.monitorText(), QStringLiteral("Stop Monitor"));
        QVERIFY(WaitForFrames(sim, 5));
        QCOMPARE(sim.frames().mid(2, 3), (QStringList{"0WS00", "0RD20", "0RD20"}));
        QVERIFY(!m.state().outputChangePending);
        QCOMPARE(prompts.shown.size(), 1);
    }

    // A port that cannot be opened for a poll (the cable pulled between two polls, a vanished
    // adapter) stops the monitor with a message, greys the lamps and lets the user close,
    // whatever the exchange before it left behind.
    void portThatCannotBeOpened_data()
    {
        QTest::addColumn<bool>("lastExchangeFailed");
        QTest::addColumn<bool>("pollFirst");
        QTest::newRow("at the first poll, last exchange good") << false << false;
        QTest::newRow("at the first poll, last exchange failed") << true << false;
        QTest::newRow("between two polls") << false << true;
    }

    void portThatCannotBeOpened()
    {
        QFETCH(bool, lastExchangeFailed);
        QFETCH(bool, pollFirst);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        Monitor m;
        if (lastExchangeFailed) {
            // The monitor's link has just timed out on an exchange of its own.
            test::WindowLink last(m.w->link());
            last.link.timeoutMs = 50;
            QCOMPARE(last.exchange(QStringLiteral("0RV"), 11, QString()), 1);
            prompts.shown.clear();
        }
        if (pollFirst) {
            for (int i = 0; i < 40; ++i)
                port.queueReply(IoReply(QStringLiteral("0000000000FFFFFF")));
        } else {
            port.failOpen = true;
        }
        m.click("cmdMonitor");
        if (pollFirst) {
            QTRY_COMPARE(m.lamps(), QStringLiteral("000001111"));
            QVERIFY(!m.w->link().inProgress());
            port.failOpen = true;
            port.loseLine();
        }
        QTRY_COMPARE(prompts.shown.size(), 1);
        QVERIFY2(prompts.shown.first().text.startsWith(
                     QStringLiteral("The communication port could not be opened. Monitoring has stopped.") + m.w->link().openFailureDetail()),
                 qPrintable(prompts.shown.first().text));
        QVERIFY(!m.polling());
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        QCOMPARE(m.lamps(), pollFirst ? QStringLiteral("000001111") : QStringLiteral("000000000"));
        for (const char *name : kRedImages)
            QVERIFY2(!m.label(name)->isEnabled(), name);  // greyed: no longer the controller's state
        const qsizetype framesAtStop = port.frames.size();
        QTest::qWait(500);
        QCOMPARE(port.frames.size(), framesAtStop);
        QCOMPARE(prompts.shown.size(), 1);

        // Once the port is back, Start Monitor polls again and the lamps are live.
        port.failOpen = false;
        port.queueReply(IoReply(QStringLiteral("0000000000FFFFFF")));
        m.click("cmdMonitor");
        QTRY_VERIFY(m.label(kRedImages[0])->isEnabled());
        QCOMPARE(m.lamps(), QStringLiteral("000001111"));
        m.click("cmdMonitor");
        QTRY_VERIFY(m.closeEnabled());
        m.click("cmdTojiru");
        QTRY_VERIFY(!m.w->isVisible());
    }

    // The close box and Escape are refused; Close is the way out, and it is disabled while
    // polling.
    void closeRequests()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        Monitor m;
        QVERIFY(!m.w->close());
        QVERIFY(m.w->isVisible());

        // While polling, neither the close box, nor Escape, nor the disabled Close leaves.
        m.click("cmdMonitor");
        QVERIFY(WaitForFrames(sim, 1));
        QVERIFY(!m.w->close());
        QTest::keyClick(m.w.get(), Qt::Key_Escape);
        QCOMPARE(prompts.beeps, 1);
        m.click("cmdTojiru");  // disabled: the click does nothing
        QTest::qWait(250);
        QVERIFY(m.w->isVisible());
        QVERIFY(m.polling());

        m.click("cmdMonitor");
        m.click("cmdTojiru");
        QVERIFY(!m.w->isVisible());
        QCOMPARE(m.w->result(), int(QDialog::Accepted));

        // Once polling has stopped, Escape closes the window as Close does.
        m.open();
        QTest::keyClick(m.w.get(), Qt::Key_Escape);
        QVERIFY(!m.w->isVisible());
        QCOMPARE(m.w->result(), int(QDialog::Accepted));
        QVERIFY(prompts.shown.isEmpty());
    }

    // The states seen and a change not yet written outlive the window, in the state its owner
    // keeps; a monitor opened without that state knows nothing of them.
    void stateSurvivesCloseAndReopen()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--inputs"), QStringLiteral("05")});
        QVERIFY(sim.ready());
        QVERIFY(PresetOutputs(sim, QStringLiteral("40")));
        InputOutputState state;
        Monitor m(nullptr, &state);
        QCOMPARE(&m.state(), &state);
        m.click("cmdMonitor");
        QTRY_COMPARE(m.lamps(), QStringLiteral("101000100"));
        m.click("cmdMonitor");
        m.dblClick("imgAlarmWhite");  // EMPTY, written at the next start
        m.click("cmdTojiru");
        QVERIFY(!m.w->isVisible());
        m.w.reset();
        QVERIFY(state.stopped);
        QVERIFY(state.outputChangePending);

        Monitor alone;
        QCOMPARE(alone.lamps(), QStringLiteral("000000000"));
        QVERIFY(!alone.state().outputChangePending);
        alone.click("cmdTojiru");
        alone.w.reset();

        m.open(nullptr, &state);
        QCOMPARE(m.lamps(), QStringLiteral("101000100"));
        QCOMPARE(m.monitorText(), QStringLiteral("Start Monitor"));
        QVERIFY(m.closeEnabled());
        sim.clearLog();
        m.click("cmdMonitor");
        QVERIFY(WaitForFrames(sim, 2));
        QCOMPARE(sim.frames().mid(0, 2), (QStringList{"0WS50", "0RD20"}));
        QTRY_COMPARE(m.lamps(), QStringLiteral("101000101"));
        QVERIFY(state.signalStates[8]);
        QVERIFY(!state.outputChangePending);
    }

    // The main window keeps the monitor's state: what one opening from the menu saw and the
    // change it left pending are there at the next.
    void mainWindowKeepsTheStateBetweenOpenings()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::FakePort port;
        frmMain main;
        main.show();
        QStringList lampsAtOpen;
        QList<bool> pendingAtOpen;
        int opened = 0;
        bool polled = false;
        const auto visit = [&](bool pollAndSwitch) {
            QTimer::singleShot(0, &main, [&, pollAndSwitch] {
                auto *monitor = main.findChild<frmInputOutput *>();
                if (!monitor)
                    return;
                ++opened;
                lampsAtOpen << Lamps(monitor);
                pendingAtOpen << monitor->state().outputChangePending;
                if (pollAndSwitch) {
                    port.queueReply(IoReply(QStringLiteral("0000000000FFFFFF")));
                    monitor->pollTick();
                    polled = QTest::qWaitFor([&] { return !monitor->tickRunning(); }, 3000);
                    QTest::mouseDClick(monitor->findChild<QLabel *>(QStringLiteral("imgAlarmRed")), Qt::LeftButton);
                }
                monitor->cmdTojiru_Click();
            });
            QTimer guard;
            GuardModalLoop(guard);
            main.form()->mnuShowInpOutp->trigger();
        };
        visit(true);
        visit(false);
        QCOMPARE(opened, 2);
        QVERIFY(polled);
        QCOMPARE(port.frames, QStringList{QStringLiteral("0RD20")});  // the change is not yet written
        QCOMPARE(lampsAtOpen, (QStringList{"000000000", "000001111"}));
        QCOMPARE(pendingAtOpen, (QList<bool>{false, true}));
        QVERIFY(prompts.shown.isEmpty());
    }

    // While a tick waits for a slow reply, the timer starts no second exchange and the window
    // stays idle; a double-click in the wait is written as soon as the read is done.
    void slowReplyHoldsTheNextTick()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD20#2:late=900")});
        QVERIFY(sim.ready());
        Monitor m;
        bool clicked = false;
        bool measured = false;
        std::clock_t cpuAtClick = 0;
        double cpuMs = 0;
        QElapsedTimer wall;
        qint64 wallMs = 0;
        bool stillWaiting = false;
        QStringList framesInWait;
        QString buttonInWait;
        QTimer probe;
        probe.setInterval(20);
        connect(&probe, &QTimer::timeout, this, [&] {
            if (!clicked && m.w->link().inProgress() && sim.frames().size() == 2) {
                clicked = true;
                m.dblClick("imgToridasiOkWhite");
                cpuAtClick = std::clock();
                wall.start();
            } else if (clicked && !measured && wall.elapsed() >= 600) {
                measured = true;
                cpuMs = double(std::clock() - cpuAtClick) * 1000.0 / CLOCKS_PER_SEC;
                wallMs = wall.elapsed();
                stillWaiting = m.w->link().inProgress();
                framesInWait = sim.frames();
                buttonInWait = m.monitorText();
            }
        });
        probe.start();
        m.click("cmdMonitor");
        QVERIFY(QTest::qWaitFor([&] { return measured; }, 4000));
        probe.stop();
        QVERIFY(stillWaiting);
        QCOMPARE(framesInWait, (QStringList{"0RD20", "0RD20"}));
        QCOMPARE(buttonInWait, QStringLiteral("Stop Monitor"));
        QVERIFY2(cpuMs < wallMs / 4.0, qPrintable(QStringLiteral("%1 ms CPU in %2 ms").arg(cpuMs).arg(wallMs)));

        QVERIFY(WaitForFrames(sim, 4));
        QCOMPARE(sim.frames().mid(2, 2), (QStringList{"0WS40", "0RD20"}));
        QTRY_COMPARE(m.lamps(), QStringLiteral("000000100"));
        QVERIFY(prompts.shown.isEmpty());
    }

    // Close, when it is enabled during a tick's wait (after a failed write), waits for the tick.
    void closeDuringATickTakesEffectAfterIt()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0WS:alarm=03"), QStringLiteral("--fault"),
                             QStringLiteral("0RD20#1:late=600")});
        QVERIFY(sim.ready());
        Monitor m;
        bool clicked = false;
        bool visibleAfterClick = false;
        QTimer probe;
        probe.setInterval(20);
        connect(&probe, &QTimer::timeout, this, [&] {
            if (!clicked && m.w->link().inProgress() && m.closeEnabled() && !prompts.shown.isEmpty()) {
                clicked = true;
                m.click("cmdTojiru");
                visibleAfterClick = m.w->isVisible();
            }
        });
        probe.start();
        m.dblClick("imgToridasiOkWhite");
        m.click("cmdMonitor");
        QVERIFY(QTest::qWaitFor([&] { return clicked; }, 3000));
        QVERIFY(visibleAfterClick);
        QTRY_VERIFY(!m.w->isVisible());
        QVERIFY(!m.w->link().inProgress());
        QCOMPARE(m.w->result(), int(QDialog::Accepted));
        QCOMPARE(sim.frames(), (QStringList{"0WS40", "0RD20"}));
        QVERIFY(!m.polling());
    }

    // Shown modally over its owner, 500 twips right and below; empty title in both languages.
    void showInputOutput_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("English") << kEnglishOffset
                                 << QStringList{"RUN",   "CONT", "PAUSE",       "TIP SENSOR", "RAIL SENSOR",
                                                "IIN-P", "OK",   "ESCAPE SOL.", "EMPTY",      "Start Monitor",
                                                "Close"};
        QTest::newRow("Japanese") << 0
                                  << QStringList{"動作指令", "連続運転",     "整列停止", "先端ﾜｰｸ検出",
                                                 "ﾚｰﾙﾜｰｸ検出", "停止中",   "取り出しOK", "切り出しSOL.",
                                                 "ﾜｰｸ不足",   "モニター開始", "閉じる"};
    }

    void showInputOutput()
    {
        QFETCH(int, offset);
        QFETCH(QStringList, captions);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        LangOffset = offset;
        InputOutputState state;
        bool keptInState = false;
        QWidget owner;
        owner.setGeometry(120, 90, 500, 400);
        owner.show();

        QString name;
        QString title = QStringLiteral("unset");
        bool modal = false;
        QPoint pos;
        QStringList shown;
        QTimer::singleShot(100, &owner, [&] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                return;
            name = w->objectName();
            if (auto *monitor = qobject_cast<frmInputOutput *>(w))
                keptInState = &monitor->state() == &state;
            title = w->windowTitle();
            modal = w->isModal();
            pos = w->pos();
            for (const char *control : {"lblUnten", "lblKyosei", "lblTeisoku", "lblWorkKen", "lblManpaiKen",
                                        "lblStop", "lblToridasiOk", "lblManpai", "lblAlarm"})
                shown << w->findChild<QLabel *>(QLatin1String(control))->text();
            for (const char *control : {"cmdMonitor", "cmdTojiru"})
                shown << w->findChild<QPushButton *>(QLatin1String(control))->text();
            w->close();  // refused
            QTest::mouseClick(w->findChild<QPushButton *>(QStringLiteral("cmdTojiru")), Qt::LeftButton);
        });
        QTimer guard;
        GuardModalLoop(guard);
        Link link{NumberedPort{}};
        ShowInputOutput(&owner, link, state);
        QCOMPARE(name, QStringLiteral("frmInputOutput"));
        QVERIFY(keptInState);
        QCOMPARE(title, QString());
        QVERIFY(modal);
        const QPoint corner = owner.frameGeometry().topLeft();
        QCOMPARE(pos, corner + QPoint(TwipsToPixelsX(500, &owner), TwipsToPixelsY(500, &owner)));
        QCOMPARE(shown, captions);
    }
};

QTEST_MAIN(TestIoMonitor)
#include "test_io_monitor.moc"
