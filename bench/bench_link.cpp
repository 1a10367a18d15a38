// Link benchmark against kz-sim:
//  (a) one "0RD02" exchange without pacing, median over many, next to a raw write/poll/read loop
//      on the same pseudo-terminal (the floor);
//  (b) with pacing, one "0RD02" exchange against its line time (30 characters at 9600 baud);
//  (c) the CPU time the process spends during a 5000 ms reply time-out.

#include "link/exchange.h"
#include "link/port.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

using namespace kz;

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// One exchange by hand: write the frame, poll and read until CR LF.
double RawExchangeMs(int fd)
{
    QElapsedTimer t;
    t.start();
    const char frame[] = "0RD02\r\n";
    if (write(fd, frame, sizeof frame - 1) < 0)
        return -1;
    char buf[64];
    std::string got;
    while (got.size() < 2 || got.compare(got.size() - 2, 2, "\r\n") != 0) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0)
            return -1;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return -1;
        got.append(buf, size_t(n));
    }
    return t.nsecsElapsed() / 1e6;
}

double LinkExchangeMs()
{
    QElapsedTimer t;
    t.start();
    if (test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")) != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? atoi(argv[1]) : 300;
    test::TestEnv env;
    test::ScriptedPrompts prompts;
    test::windowLink().link.portChoice().keepOpen = true;

    {  // (a)
        test::SimRunner sim;
        if (!sim.ready())
            return 1;
        std::vector<double> link, raw;
        for (int i = 0; i < 20; ++i)
            LinkExchangeMs();  // warm up, opens the port
        for (int i = 0; i < rounds; ++i)
            link.push_back(LinkExchangeMs());
        ForceClosePort();
        const int fd = open(QFileInfo(sim.linkPath()).canonicalFilePath().toLocal8Bit().constData(),
                            O_RDWR | O_NOCTTY);
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
        for (int i = 0; i < 20; ++i)
            RawExchangeMs(fd);
        for (int i = 0; i < rounds; ++i)
            raw.push_back(RawExchangeMs(fd));
        close(fd);
        const double l = Median(link), r = Median(raw);
        std::printf("(a) exchange, no pacing: link %.3f ms, raw floor %.3f ms, ratio %.2fx (median of %d; target <= 2x)\n",
                    l, r, l / r, rounds);
    }
    {  // (b)
        test::SimRunner sim({QStringLiteral("--pace")});
        if (!sim.ready())
            return 1;
        std::vector<double> paced;
        LinkExchangeMs();
        for (int i = 0; i < 30; ++i)
            paced.push_back(LinkExchangeMs());
        const double line = 30 * 10 / 9600.0 * 1000;
        const double p = Median(paced);
        std::printf("(b) paced 0RD exchange: %.2f ms against line time %.2f ms, ratio %.3fx (median of 30; target <= 1.05x)\n",
                    p, line, p / line);
        ForceClosePort();
    }
    {  // (c)
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD05:noreply")});
        if (!sim.ready())
            return 1;
        test::windowLink().link.timeoutMs = 5000;
        QElapsedTimer wall;
        const double before = CpuSeconds();
        wall.start();
        test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("05"));
        const double cpu = CpuSeconds() - before;
        const double seconds = wall.nsecsElapsed() / 1e9;
        std::printf("(c) 5000 ms time-out: %.3f s wall, %.1f ms CPU, %.3f%% of one core (target < 2%%)\n", seconds,
                    cpu * 1000, cpu / seconds * 100);
    }
    return 0;
}
