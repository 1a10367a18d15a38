#include "simulator.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kzsim {

Simulator::Simulator(const Options& options)
    : link_(options.linkPath, options.tcpPort),
      controller_(options.controller),
      faults_(options.faults),
      receiver_(options.paced),
      transmitter_(options.paced),
      logPath_(options.logPath)
{
}

Simulator::~Simulator()
{
    if (logFd_ >= 0)
        ::close(logFd_);
}

bool Simulator::start()
{
    if (!logPath_.empty()) {
        logFd_ = ::open(logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (logFd_ < 0) {
            std::fprintf(stderr, "kz-sim: %s: %s\n", logPath_.c_str(), std::strerror(errno));
            return false;
        }
    }
    std::string error;
    if (!link_.open(error)) {
        std::fprintf(stderr, "kz-sim: %s\n", error.c_str());
        return false;
    }
    if (link_.linkPath().empty())
        std::printf("kz-sim: ready %s\n", link_.device().c_str());
    else
        std::printf("kz-sim: ready %s -> %s\n", link_.linkPath().c_str(), link_.device().c_str());
    std::fflush(stdout);
    return true;
}

void Simulator::logFrame(const std::string& text)
{
    if (logFd_ < 0)
        return;
    // One write per line, so a reader never sees half a line.
    const std::string line = text + '\n';
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(logFd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

// Returns false when the line has gone dead and could not be brought back.
bool Simulator::readLine(Time now)
{
    char buffer[4096];
    std::vector<Frame> completed;
    bool toolLeft = false;
    while (true) {
        const ssize_t n = ::read(link_.master(), buffer, sizeof buffer);
        if (n > 0) {
            receiver_.feed(std::string_view(buffer, static_cast<std::size_t>(n)), now, completed);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // The tool closed its connection: what it sent before still counts; then the line is
        // one nobody listens on until the next connection.
        if (link_.tcp()) {
            toolLeft = true;
            break;
        }
        // End of file or EIO: the terminal is gone. Not expected while our own end is held
        // open; a fresh one keeps the loop from spinning on a dead descriptor.
        return dropLine();
    }
    if (!completed.empty())
        link_.noteToolSpoke();
    for (Frame& frame : completed) {
        logFrame(frame.text);
        frames_.push_back(std::move(frame));
    }
    if (toolLeft) {
        link_.close();
        receiver_.clear();
    }
    return true;
}

void Simulator::answerDueFrames(Time now)
{
    while (!frames_.empty() && frames_.front().ready <= now) {
        const Frame frame = std::move(frames_.front());
        frames_.pop_front();
        const FaultRule* rule = faults_.match(frame.text);
        Answer answer;
        if (!rule || faultKeepsEffect(rule->kind)) {
            answer = controller_.handle(frame.text, frame.ready);
        } else {
            Controller untouched = controller_;  // the normal answer, without its effect
            answer = untouched.handle(frame.text, frame.ready);
        }
        transmitter_.enqueue(shapeReply(rule, answer), frame.ready);
    }
}

// Writes whatever is due. Sets `blocked` when the terminal takes no more for now.
bool Simulator::writeDue(Time now, bool& blocked)
{
    blocked = false;
    while (true) {
        const std::string_view bytes = transmitter_.due(now);
        if (bytes.empty())
            break;
        if (!link_.toolHasPort()) {
            transmitter_.sent(bytes.size(), now);  // nobody listens: lost on the line
            continue;
        }
        const ssize_t n = ::write(link_.master(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            blocked = true;
            return true;
        }
        if (n < 0)
            return dropLine();
        transmitter_.sent(static_cast<std::size_t>(n), now);
        if (static_cast<std::size_t>(n) < bytes.size()) {
            blocked = true;
            return true;
        }
    }
    if (transmitter_.takeHangup())
        hangupFrom_ = now;
    return true;
}

// The terminal throws away what the tool has not read when the line drops, and bytes take a
// moment to pass through it; a real line would have delivered them. So the line drops once the
// tool has read the last reply bytes, or after a bound if it does not read at all.
bool Simulator::hangupSettled(Time now) const
{
    const auto waited = now - *hangupFrom_;
    return waited >= std::chrono::milliseconds(250) ||
           (waited >= std::chrono::milliseconds(20) && link_.unreadByTool() == 0);
}

// Drops the line under the tool, then offers a fresh one at the same link.
bool Simulator::dropLine()
{
    link_.close();
    receiver_.clear();
    transmitter_.clear();
    frames_.clear();
    std::string error;
    if (!link_.open(error)) {
        std::fprintf(stderr, "kz-sim: %s\n", error.c_str());
        return false;
    }
    std::printf("kz-sim: relinked %s -> %s\n", link_.linkPath().c_str(), link_.device().c_str());
    std::fflush(stdout);
    return true;
}

int Simulator::run(int stopFd)
{
    if (!start())
        return 1;
    int status = 0;
    while (true) {
        const Time now = Clock::now();
        bool blocked = false;
        std::optional<Time> deadline;
        if (hangupFrom_) {
            if (hangupSettled(now)) {
                hangupFrom_.reset();
                if (!dropLine()) {
                    status = 1;
                    break;
                }
                continue;
            }
            deadline = now + std::chrono::milliseconds(2);
        } else {
            answerDueFrames(now);
            if (!writeDue(now, blocked)) {
                status = 1;
                break;
            }
            if (hangupFrom_)
                continue;
            if (!frames_.empty())
                deadline = frames_.front().ready;
            if (const auto due = transmitter_.nextDue(); due && !blocked)
                deadline = deadline ? std::min(*deadline, *due) : *due;
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (deadline) {
            const auto wait = std::max(Clock::duration::zero(), *deadline - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }

        pollfd fds[3] = {
            {link_.master(), static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
            {stopFd, POLLIN, 0},
            {link_.watchFd(), POLLIN, 0},
        };
        const int ready = ::ppoll(fds, 3, timeoutPtr, nullptr);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "kz-sim: poll: %s\n", std::strerror(errno));
            status = 1;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && !readLine(Clock::now())) {
            status = 1;
            break;
        }
        // After the frames (which prove the port open) and before any reply of this round goes
        // out, so that a close that came after them counts and the line holds nothing stale.
        if (fds[2].revents != 0)
            link_.takeToolEvents();
    }
    link_.removeLink();
    link_.close();
    return status;
}

}  // namespace kzsim
