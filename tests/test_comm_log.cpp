// The communication log: its lines for each outcome of an exchange against kz-sim, the log file,
// the window's limit, poll filter, copy and save, that it keeps the start-up read, that it stays
// usable beside the modal I/O monitor, and where it opens beside the main window.

#include "app/frmSelection.h"
#include "app/startup.h"
#include "core/strings.h"
#include "io_monitor/frmInputOutput.h"
#include "link/comm_log.h"
#include "link/exchange.h"
#include "link/frmCommLog.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "support/file_size_limit.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"
#include "ui_frmMain.h"
#include "ui_frmSelection.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
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
        test::windowLink().link.timeoutMs = 300;
        QCOMPARE(test::windowLink().exchange(cmd, length, arg), 1 - int(expected.last() == QStringLiteral("·  good")));
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
        test::windowLink().link.portChoice().number = 7;  // no link, no device
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        const QStringList lines = Lines(model);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].contains(QStringLiteral("·  port could not be opened: COM7")), qPrintable(lines[0]));
    }

    // The log file is a regular file, made when missing; anything else is refused with the reason.
    void logFileTakesOnlyARegularFile_data()
    {
        QTest::addColumn<QString>("path");  // "@": in a temporary folder
        QTest::addColumn<QString>("reason");  // empty: accepted
        QTest::newRow("new file") << "@/comm.log" << "";
        QTest::newRow("folder") << "@" << "not a regular file (a folder, a device or a pipe)";
        QTest::newRow("device") << "/dev/null" << "not a regular file (a folder, a device or a pipe)";
        QTest::newRow("missing folder") << "@/missing/comm.log" << "No such file or directory";
    }
    void logFileTakesOnlyARegularFile()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        TestEnv env;
        QTemporaryDir dir;
        path.replace(QLatin1Char('@'), dir.path());
        CommLogFile file;
        QString error;
        QCOMPARE(file.open(path, &error), reason.isEmpty());
        QCOMPARE(error, reason);
        if (reason.isEmpty())
            QVERIFY(QFileInfo(path).isFile());
    }

    // A disk that takes no more: said once with the system's reason, no more lines tried, and a
    // file this run made that stayed empty is not left behind. A file that was there is kept.
    void logFileOnAFullDisk_data()
    {
        QTest::addColumn<QByteArray>("before");  // "-": no file before
        QTest::newRow("new file") << QByteArray("-");
        QTest::newRow("file with earlier lines") << QByteArray("earlier line\n");
    }
    void logFileOnAFullDisk()
    {
        QFETCH(QByteArray, before);
        TestEnv env;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("comm.log"));
        if (before != "-") {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(before);
        }
        QStringList said;
        {
            CommLogFile file;
            QString error;
            file.onWriteFailed = [&](const QString &message) { said << message; };
            FileSizeLimit full(before == "-" ? 0 : before.size());
            QVERIFY(full.active());
            QVERIFY2(file.open(path, &error), qPrintable(error));
            ReportTraffic(Record(TrafficKind::Sent, "0RD02\r\n"));
            ReportTraffic(Record(TrafficKind::Good));
            QVERIFY(file.writeFailed());
        }
        QCOMPARE(said, QStringList{QStringLiteral("The communication log could not be written to %1. From here on the "
                                                  "file records nothing.\r\nFile too large").arg(path)});
        if (before == "-") {
            QVERIFY(!QFileInfo::exists(path));
        } else {
            QFile kept(path);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), before);
        }
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

    // A view gets the new lines in one batch per interval, the dropped ones leaving with them,
    // and nothing while inactive.
    void pacedForAView()
    {
        TestEnv env;
        CommLogModel model(false);
        for (int i = 0; i < CommLogModel::kMaxLines; ++i)
            model.append(Record(TrafficKind::Sent, "F" + QByteArray::number(i) + "\r\n"));
        PacedCommLog paced(model, 100);
        QCOMPARE(paced.rowCount(), 0);
        paced.setActive(true);
        QCOMPARE(paced.rowCount(), CommLogModel::kMaxLines);
        QSignalSpy inserted(&paced, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&paced, &QAbstractItemModel::rowsRemoved);
        for (int i = 0; i < 3; ++i)
            model.append(Record(TrafficKind::Sent, "G" + QByteArray::number(i) + "\r\n"));
        const auto line = [&](int row) { return paced.index(row).data().toString(); };
        QVERIFY(line(CommLogModel::kMaxLines - 1).endsWith(QStringLiteral("F9999↩↓")));
        QTRY_COMPARE(inserted.count(), 1);
        QCOMPARE(removed.count(), 1);
        QCOMPARE(paced.rowCount(), CommLogModel::kMaxLines);
        QVERIFY(line(0).endsWith(QStringLiteral("F3↩↓")));
        QVERIFY(line(CommLogModel::kMaxLines - 1).endsWith(QStringLiteral("G2↩↓")));

        model.clear();
        QCOMPARE(paced.rowCount(), 0);
        model.append(Record(TrafficKind::Sent, "H\r\n"));
        paced.catchUp();
        QCOMPARE(paced.rowCount(), 1);
        QVERIFY(line(0).endsWith(QStringLiteral("H↩↓")));
        paced.setActive(false);
        model.append(Record(TrafficKind::Sent, "I\r\n"));
        QTest::qWait(150);
        QCOMPARE(paced.rowCount(), 0);
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

    // Reached from the View menu while an operation runs, and usable while the modal I/O monitor
    // polls: a click through the window system, as the user's, reaches it; the monitor opens it
    // too; Escape closes it.
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
        QVERIFY(QTest::qWaitForWindowExposed(log));
        QVERIFY(sim.frames().isEmpty());  // showing the log talks to nobody
        log->cmdClear_Click();

        bool toggled = false;
        bool reopened = false;
        int linesWhileModal = 0;
        QTimer::singleShot(0, [&] {
            auto *monitor = main.findChild<frmInputOutput *>();
            monitor->cmdMonitor_Click();
            sim.waitForFrames(2);
            QTest::qWait(300);
            auto *box = log->findChild<QCheckBox *>(QStringLiteral("chkHidePolls"));
            QTest::mouseClick(log->windowHandle(), Qt::LeftButton, {}, box->mapTo(log, QPoint(4, box->height() / 2)));
            toggled = box->isChecked();
            linesWhileModal = log->model().rowCount();
            log->hide();
            if (auto *open = monitor->findChild<QAbstractButton *>(QStringLiteral("cmdCommLog"))) {
                open->click();
                reopened = log->isVisible();
            }
            monitor->cmdMonitor_Click();
            QTest::qWait(300);
            monitor->cmdTojiru_Click();
        });
        main.form()->mnuShowInpOutp->trigger();
        QVERIFY(toggled);
        QVERIFY(reopened);
        QVERIFY2(linesWhileModal >= 6, qPrintable(QString::number(linesWhileModal)));
        QCOMPARE(log->shownLines(), QStringList{});  // polls hidden, and nothing else was said

        QTest::keyClick(log, Qt::Key_Escape);
        QVERIFY(!log->isVisible());
        ForceClosePort();
    }

    // The start-up read, the exchange most often wanted, is in the log when it is first opened
    // afterwards; opening it sends nothing.
    void keepsTheStartUpRead()
    {
        TestEnv env;
        ScriptedPrompts prompts;
        SimRunner sim;
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        ProgramCommLog().clear();  // what earlier tests said
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<frmSelection *>(QApplication::activeModalWidget())) {
                answer.stop();
                dialog->form()->cmdSelectOk->click();  // "read at once" is chosen
            }
        });
        answer.start(20);
        const auto window = Main(0);
        QVERIFY(test::WaitForIdle(window));
        const QStringList frames = sim.frames();
        QCOMPARE(frames.size(), 6);

        ShowCommLog(window.get());
        const QStringList sent = Tails(CommLogWindow()->shownLines()).filter(QStringLiteral("→  "));
        QCOMPARE(sent, (QStringList{"→  0CM1↩↓", "→  0RD02↩↓", "→  0RD04↩↓", "→  0RD05↩↓", "→  0RD00↩↓", "→  0RD01↩↓"}));
        QCOMPARE(sim.frames(), frames);
        CommLogWindow()->hide();
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

        const QString missing = dir.filePath(QStringLiteral("no/such/folder/log.txt"));
        prompts.fileResults.enqueue(Chosen(missing));
        log->cmdSave_Click();
        QCOMPARE(prompts.texts().size(), 1);
        QVERIFY2(prompts.texts()[0].startsWith(QStringLiteral("The communication log could not be saved.\r\n%1: ").arg(missing)),
                 qPrintable(prompts.texts()[0]));

        // A full disk: the reason is said, and neither the file nor a part of it is left.
        QTemporaryDir fullDir;
        const QString full = fullDir.filePath(QStringLiteral("log.txt"));
        prompts.fileResults.enqueue(Chosen(full));
        {
            FileSizeLimit limit;
            QVERIFY(limit.active());
            log->cmdSave_Click();
        }
        QCOMPARE(prompts.texts().size(), 2);
        QCOMPARE(prompts.texts()[1], QStringLiteral("The communication log could not be saved.\r\n%1: File too large").arg(full));
        QCOMPARE(QDir(fullDir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{});
        delete log;
    }

    // Beside the main window, never over it where the screen has room: right, left, below or above,
    // shrunk to the room there; only with no room anywhere does it cover part of the window.
    void placedClearOfTheMainWindow_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QRect>("placed");
        // Wanted 640 x 420, at least 300 x 160; the main window with its parameter frames shown is
        // 672 x 627 with its frame.
        QTest::newRow("1280x1024, main at the top left: right of it, narrower")
            << QRect(0, 0, 1280, 1024) << QRect(0, 0, 672, 627) << QRect(680, 0, 600, 420);
        QTest::newRow("1280x1024, main in the middle: below it, as wide as wanted")
            << QRect(0, 0, 1280, 1024) << QRect(304, 198, 672, 627) << QRect(304, 833, 640, 191);
        QTest::newRow("1280x1024 less a panel, main at the right: left of it")
            << QRect(0, 28, 1280, 996) << QRect(600, 28, 672, 627) << QRect(0, 28, 592, 420);
        QTest::newRow("1920x1080, main in the middle: right of it, narrower")
            << QRect(0, 0, 1920, 1080) << QRect(624, 226, 672, 627) << QRect(1304, 226, 616, 420);
        QTest::newRow("1366x768, main at the top left: right of it")
            << QRect(0, 0, 1366, 768) << QRect(0, 0, 672, 627) << QRect(680, 0, 640, 420);
        QTest::newRow("second screen to the right") << QRect(1280, 0, 1280, 1024) << QRect(1280, 0, 672, 627)
                                                    << QRect(1960, 0, 600, 420);
        QTest::newRow("800x600, no room anywhere: the least at the screen's right edge")
            << QRect(0, 0, 800, 600) << QRect(0, 0, 672, 627) << QRect(500, 0, 300, 160);
    }
    void placedClearOfTheMainWindow()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, main);
        QFETCH(QRect, placed);
        const QRect got = PlaceBeside(screen, main, QSize(640, 420), QSize(300, 160));
        QCOMPARE(got, placed);
        QVERIFY(screen.contains(got));
    }
};

QTEST_MAIN(TestCommLog)
#include "test_comm_log.moc"
