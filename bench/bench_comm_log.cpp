// The communication log must not change the link's timing. Against kz-sim at line speed (--pace):
//  the whole read (162 characters, 168.75 ms) and write (346 characters, 360.42 ms) with no log,
//  with the program's log kept from start-up (window never opened), with the log window open and
//  with the log file (kzpc --comm-log), each against its line time; then the CPU the tool uses while
//  the I/O monitor polls for 10 s: nobody watching, the log kept with its window closed, the window
//  open, and the window open over a full log of 10,000 lines.
// Usage: bench_comm_log [rounds] [poll seconds]

#include "core/settings.h"
#include "io_monitor/frmInputOutput.h"
#include "link/comm_log.h"
#include "link/exchange.h"
#include "link/frmCommLog.h"
#include "link/port.h"
#include "main_window/frmMain.h"
#include "params/data_image.h"
#include "params/parameter_document.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace kz;

namespace {

double LineMs(int characters)
{
    return characters * 10 / 9600.0 * 1000;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuSeconds();

// The share of one core the tool uses while the I/O monitor polls for the given time.
double PollCpu(frmMain &window, int seconds)
{
    frmInputOutput monitor(&window);
    monitor.show();
    monitor.cmdMonitor_Click();
    QTest::qWait(500);
    QElapsedTimer wall;
    wall.start();
    const double cpu0 = CpuSeconds();
    QTest::qWait(seconds * 1000);
    const double cpu = CpuSeconds() - cpu0;
    const double secs = wall.nsecsElapsed() / 1e9;
    monitor.cmdMonitor_Click();
    QTest::qWait(300);
    return cpu / secs * 100;
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool Transfers(frmMain &window, int rounds, const char *label)
{
    std::vector<double> reads, writes;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!test::RunToEnd([&](auto done) {
                window.session().readParameters([&, done](const Outcome &outcome, const ParameterSet &set) {
                    window.document().staged = set;
                    done(outcome, set);
                });
            }))
            return false;
        reads.push_back(t.nsecsElapsed() / 1e6);
    }
    ParameterDocument &document = window.document();
    document.makeStagedCurrent();
    if (BuildWriteBlocks(document.current, document.blocks, true) != 0)
        return false;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer t;
        t.start();
        if (!test::RunToEnd([&](auto done) { window.session().setCommunicationMode(done); })
            || !test::RunToEnd([&](auto done) { window.session().writeParameters(window.document().current, true, done); }))
            return false;
        writes.push_back(t.nsecsElapsed() / 1e6);
    }
    const double r = Median(reads), w = Median(writes);
    std::printf("%-12s read %.2f ms / %.2f ms = %.3fx, write %.2f ms / %.2f ms = %.3fx (median of %d; target <= 1.05x)\n",
                label, r, LineMs(162), r / LineMs(162), w, LineMs(346), w / LineMs(346), rounds);
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 10;
    const int pollSeconds = argc > 2 ? atoi(argv[2]) : 10;
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::SimRunner sim({QStringLiteral("--pace")});
    if (!sim.ready())
        return 1;
    LoadLanguage();
    frmMain window;
    window.show();
    ShowParametersOption = true;
    window.ApplyShowParametersLayout();
    window.EditModeLayout();
    window.link().portChoice().keepOpen = true;

    const double bare = PollCpu(window, pollSeconds);
    std::printf("polling, nobody watching the link: %.2f %% of one core\n", bare);
    if (!Transfers(window, rounds, "no log"))
        return 1;
    // What the program does from start-up on: the log is kept, its window not yet opened.
    ProgramCommLog();
    const double kept = PollCpu(window, pollSeconds);
    std::printf("polling, log kept, window never opened: %.2f %% of one core\n", kept);
    if (!Transfers(window, rounds, "log kept"))
        return 1;
    ShowCommLog(&window);
    if (!Transfers(window, rounds, "log window"))
        return 1;
    CommLogWindow()->hide();
    QTemporaryDir dir;
    {
        CommLogFile file;
        QString error;
        if (!file.open(dir.filePath(QStringLiteral("comm.log")), &error))
            return 1;
        if (!Transfers(window, rounds, "log file"))
            return 1;
    }

    // Polling five times a second with the log window open and following.
    ShowCommLog(&window);
    const int before = CommLogWindow()->model().rowCount();
    const double withLog = PollCpu(window, pollSeconds);
    std::printf("polling with the log window open: %.2f %% of one core, %d lines logged (target < 2 %%)\n",
                withLog, CommLogWindow()->model().rowCount() - before);

    // A long session: the log holds its 10,000 lines, so every new line also drops the oldest.
    TrafficRecord filler;
    filler.msecsSinceEpoch = 1;
    filler.port = QStringLiteral("COM1");
    filler.bytes = "0RD20\r\n";
    for (int i = ProgramCommLog().rowCount(); i < CommLogModel::kMaxLines; ++i)
        ProgramCommLog().append(filler);
    const double full = PollCpu(window, pollSeconds);
    std::printf("polling with the log window open over %d lines: %.2f %% of one core (target < 2 %%)\n",
                ProgramCommLog().rowCount(), full);
    CommLogWindow()->hide();
    const double fullHidden = PollCpu(window, pollSeconds);
    std::printf("polling with %d lines kept, window closed: %.2f %% of one core (target < 2 %%)\n",
                ProgramCommLog().rowCount(), fullHidden);
    return 0;
}
