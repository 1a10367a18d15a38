// What the controller puts on the line in answer to one frame.
#pragma once

#include <string>
#include <vector>

namespace kzsim {

// One stretch of reply bytes. The first piece of a reply waits delayMs after its frame was
// received in full; every later piece waits delayMs after the previous piece left the line.
struct Piece {
    std::string bytes;
    int delayMs = 0;
};

struct ReplyPlan {
    std::vector<Piece> pieces;  // empty: the controller says nothing
    bool hangup = false;        // drop the line once the pieces are out
};

}  // namespace kzsim
