// The Options dialog's look at the ports with 8 serial devices: 8 pseudo-terminals linked as COM1
// to COM8 and listed by a fixed device list, the other numbers linked to nothing. Prints the
// median and worst of 50 runs of the probe, of the probe with the device list, and of the whole
// dialog load; and the listing of this machine's own serial devices, which production adds.

#include "app/frmOptions.h"
#include "core/paths.h"
#include "app/port_probe.h"
#include "link/port.h"
#include "link/port_assign.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

using namespace kz;

namespace {

constexpr int kDevices = 8;
constexpr int kRuns = 50;

struct Figures {
    double median;
    double worst;
};

Figures Measure(const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

void Print(const char *what, Figures f)
{
    std::printf("%-52s median %6.2f ms, worst %6.2f ms\n", what, f.median, f.worst);
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::FixedSerialDevices devices;

    std::vector<int> masters;
    QDir().mkpath(PortLinkDir());
    for (int n = 1; n <= 32; ++n) {
        QString target = QDir(env.configDir()).filePath(QStringLiteral("nothing"));
        if (n <= kDevices) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
                return 1;
            masters.push_back(master);
            target = QString::fromLocal8Bit(::ptsname(master));
            devices.list << SerialDevice{target, {}, QStringLiteral("Pseudo-terminal %1").arg(n), QStringLiteral("KZ"),
                                         QString::number(n), 0x0403, 0x6001, true};
        }
        QFile::link(target, PortLinkPath(n));
    }

    ProbePorts();
    int available = 0;
    for (int n = 1; n <= 32; ++n)
        available += PortAvailable(n) ? 1 : 0;
    std::printf("%d serial devices, %d of COM1-COM32 opened by the probe, %d runs each\n", kDevices, available, kRuns);

    Print("probe of COM1-COM32", Measure([] { ProbePorts(); }));
    Print("probe + device list + assignments", Measure([] {
              ProbePorts();
              // Eight numbered devices and 24 numbers linked to nothing.
              const QList<PortRow> rows = PortAssignments(SerialDevices().devices());
              if (rows.size() != 32 || rows[kDevices - 1].device.description.isEmpty())
                  std::abort();
          }));
    Print("whole Options dialog load (captions, probe, lists)", Measure([] { PortChoice choice{1, true, 0}; frmOptions dialog(choice); }));

    // The list the dialog gets in production: QSerialPortInfo and /dev/serial/by-id. The first
    // call pays for setting up udev; the median is what each later dialog load costs.
    QElapsedTimer t;
    t.start();
    const qsizetype own = SystemSerialDevices().devices().size();
    std::printf("this machine's own serial devices: %lld, first listing %.2f ms\n", static_cast<long long>(own),
                t.nsecsElapsed() / 1e6);
    Print("listing this machine's serial devices", Measure([] { SystemSerialDevices().devices(); }));

    for (int master : masters)
        ::close(master);
    return 0;
}
