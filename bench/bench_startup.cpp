// Start-up time to the main window (the 2 s splash left out) and resident memory, with the tool
// reading the simulated controller once.

#include "app/frmSelection.h"
#include "app/startup.h"
#include "main_window/frmMain.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "ui_frmSelection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>

using namespace kz;

namespace {

long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

}  // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    QApplication app(argc, argv);
    const qint64 appMs = sinceStart.elapsed();
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::SimRunner sim;
    if (!sim.ready())
        return 1;
    const qint64 simMs = sinceStart.elapsed() - appMs;  // starting the simulator is not the tool's time

    qint64 shownMs = -1;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<frmSelection *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        shownMs = sinceStart.elapsed() - simMs;  // the main window is up when the question appears
        dialog->form()->cmdSelectOk->click();     // read at once
    });
    answer.start(1);
    const auto window = Main(0);
    const qint64 readMs = sinceStart.elapsed() - simMs - shownMs;
    std::printf("start-up to the main window (splash excluded): %lld ms\n", static_cast<long long>(shownMs));
    std::printf("start-up read of the controller: %lld ms (no pacing)\n", static_cast<long long>(readMs));
    std::printf("resident memory with the main window up: %ld KiB\n", ResidentKiB());
    return 0;
}
