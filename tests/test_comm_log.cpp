// The communication log: its lines for each outcome of an exchange against kz-sim, the log file,
// the window's limit, poll filter, copy and save, and that it stays usable beside the modal I/O
// monitor.

#include "core/strings.h"
#include "io_monitor/frmInputOutput.h"
#include "link/comm_log.h"
#include "link/exchange.h"
#include "link/frmCommLog.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "ui_frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace kz;
using namespace kz::test;

namespace {

// The lines of a model without their time stamp and port: "→  0RD02↩↓", "·  good", ...
QStringList Tails(const QStringList &lines)
{
    static const QRegularExpression head(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  COM1 \\S+  "));
    QStringList tails;
    for (const QString &line : lines) {
        const auto m = head.match(line);
        tails << (m.hasMatch() ? line.mid(m.capturedLength()) : QStringLiteral("(no time and port) ") + line);
    }
    return tails;
}

QStringList Lines(const QAbstractItemModel &model)
{
    QStringList lines;
    for (int row = 0; row < model.rowCount(); ++row)
        lines << model.index(row, 0).data().toString();
    return lines;
}

TrafficRecord Record(TrafficKind kind, const QByteArray &bytes = {})
{
    TrafficRecord r;
    r.msecsSinceEpoch = 1;
    r.port = QStringLiteral("COM1");
    r.kind = kind;
    r.bytes = bytes;
    return r;
}

}  // namespace

class TestCommLog : public QObject {
    Q_OBJECT

private slots:
    void frameText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF as symbols") << QByteArray("0RD20\r\n") << QStringLiteral("0RD20↩↓");
        QTest::newRow("control and 8-bit bytes in hex")
            << QByteArray("\x00" "A\x1f\x7f\xff", 5) << QStringLiteral("<00>A<1F><7F><FF>");
        QTest::newRow("alarm reply") << QByteArray("0%%0B\r\n") << QStringLiteral("0%%0B↩↓");
    }
    void frameText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(FrameText(bytes), text);
    }

    // What the log shows for each outcome, from a real exchange with the simulator.
    void exchangeLines_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<QStringList>("expected");  // patterns, one a line
        QTest::newRow("good read") << QStringList{} << "0RD" << 23 << "02"
                                   << QStringList{"→  0RD02↩↓", "←  0RD02[0-9A-F]{16}↩↓", "·  good"};
        QTest::newRow("time-out") << QStringList{"--fault", "0RD05:noreply"} << "0RD" << 23 << "05"
                                  << QStringList{"→  0RD05↩↓", "·  time-out after 300 ms"};
        QTest::newRow("alarm with its text")
            << QStringList{"--fault", "0RD02:alarm=03"} << "0RD" << 23 << "02"
            << QStringList{"→  0RD02↩↓", "←  0%%03↩↓", "·  alarm 03: Communication command error"};
        QTest::newRow("echo mismatch and recovery")
            << QStringList{"--fault", "0RV:echo"} << "0RV" << 11 << ""
            << QStringList{"→  0RV↩↓", "←  XXX[0-9]+↩↓", "·  echo mismatch \\(expected 0RV\\)",
                           "·  recovery frame sent", "→  0CM0↩↓", "←  0CM0↩↓",
                           "·  recovery frame answered"};
        QTest::newRow("length error")
            << QStringList{"--fault", "0RD02:length"} << "0RD" << 23 << "02"
            << QStringList{"→  0RD02↩↓", "←  0RD02[0-9A-F]{16}0↩↓", "·  length error \\(expected 23, got 24\\)",
                           "·  recovery frame sent", "→  0CM0↩↓", "←  0CM0↩↓",
                           "·  recovery frame answered"};
        QTest::newRow("garbage in hex")
            << QStringList{"--fault", "0RV:garbage=4"} << "0RV" << 11 << ""
            << QStringList{"→  0RV↩↓", "←  (<[0-9A-F]{2}>)+↩↓", "·  echo mismatch \\(expected 0RV\\)",
                           "·  recovery frame sent", "→  0CM0↩↓", "←  0CM0↩↓",
                           "·  recovery frame answered"};
        QTest::newRow("line lost") << QStringList{"--fault", "0RD02:hangup"} << "0RD" << 23 << "02"
                                   << QStringList{"→  0RD02↩↓", "←  0RD02.*", "·  line lost"};
    }
    void exchangeLines()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, cmd);
        QFETCH(int, length);
        QFETCH(QString, arg);
        QFETCH(QStringList, expected);
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim(simArgs);
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        QTemporaryDir dir;
        const QString logPath = dir.filePath(QStringLiteral("comm.log"));
        CommLogFile file;
        QString error;
        QVERIFY2(file.open(logPath, &error), qPrintable(error));
        CommLogModel model(true);

        const QString device = PortDevicePath(1);
        TimeoutMs = 300;
        QCOMPARE(SendRecvCt(cmd, length, arg), 1 - int(expected.last() == QStringLiteral("·  good")));
        ForceClosePort();

        const QStringList lines = Lines(model);
        const QStringList tails = Tails(lines);
        QVERIFY2(tails.size() == expected.size(), qPrintable(tails.join(QLatin1Char('\n'))));
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(expected[i])).match(tails[i]).hasMatch(),
                     qPrintable(tails[i] + QStringLiteral("  /  ") + expected[i]));
        // The port column names the number and its device.
        QVERIFY2(lines.first().contains(QStringLiteral("COM1 ") + device), qPrintable(lines.first()));
        // The file gets the same lines.
        QFile written(logPath);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(written.readAll()), lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    }

    void portThatWillNotOpenSaysWhy()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        CommLogModel model(true);
        PortNo = 7;  // no link, no device
        QCOMPARE(SendRecvCt(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        const QStringList lines = Lines(model);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(QStringLiteral("·  port could not be opened: COM7")), qPrintable(lines[0]));
    }

    void logFileThatCannotBeOpenedSaysWhy()
    {
        QTemporaryDir dir;
        CommLogFile file;
        QString error;
        QVERIFY(!file.open(dir.filePath(QStringLiteral("missing/comm.log")), &error));
        QVERIFY(!error.isEmpty());
    }

    void keepsTheLastLines()
    {
        CommLogModel model(false);
        for (int i = 0; i < CommLogModel::kMaxLines + 5; ++i)
            model.append(Record(TrafficKind::Sent, "F" + QByteArray::number(i) + "\r\n"));
        QCOMPARE(model.rowCount(), CommLogModel::kMaxLines);
        QVERIFY(model.index(0, 0).data().toString().endsWith(QStringLiteral("F5↩↓")));
        QVERIFY(model.index(CommLogModel::kMaxLines - 1, 0).data().toString().endsWith(QStringLiteral("F10004↩↓")));
        model.clear();
        QCOMPARE(model.rowCount(), 0);
    }

    // Good polls hide with the box; a poll that failed and every other frame stay.
    void hidesGoodPollsOnly()
    {
        TestEnv env;
        CommLogModel model(false);
        CommLogFilter filter;
        filter.setSourceModel(&model);
        filter.setDynamicSortFilter(true);
        filter.setHidePolls(true);
        model.append(Record(TrafficKind::Sent, "0RD20\r\n"));
        model.append(Record(TrafficKind::Received, "0RD200000000000100826\r\n"));
        model.append(Record(TrafficKind::Good));
        model.append(Record(TrafficKind::Sent, "0WS40\r\n"));
        model.append(Record(TrafficKind::Received, "0WS40\r\n"));
        model.append(Record(TrafficKind::Good));
        model.append(Record(TrafficKind::Sent, "0RD20\r\n"));
        model.append(Record(TrafficKind::Received, "0RD2\r\n"));
        model.append(Record(TrafficKind::LengthError));
        QCOMPARE(Tails(Lines(filter)).size(), 6);
        QCOMPARE(Lines(filter)[0], Lines(model)[3]);
        QVERIFY(Lines(filter)[3].endsWith(QStringLiteral("0RD20↩↓")));
        filter.setHidePolls(false);
        QCOMPARE(filter.rowCount(), 9);
    }

    // Reached from the View menu while an operation runs, usable while the modal I/O monitor
    // polls, and closed by Escape.
    void windowBesideTheModalMonitor()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim;
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        frmMain main;
        main.show();
        {
            frmMain::Busy busy(&main);
            main.form()->mnuViewCommLog->trigger();
        }
        frmCommLog *log = CommLogWindow();
        QVERIFY(log);
        QVERIFY(log->isVisible());
        QVERIFY(sim.frames().isEmpty());  // showing the log talks to nobody

        bool toggled = false;
        int linesWhileModal = 0;
        QTimer::singleShot(0, [&] {
            auto *monitor = main.findChild<frmInputOutput *>();
            monitor->cmdMonitor_Click();
            sim.waitForFrames(2);
            QTest::qWait(300);
            auto *box = log->findChild<QCheckBox *>(QStringLiteral("chkHidePolls"));
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
            toggled = box->isChecked();
            linesWhileModal = log->model().rowCount();
            monitor->cmdMonitor_Click();
            QTest::qWait(300);
            monitor->cmdTojiru_Click();
        });
        main.form()->mnuShowInpOutp->trigger();
        QVERIFY(toggled);
        QVERIFY2(linesWhileModal >= 6, qPrintable(QString::number(linesWhileModal)));
        QCOMPARE(log->shownLines(), QStringList{});  // polls hidden, and nothing else was said

        QTest::keyClick(log, Qt::Key_Escape);
        QVERIFY(!log->isVisible());
        ForceClosePort();
    }

    void copyAndSave()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        ShowCommLog(nullptr);
        frmCommLog *log = CommLogWindow();
        log->cmdClear_Click();
        log->model().append(Record(TrafficKind::Sent, "0RV\r\n"));
        log->model().append(Record(TrafficKind::Good));
        log->cmdCopy_Click();
        QCOMPARE(QApplication::clipboard()->text(), log->shownLines().join(QLatin1Char('\n')) + QLatin1Char('\n'));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        prompts.fileResults.enqueue(Chosen(path));
        log->cmdSave_Click();
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), log->shownLines().join(QLatin1Char('\n')) + QLatin1Char('\n'));
        QVERIFY(prompts.texts().isEmpty());

        prompts.fileResults.enqueue(Chosen(dir.filePath(QStringLiteral("no/such/folder/log.txt"))));
        log->cmdSave_Click();
        QCOMPARE(prompts.texts().size(), 1);
        QVERIFY(prompts.texts()[0].startsWith(QStringLiteral("The communication log could not be saved.\r\n")));
        QVERIFY(prompts.texts()[0].size() > 45);
        delete log;
    }
};

QTEST_MAIN(TestCommLog)
#include "test_comm_log.moc"
