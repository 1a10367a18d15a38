#include "line.h"

#include <algorithm>

namespace kzsim {

void Receiver::feed(std::string_view bytes, Time now, std::vector<Frame>& out)
{
    for (const char c : bytes) {
        if (!inFrame_) {
            inFrame_ = true;
            first_ = now;
            chars_ = 0;
        }
        ++chars_;
        if (pendingCr_) {
            pendingCr_ = false;
            if (c == '\n') {
                Time ready = now;
                if (paced_) {
                    // A frame cannot arrive faster than the line carries it, and it cannot
                    // start on the line before the previous one has ended.
                    ready = std::max(now, std::max(first_, lineFree_) + lineTime(chars_));
                    lineFree_ = ready;
                }
                out.push_back({std::move(text_), ready});
                text_.clear();
                inFrame_ = false;
                continue;
            }
            if (text_.size() < kFrameLimit)
                text_ += '\r';
        }
        if (c == '\r')
            pendingCr_ = true;
        else if (text_.size() < kFrameLimit)
            text_ += c;
    }
}

void Receiver::clear()
{
    text_.clear();
    chars_ = 0;
    inFrame_ = false;
    pendingCr_ = false;
    lineFree_ = Time{};
}

void Transmitter::enqueue(const ReplyPlan& plan, Time ready)
{
    bool first = true;
    for (const Piece& piece : plan.pieces) {
        items_.push_back({piece.bytes, std::chrono::milliseconds(piece.delayMs),
                          first ? std::optional<Time>(ready) : std::nullopt, false});
        first = false;
    }
    if (plan.hangup) {
        if (plan.pieces.empty())
            items_.push_back({std::string(), std::chrono::nanoseconds(0), ready, true});
        else
            items_.back().hangupAfter = true;
    }
}

Time Transmitter::headStart() const
{
    const Item& head = items_.front();
    if (head.anchor)
        return std::max(*head.anchor + head.delay, lineFree_);
    return lineFree_ + head.delay;
}

void Transmitter::finishHead(Time now)
{
    const Item& head = items_.front();
    lineFree_ = paced_ ? headStart() + lineTime(head.bytes.size()) : now;
    hangup_ = hangup_ || head.hangupAfter;
    items_.pop_front();
    sent_ = 0;
}

std::string_view Transmitter::due(Time now)
{
    while (!items_.empty() && !hangup_) {
        const Item& head = items_.front();
        const Time start = headStart();
        if (now < start)
            return {};
        const std::size_t size = head.bytes.size();
        std::size_t allowed = size;
        if (paced_) {
            // Character i is on the wire once its own line time has passed.
            const long long elapsedNs = std::chrono::nanoseconds(now - start).count();
            allowed = std::min(size, static_cast<std::size_t>(elapsedNs * 9600 / 10'000'000'000LL));
        }
        if (sent_ < size) {
            if (allowed <= sent_)
                return {};
            return std::string_view(head.bytes).substr(sent_, allowed - sent_);
        }
        finishHead(now);
    }
    return {};
}

void Transmitter::sent(std::size_t n, Time now)
{
    if (items_.empty())
        return;
    sent_ += n;
    if (sent_ >= items_.front().bytes.size())
        finishHead(now);
}

std::optional<Time> Transmitter::nextDue() const
{
    if (items_.empty() || hangup_)
        return std::nullopt;
    const Time start = headStart();
    if (paced_ && sent_ < items_.front().bytes.size())
        return start + lineTime(sent_ + 1);
    return start;
}

bool Transmitter::takeHangup()
{
    const bool h = hangup_;
    hangup_ = false;
    return h;
}

void Transmitter::clear()
{
    items_.clear();
    sent_ = 0;
    lineFree_ = Time{};
    hangup_ = false;
}

}  // namespace kzsim
