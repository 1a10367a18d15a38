// kz-sim: a KZ feeder controller on a pseudo-terminal. See usageText() for the command line.
#include "options.h"
#include "simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_stopWrite = -1;

void onStopSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_stopWrite, &byte, 1);
    errno = saved;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace kzsim;
    Options options;
    std::string error;
    switch (parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case ParseOutcome::Help:
        std::fputs(usageText(), stdout);
        return 0;
    case ParseOutcome::Error:
        std::fprintf(stderr, "kz-sim: %s\n\n%s", error.c_str(), usageText());
        return 2;
    case ParseOutcome::Run:
        break;
    }

    int stopPipe[2];
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("kz-sim: pipe");
        return 1;
    }
    g_stopWrite = stopPipe[1];
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Simulator simulator(options);
    return simulator.run(stopPipe[0]);
}
