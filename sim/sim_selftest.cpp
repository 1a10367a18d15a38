// Self-test of kz-sim: starts the simulator on a temporary link and talks to it over the
// terminal as the tool does, frame by frame. Usage: kz-sim-selftest PATH-TO-KZ-SIM
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::string g_simBinary;
std::string g_dir;
int g_failures = 0;

std::string visible(const std::string& s)
{
    std::string out;
    for (const unsigned char c : s) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void check(bool ok, const std::string& what, int line)
{
    if (!ok) {
        ++g_failures;
        std::printf("  FAIL (line %d): %s\n", line, what.c_str());
    }
}

void checkEq(const std::string& got, const std::string& want, const std::string& what, int line)
{
    check(got == want, what + ": got \"" + visible(got) + "\", want \"" + visible(want) + "\"", line);
}

#define CHECK(cond, what) check((cond), (what), __LINE__)
#define CHECK_EQ(got, want, what) checkEq((got), (want), (what), __LINE__)

long long msSince(Clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

double msSinceExact(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Spawns kz-sim with the given arguments; stdout comes back through a pipe.
pid_t spawn(const std::vector<std::string>& args, int& stdoutFd, bool quietStderr)
{
    int out[2];
    if (::pipe(out) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        if (quietStderr) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDERR_FILENO);
        }
        ::close(out[0]);
        ::close(out[1]);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(g_simBinary.c_str()));
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(g_simBinary.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    stdoutFd = out[0];
    return pid;
}

// Waits for the process to end; returns its exit code, or -1 after a timeout (then kills it).
int waitExit(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto start = Clock::now();
    while (Clock::now() - start < timeout) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(10ms);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

// Reads one line of stdout, waiting up to `timeout`.
std::string readStdoutLine(int fd, std::chrono::milliseconds timeout)
{
    std::string line;
    const auto start = Clock::now();
    while (Clock::now() - start < timeout) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        char c;
        if (::read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line += c;
    }
    return line;
}

std::string linkTarget(const std::string& path)
{
    char buf[256];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

class Sim {
public:
    Sim(const std::string& name, std::vector<std::string> extra)
        : link(g_dir + "/" + name)
    {
        std::vector<std::string> args = {"--link", link};
        args.insert(args.end(), extra.begin(), extra.end());
        pid = spawn(args, out, false);
        readyLine = readStdoutLine(out, 5000ms);
    }
    ~Sim()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        ::close(out);
    }
    bool ready() const { return readyLine.rfind("kz-sim: ready " + link + " -> /dev/pts/", 0) == 0; }
    // Sends `sig` and returns the exit code.
    int stop(int sig = SIGTERM)
    {
        ::kill(pid, sig);
        const int code = waitExit(pid, 5000ms);
        pid = -1;
        return code;
    }

    std::string link;
    pid_t pid = -1;
    int out = -1;
    std::string readyLine;
};

// The tool's side of the line: the linked device, opened raw.
class Port {
public:
    explicit Port(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            return;
        termios tio{};
        ::tcgetattr(fd_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(fd_, TCSANOW, &tio);
    }
    ~Port()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    void sendRaw(const std::string& bytes)
    {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return;
            else
                std::this_thread::sleep_for(1ms);
        }
    }
    void send(const std::string& frame)
    {
        sentFrames.push_back(frame);
        sendRaw(frame + "\r\n");
    }

    // Reads as the tool waits for a reply: until what arrived ends in CR LF, or the time-out.
    // Records each read's arrival, so that replies in pieces can be seen.
    std::string reply(std::chrono::milliseconds timeout = 2000ms)
    {
        return readUntil(timeout, [](const std::string& s) {
            return s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0;
        });
    }
    // Everything that arrives within `span`.
    std::string readFor(std::chrono::milliseconds span)
    {
        return readUntil(span, [](const std::string&) { return false; });
    }

    std::vector<std::string> sentFrames;
    std::vector<Clock::time_point> arrivals;
    bool hungUp = false;

private:
    template <typename Done>
    std::string readUntil(std::chrono::milliseconds timeout, Done done)
    {
        std::string got;
        arrivals.clear();
        const auto start = Clock::now();
        while (!hungUp) {
            const auto left = timeout - (Clock::now() - start);
            if (left <= 0ms)
                break;
            pollfd p{fd_, POLLIN, 0};
            const int r = ::poll(&p, 1,
                static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1);
            if (r <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, static_cast<std::size_t>(n));
                arrivals.push_back(Clock::now());
                if (done(got))
                    break;
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                hungUp = true;
            }
        }
        return got;
    }

    int fd_ = -1;
};

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct Exchange {
    std::string frame;
    std::string reply;
};

void runTable(Port& port, const std::vector<Exchange>& table, const char* what)
{
    for (const auto& e : table) {
        port.send(e.frame);
        CHECK_EQ(port.reply(), e.reply, std::string(what) + " " + visible(e.frame));
    }
}

// Every command of the table answered with its exact text and length, from a fresh memory.
void testReplies()
{
    std::puts("replies of every command");
    const std::string log = g_dir + "/replies.log";
    Sim sim("replies", {"--log", log, "--version", "2B7", "--travel-ms", "50"});
    CHECK(sim.ready(), "ready line: " + sim.readyLine);
    if (!sim.ready())
        return;
    CHECK(linkTarget(sim.link) == sim.readyLine.substr(sim.readyLine.find("-> ") + 3),
          "link points at the announced device");
    Port port(sim.link);
    CHECK(port.ok(), "open link");

    struct Row {
        std::string frame;
        std::string reply;
        std::size_t length;  // from the command table, CR LF included
    };
    const std::vector<Row> rows = {
        {"0CM1", "0CM1\r\n", 6},
        {"0CM0", "0CM0\r\n", 6},
        // VEL 10 (x4 = 28), ACC 5, DEC 5, position 100, pause 10
        {"0RD02", "0RD022805050000640AFF\r\n", 23},
        {"0RD04", "0RD042805050000C814FF\r\n", 23},
        {"0RD05", "0RD0550050514FFFFFFFF\r\n", 23},
        {"0RD03", "0RD035005050AFFFFFFFF\r\n", 23},
        // homing VEL 8, pulse 300 = 012C, offset VEL 6, offset 2, filler, direction 0
        {"0RD00", "0RD0008012C060002FF00\r\n", 23},
        // supply 8, restart 100, no work 200, separate 100, mid 15, tip off 20, SP1 0
        {"0RD01", "0RD010864C8640F1400FF\r\n", 23},
        {"0RD1F", "0RD1FFFFFFFFFFFFF55AA\r\n", 23},
        // inputs off (A 10, B 08, C 26), outputs off
        {"0RD20", "0RD200000000000100826\r\n", 23},
        {"0MP0", "0MP0000000\r\n", 12},
        {"0MP1", "0MP1000064\r\n", 12},
        {"0MP2", "0MP20000C8\r\n", 12},
        {"0%C", "0%C00\r\n", 7},
        {"0RV", "0RV2B7001\r\n", 11},
        {"0WS00", "0WS00\r\n", 7},
    };
    for (const auto& row : rows) {
        port.send(row.frame);
        const std::string got = port.reply();
        CHECK_EQ(got, row.reply, row.frame);
        CHECK(got.size() == row.length, row.frame + " reply length " + std::to_string(got.size()));
    }

    std::puts("malformed frames");
    const std::string overlong(5000, 'A');
    runTable(port,
             {
                 {"0XY", "0%%01\r\n"},
                 {"", "0%%01\r\n"},
                 {"0rd02", "0%%01\r\n"},
                 {"0RD2", "0%%03\r\n"},
                 {"0RD021", "0%%03\r\n"},
                 {"0RD99", "0%%02\r\n"},
                 {"0RD0a", "0%%02\r\n"},
                 {"0RD\x80\xFF", "0%%02\r\n"},
                 {"0WD022805050000640AF", "0%%03\r\n"},
                 {"0WD022805050000640AFG", "0%%02\r\n"},
                 {"0WD022805050000640aff", "0%%02\r\n"},
                 {"0WD200000000000000000", "0%%02\r\n"},
                 {"0MP3", "0%%08\r\n"},
                 {"0MPX", "0%%02\r\n"},
                 {"0MP12", "0%%03\r\n"},
                 {"0CM2", "0%%02\r\n"},
                 {"0RVX", "0%%03\r\n"},
                 {"0%C0", "0%%03\r\n"},
                 {"0WS1", "0%%03\r\n"},
                 {"0WSG0", "0%%02\r\n"},
                 {"0WS11", "0%%02\r\n"},
                 {overlong, "0%%01\r\n"},
                 {"0CM1", "0CM1\r\n"},  // still listening after the junk
             },
             "malformed");

    std::puts("memory and outputs");
    runTable(port,
             {
                 // VEL 30 (x4 = 78), ACC 9, DEC 1, position 400 = 000190, pause 0
                 {"0WD02780901000190 0FF", "0%%02\r\n"},  // a blank is no digit
                 {"0WD0278090100019000FF", "0WD0278090100019000FF\r\n"},
                 {"0RD02", "0RD0278090100019000FF\r\n"},
                 {"0WD00100258100258FF01", "0WD00100258100258FF01\r\n"},
                 {"0RD00", "0RD00100258100258FF01\r\n"},
                 {"0RD04", "0RD042805050000C814FF\r\n"},  // other blocks untouched
                 {"0MP1", "0MP1000190\r\n"},            // moves to the stored position
                 // EMPTY + OK on: A gains 08, B gains 40
                 {"0WS50", "0WS50\r\n"},
                 {"0RD20", "0RD200000000000184826\r\n"},
                 // IN-P + ESCAPE SOL. on: A gains 20, B gains 80
                 {"0WSA0", "0WSA0\r\n"},
                 {"0RD20", "0RD200000000000308826\r\n"},
             },
             "memory");

    // Reset: silent, memory kept, outputs off.
    port.send("0CM3");
    CHECK_EQ(port.readFor(300ms), "", "0CM3 says nothing");
    runTable(port,
             {
                 {"0RD02", "0RD0278090100019000FF\r\n"},
                 {"0RD20", "0RD200000000000100826\r\n"},
             },
             "after reset");

    std::puts("travel time");
    port.send("0MP2");
    const auto t0 = Clock::now();
    CHECK_EQ(port.reply(), "0MP20000C8\r\n", "0MP2");
    const long long travel = msSince(t0);
    std::printf("  0MP with --travel-ms 50 answered after %lld ms\n", travel);
    CHECK(travel >= 45, "0MP waits for the travel time");

    std::puts("log file");
    std::string expected;
    for (const auto& frame : port.sentFrames)  // an overlong frame is cut to the limit
        expected += (frame == overlong ? std::string(4096, 'A') : frame) + "\n";
    const std::string logged = fileText(log);
    CHECK(logged == expected, "log holds every frame in order, as received; got:\n" + visible(logged));

    CHECK(sim.stop() == 0, "exit code 0 on SIGTERM");
}

struct ReadResult {
    std::string bytes;
    double ms;
};

ReadResult timedReply(Port& port, const std::string& frame)
{
    port.send(frame);
    const auto t0 = Clock::now();
    ReadResult r{port.reply(), 0};
    r.ms = msSinceExact(t0);
    return r;
}

void testFaults()
{
    std::puts("faults");
    Sim sim("faults", {
                          "--travel-ms", "0",
                          "--fault", "0RD05#2:noreply",
                          "--fault", "0RD01:alarm=0b",
                          "--fault", "0RD00:pieces=3/60",
                          "--fault", "0RV:echo",
                          "--fault", "0%C:length",
                          "--fault", "0CM0:trailing",
                          "--fault", "0WD03:garbage=8",
                          "--fault", "0RD04:late=400",
                          "--fault", "0RD1F:flood=5000",
                          "--fault", "0WD02:alarm=05",
                          "--fault", "0MP2#1:hangup",
                      });
    CHECK(sim.ready(), "ready line: " + sim.readyLine);
    Port port(sim.link);

    // Only the second "0RD05" goes unanswered.
    const std::string block05 = "0RD0550050514FFFFFFFF\r\n";
    CHECK_EQ(timedReply(port, "0RD05").bytes, block05, "first 0RD05");
    port.send("0RD05");
    CHECK_EQ(port.readFor(300ms), "", "second 0RD05 (noreply)");
    CHECK_EQ(timedReply(port, "0RD05").bytes, block05, "third 0RD05");

    runTable(port,
             {
                 {"0RD01", "0%%0b\r\n"},
                 {"0RV", "XXX140001\r\n"},
                 {"0%C", "0%C000\r\n"},
                 {"0WD0278090100019000FF", "0%%05\r\n"},
                 // the alarmed write stored nothing
                 {"0RD02", "0RD022805050000640AFF\r\n"},
                 {"0CM1", "0CM1\r\n"},
             },
             "fault");

    port.send("0CM0");
    CHECK_EQ(port.readFor(300ms), "0CM0\r\nXY", "trailing text after CR LF");

    port.send("0WD035005050AFFFFFFFF");
    const std::string junk = port.reply();
    CHECK(junk.size() == 10 && junk.find('\0') != std::string::npos &&
              junk.find('\xFF') != std::string::npos && junk.compare(8, 2, "\r\n") == 0,
          "garbage=8: 8 junk bytes and CR LF, got \"" + visible(junk) + "\"");

    port.send("0RD00");
    const std::string pieces = port.reply();
    const auto arrivals = port.arrivals;
    CHECK_EQ(pieces, "0RD0008012C060002FF00\r\n", "pieces: the normal reply");
    CHECK(arrivals.size() == 3, "pieces: three reads, got " + std::to_string(arrivals.size()));
    if (arrivals.size() >= 2) {
        const auto span =
            std::chrono::duration_cast<std::chrono::milliseconds>(arrivals.back() - arrivals.front()).count();
        std::printf("  3 pieces spread over %lld ms\n", static_cast<long long>(span));
        CHECK(span >= 100, "pieces: 60 ms between pieces");
    }

    port.send("0RD04");
    CHECK_EQ(port.readFor(250ms), "", "late: nothing before its time");
    CHECK_EQ(port.reply(1000ms), "0RD042805050000C814FF\r\n", "late: the reply comes after all");

    port.send("0RD1F");
    std::string flood;
    const auto t0 = Clock::now();
    while (flood.size() < 5000 && msSince(t0) < 3000)
        flood += port.readFor(100ms);
    CHECK(flood.size() == 5000, "flood: 5000 bytes, got " + std::to_string(flood.size()));
    CHECK(flood.find("\r\n") == std::string::npos, "flood: no CR LF");
    CHECK(flood.find('\0') != std::string::npos, "flood: holds NUL");

    // Hang-up in mid-reply: half of the reply, then the line drops; a new device is linked.
    const std::string before = linkTarget(sim.link);
    port.send("0MP2");
    const std::string half = port.readFor(1000ms);
    CHECK_EQ(half, "0MP200", "hangup: first half of the reply");
    CHECK(port.hungUp, "hangup: the port sees the line drop");
    const std::string relinked = readStdoutLine(sim.out, 2000ms);
    CHECK(relinked.rfind("kz-sim: relinked " + sim.link + " -> /dev/pts/", 0) == 0,
          "relinked line: " + relinked);
    CHECK(linkTarget(sim.link) != before && !linkTarget(sim.link).empty(),
          "link points at a new device");
    Port again(sim.link);
    CHECK(again.ok(), "reopen after hangup");
    runTable(again,
             {
                 {"0CM1", "0CM1\r\n"},
                 {"0MP2", "0MP20000C8\r\n"},  // #1: only the first 0MP2 hung up
             },
             "after hangup");
    CHECK(sim.stop() == 0, "exit code 0 on SIGTERM");
}

// Replies that reach a closed port are lost, as on a real line; nothing stale greets the
// next open.
void testClosedPort()
{
    std::puts("closed port hears nothing");
    Sim sim("closed", {"--fault", "0RD04:late=300"});
    {
        Port port(sim.link);
        port.send("0RD04");  // the reply comes after the port is closed
        std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(400ms);
    {
        Port port(sim.link);
        port.send("0RD05");  // the reply is left unread at close
        std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(50ms);  // the simulator clears the line once it sees the close
    Port port(sim.link);
    port.send("0CM1");
    CHECK_EQ(port.reply() + port.readFor(100ms), "0CM1\r\n", "first reply after reopening");
}

void testInputs()
{
    std::puts("changing inputs");
    Sim sim("inputs", {"--inputs", "00,1F,05@200"});
    Port port(sim.link);
    // The first I/O read starts the cycle: 00 (all off), then 1F (all on), then RUN + PAUSE.
    const auto t0 = Clock::now();
    CHECK_EQ(timedReply(port, "0RD20").bytes, "0RD200000000000100826\r\n", "inputs at 0 ms");
    std::this_thread::sleep_until(t0 + 300ms);
    CHECK_EQ(timedReply(port, "0RD20").bytes, "0RD200000000000000000\r\n", "inputs at 300 ms");
    std::this_thread::sleep_until(t0 + 500ms);
    CHECK_EQ(timedReply(port, "0RD20").bytes, "0RD200000000000100024\r\n", "inputs at 500 ms");
    std::this_thread::sleep_until(t0 + 700ms);
    CHECK_EQ(timedReply(port, "0RD20").bytes, "0RD200000000000100826\r\n", "inputs at 700 ms");
}

void testPacing()
{
    std::puts("pacing at 9600 baud");
    Sim sim("paced", {"--pace", "--travel-ms", "100"});
    Port port(sim.link);
    timedReply(port, "0CM1");
    double total = 0;
    const int rounds = 5;
    for (int i = 0; i < rounds; ++i) {
        const ReadResult r = timedReply(port, "0RD02");
        CHECK_EQ(r.bytes, "0RD022805050000640AFF\r\n", "paced 0RD02");
        total += r.ms;
        CHECK(r.ms > 25, "0RD02 exchange takes its line time, took " + std::to_string(r.ms) + " ms");
    }
    std::printf("  0RD02 exchange: %.2f ms on average (30 characters = 31.25 ms)\n", total / rounds);
    CHECK(port.arrivals.size() > 5, "paced reply arrives character by character");
    const ReadResult move = timedReply(port, "0MP1");
    std::printf("  0MP1 exchange with 100 ms travel: %.2f ms (expected 118.75 ms)\n", move.ms);
    CHECK(move.ms > 110, "0MP1 takes line time plus travel");
}

void testStop()
{
    std::puts("stop signals");
    for (const int sig : {SIGTERM, SIGINT}) {
        Sim sim("stop", {});
        CHECK(sim.ready(), "ready line: " + sim.readyLine);
        CHECK(!linkTarget(sim.link).empty(), "link exists while running");
        CHECK(sim.stop(sig) == 0, std::string("exit code 0 on ") + strsignal(sig));
        struct stat st;
        CHECK(::lstat(sim.link.c_str(), &st) != 0, std::string("link removed on ") + strsignal(sig));
    }
}

void testArguments()
{
    std::puts("command line");
    const std::string link = g_dir + "/args";
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--link"},
        {"--link", link, "--frobnicate"},
        {"--link", link, "--fault", "0RD:bogus"},
        {"--link", link, "--fault", "0RD"},
        {"--link", link, "--fault", "0RD#0:noreply"},
        {"--link", link, "--fault", "0RD:alarm"},
        {"--link", link, "--fault", "0RD:pieces=1/50"},
        {"--link", link, "--fault", "0RD:noreply=3"},
        {"--link", link, "--inputs", "20"},
        {"--link", link, "--inputs", "01,02"},
        {"--link", link, "--inputs", "01,zz@100"},
        {"--link", link, "--version", "1234"},
        {"--link", link, "--travel-ms", "-5"},
        {"--pace"},
    };
    for (const auto& args : bad) {
        int out = -1;
        const pid_t pid = spawn(args, out, true);
        std::string joined;
        for (const auto& a : args)
            joined += " " + a;
        CHECK(waitExit(pid, 3000ms) == 2, "exit code 2 for:" + joined);
        ::close(out);
    }
    int out = -1;
    const pid_t pid = spawn({"--help"}, out, true);
    const std::string first = readStdoutLine(out, 2000ms);
    CHECK(waitExit(pid, 3000ms) == 0, "--help exits 0");
    CHECK(first.rfind("usage: kz-sim --link PATH", 0) == 0, "--help prints the usage: " + first);
    ::close(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-KZ-SIM\n", argv[0]);
        return 2;
    }
    g_simBinary = argv[1];
    char dirTemplate[] = "/tmp/kz-sim-selftest.XXXXXX";
    if (!::mkdtemp(dirTemplate)) {
        std::perror("mkdtemp");
        return 1;
    }
    g_dir = dirTemplate;
    std::signal(SIGPIPE, SIG_IGN);

    testReplies();
    testFaults();
    testClosedPort();
    testInputs();
    testPacing();
    testStop();
    testArguments();

    std::string cleanup = "rm -rf '" + g_dir + "'";
    [[maybe_unused]] const int rc = std::system(cleanup.c_str());
    std::printf("%s: %d failure(s)\n", g_failures == 0 ? "PASS" : "FAIL", g_failures);
    return g_failures == 0 ? 0 : 1;
}
