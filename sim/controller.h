// The controller's behaviour: its block memory, its inputs and outputs, and the answer to each
// command frame. Knows nothing of terminals or timing beyond the clock value it is handed.
//
// Commands (frame text without CR LF -> reply text with CR LF):
//   0CM1, 0CM0           -> the frame itself
//   0CM3                 -> nothing; the controller restarts with its memory kept, outputs off
//   0RDbb                -> 0RDbb + 16 hex digits of block bb (00..05, 1F; 20 = I/O state)
//   0WDbb + 16 hex       -> stores block bb (00..05, 1F), replies with the frame itself
//   0MPd                 -> after the travel time: 0MPd + 6 hex digits of the position reached
//                           (d = 0 home at pulse 0, 1 and 2 the positions of blocks 02 and 04)
//   0%C                  -> 0%C00, the alarm cleared
//   0RV                  -> 0RV + 3 version characters + 001
//   0WSd0                -> sets the outputs to the hex digit d, replies with the frame itself
// A frame the controller cannot take is answered 0%%01 (unknown command), 0%%03 (argument of the
// wrong length), 0%%02 (bad block number, bad digits or value) or 0%%08 (move target 3..F, which
// this controller does not have).
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kzsim {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;

// Bits of the logical input state (1 = input on), as given on the command line.
enum Input : std::uint8_t {
    InRun = 0x01,
    InCont = 0x02,
    InPause = 0x04,
    InTipSensor = 0x08,
    InRailSensor = 0x10,
};

// Bits of the output value carried by "0WS".
enum Output : std::uint8_t {
    OutEmpty = 0x01,
    OutInP = 0x02,
    OutOk = 0x04,
    OutEscapeSol = 0x08,
};

struct Answer {
    std::string text;  // with CR LF; empty when the controller stays silent
    int delayMs = 0;   // time the controller takes before it answers (axis travel)
};

struct ControllerSettings {
    std::string version = "140";
    int travelMs = 300;
    std::vector<std::uint8_t> inputCycle;  // logical input states; empty: all off
    int inputPeriodMs = 0;                 // time each state of the cycle holds
};

class Controller {
public:
    using Block = std::array<std::uint8_t, 8>;

    explicit Controller(ControllerSettings settings);

    // Carries out one frame received at `now` and returns what the controller answers.
    Answer handle(std::string_view frame, Time now);

    // The I/O state block as the controller reports it at `now`.
    Block ioBlock(Time now) const;

private:
    Answer readBlock(std::string_view frame, std::string_view arg, Time now);
    Answer writeBlock(std::string_view frame, std::string_view arg);
    Answer move(std::string_view arg);
    Answer setOutputs(std::string_view frame, std::string_view arg);
    std::uint8_t inputsAt(Time now) const;

    ControllerSettings settings_;
    std::map<int, Block> blocks_;
    std::uint8_t outputs_ = 0;
    std::optional<Time> inputClockStart_;  // the first I/O read starts the input cycle
};

// Text helpers shared with the fault shaping and the self-test.
std::string hexBytes(const std::uint8_t* data, std::size_t n);
std::string alarmReply(std::string_view code);

}  // namespace kzsim
