// kzpc-cli on a line of controllers: eight kz-sim controllers paced at 9600 baud, worked at once by
// one kzpc-cli, against one controller alone (wall time of the whole program, median of the rounds):
//  read:  "0CM1" and five "0RD" exchanges a port;
//  write: "0CM1", seven "0WD", "0CM1", five "0RD" read back and compared, "0CM1" and "0CM3";
//  the same one-controller read over a TCP connection against a pseudo-terminal.
// Usage: bench_fleet [rounds]

#include "core/paths.h"
#include "files/data_file.h"
#include "params/parameter_set.h"
#include "support/sim_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace kz;

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString LinkTarget(const QString &link)
{
    char buf[256];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buf, sizeof buf);
    return n > 0 ? QString::fromLocal8Bit(buf, int(n)) : QString();
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 9;
    QTemporaryDir xdg;
    SetConfigDirOverride(QDir(xdg.path()).filePath(QStringLiteral("KZPC-Software")));
    QDir().mkpath(PortLinkDir());
    const QString out = QDir(xdg.path()).filePath(QStringLiteral("out"));
    QDir().mkpath(out);

    std::vector<std::unique_ptr<test::SimRunner>> sims;
    QStringList eight;
    for (int n = 1; n <= 8; ++n) {
        sims.push_back(std::make_unique<test::SimRunner>(QStringList{QStringLiteral("--pace")}, n));
        if (!sims.back()->ready())
            return 1;
        eight.append(QStringLiteral("COM%1").arg(n));
    }
    test::SimRunner network({QStringLiteral("--pace"), QStringLiteral("--tcp"), QStringLiteral("0")}, 9);
    if (!network.ready())
        return 1;
    const QString address = LinkTarget(network.linkPath());

    ParameterSet set;
    set.Vel1 = 30; set.Acc1 = 9; set.Dec1 = 1; set.Position1 = 400; set.PauseTime1 = 0;
    set.Vel2 = 12; set.Acc2 = 5; set.Dec2 = 5; set.Position2 = 350; set.PauseTime2 = 255;
    set.HomingVel = 8; set.HomingPulse = 600; set.OffsetVel = 6; set.HomeOffset = 2; set.RevDir = 1;
    set.SupplyCounter = 9; set.RestartDelay = 100; set.NoWorkCounter = 200; set.SeparateTimer = 100;
    set.MidDetectCounter = 15; set.TipWorkOffTimer = 20; set.Sp1 = 3;
    const QString file = QDir(xdg.path()).filePath(QStringLiteral("line.kzd"));
    {
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(DataFileBytes(set));
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), xdg.path());
    auto run = [&](const QStringList &args) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        p.start(QStringLiteral(KZPC_CLI_PATH), args);
        p.waitForFinished(60000);
        const double ms = t.nsecsElapsed() / 1e6;
        if (p.exitCode() != 0)
            std::fprintf(stderr, "kzpc-cli %s: %s\n", qPrintable(args.join(' ')), p.readAllStandardOutput().constData());
        return ms;
    };
    auto measure = [&](const QStringList &args) {
        std::vector<double> v;
        for (int i = 0; i < rounds; ++i)
            v.push_back(run(args));
        return Median(v);
    };

    const QStringList dir{QStringLiteral("-d"), out};
    const double readOne = measure(QStringList{"read", "COM1"} + dir);
    const double readEight = measure(QStringList{"read"} + eight + dir);
    std::printf("read, 1 controller:   %8.1f ms\n", readOne);
    std::printf("read, 8 at once:      %8.1f ms  %.3fx\n", readEight, readEight / readOne);

    const double writeOne = measure({"write", file, "COM1"});
    const double writeEight = measure(QStringList{"write", file} + eight);
    std::printf("write+read-back+reset, 1 controller: %8.1f ms\n", writeOne);
    std::printf("write+read-back+reset, 8 at once:    %8.1f ms  %.3fx\n", writeEight, writeEight / writeOne);

    const double readTcp = measure(QStringList{"read", address} + dir);
    std::printf("read, 1 controller over TCP: %8.1f ms  %.3fx the pseudo-terminal's\n", readTcp, readTcp / readOne);
    const double noop = measure({"--version"});
    std::printf("kzpc-cli start and exit alone: %8.1f ms (rounds: %d)\n", noop, rounds);
    return 0;
}
