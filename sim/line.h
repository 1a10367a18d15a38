// The serial line between the tool and the controller: received bytes cut into frames, and the
// schedule on which reply bytes leave. Paced, both directions take the time a 9600-baud line
// takes (10 bits a character); unpaced, everything moves as fast as the terminal allows.
// Pure bookkeeping on clock values; the event loop does the reading and writing.
#pragma once

#include "controller.h"
#include "reply.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kzsim {

// Time `chars` characters take on the line at 9600 baud, 10 bits each (rounded up to whole
// nanoseconds, so that a character counted as sent at that moment really is).
constexpr std::chrono::nanoseconds lineTime(std::size_t chars)
{
    return std::chrono::nanoseconds((static_cast<long long>(chars) * 10'000'000'000LL + 9599) / 9600);
}

struct Frame {
    std::string text;  // without CR LF; cut to the receive limit when overlong
    Time ready;        // when the controller has it in full and may act on it
};

class Receiver {
public:
    static constexpr std::size_t kFrameLimit = 4096;

    explicit Receiver(bool paced) : paced_(paced) {}

    // Appends the frames completed by `bytes` (received at `now`) to `out`. A frame is the text
    // before CR LF. Text beyond kFrameLimit without a CR LF is dropped, up to the next CR LF.
    void feed(std::string_view bytes, Time now, std::vector<Frame>& out);
    void clear();

private:
    bool paced_;
    std::string text_;
    std::size_t chars_ = 0;  // characters of the current frame on the line, dropped ones too
    bool inFrame_ = false;
    bool pendingCr_ = false;
    Time first_{};
    Time lineFree_{};  // when the previous frame had finished arriving on the line
};

class Transmitter {
public:
    explicit Transmitter(bool paced) : paced_(paced) {}

    // Queues a reply for a frame that was ready at `ready`.
    void enqueue(const ReplyPlan& plan, Time ready);

    // The bytes that may be written at `now` (possibly none). Completes queued items that have
    // nothing left to write; stops at a completed item that asks for a hang-up.
    std::string_view due(Time now);
    // Tells that the first `n` bytes of the last due() were written at `now`.
    void sent(std::size_t n, Time now);
    // When the next byte (or the next hang-up) falls due; nothing when the queue is empty.
    std::optional<Time> nextDue() const;
    // True once, after an item with a hang-up has gone out.
    bool takeHangup();
    void clear();

private:
    struct Item {
        std::string bytes;
        std::chrono::nanoseconds delay;
        std::optional<Time> anchor;  // frame-ready time for the first piece of a reply
        bool hangupAfter = false;
    };

    Time headStart() const;
    void finishHead(Time now);

    bool paced_;
    std::deque<Item> items_;
    std::size_t sent_ = 0;  // bytes of the head item already written
    Time lineFree_{};       // when the previous item left the line
    bool hangup_ = false;
};

}  // namespace kzsim
