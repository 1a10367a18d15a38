// Deliberate misbehaviour on chosen frames: the rules given with --fault, their matching, and
// how each kind turns the controller's normal answer into what goes on the line.
#pragma once

#include "controller.h"
#include "reply.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kzsim {

enum class FaultKind { NoReply, Alarm, Echo, Length, Pieces, Trailing, Garbage, Flood, Late, Hangup };

struct FaultRule {
    std::string prefix;  // matches frames that begin with it (empty: every frame)
    int occurrence = 0;  // 1-based occurrence among the frames matching prefix; 0: every one
    FaultKind kind = FaultKind::NoReply;
    std::string text;    // alarm code, trailing text
    int count = 0;       // pieces, junk bytes
    int ms = 0;          // time between pieces, lateness
};

// Parses PREFIX[#N]:KIND[=ARG]; on failure returns nothing and says why in `error`.
std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error);

class FaultTable {
public:
    explicit FaultTable(std::vector<FaultRule> rules = {});

    // Counts the frame against every rule whose prefix it matches and returns the first rule
    // (in command-line order) that fires on it, or null.
    const FaultRule* match(std::string_view frame);

private:
    std::vector<FaultRule> rules_;
    std::vector<int> seen_;
};

// Whether the controller still carries out a frame that hit this fault. Only a reply that
// reaches the tool intact (in pieces) stands for a command that was carried out; every other
// fault stands for a command the controller did not take, so a faulted "0WD" stores nothing.
bool faultKeepsEffect(FaultKind kind);

// What goes on the line for a frame whose normal answer is `normal`, under `rule` (or none).
ReplyPlan shapeReply(const FaultRule* rule, const Answer& normal);

// Deterministic junk: NUL, 0xFF, 0x80 and other bytes outside printable ASCII, never CR or LF.
std::string junkBytes(int n);

}  // namespace kzsim
