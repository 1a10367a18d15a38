#include "faults.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace kzsim {
namespace {

std::optional<int> parseCount(std::string_view s, int min)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || value < min)
        return std::nullopt;
    return value;
}

struct KindName {
    std::string_view name;
    FaultKind kind;
};

constexpr KindName kKinds[] = {
    {"noreply", FaultKind::NoReply}, {"alarm", FaultKind::Alarm},
    {"echo", FaultKind::Echo},       {"length", FaultKind::Length},
    {"pieces", FaultKind::Pieces},   {"trailing", FaultKind::Trailing},
    {"garbage", FaultKind::Garbage}, {"flood", FaultKind::Flood},
    {"late", FaultKind::Late},       {"hangup", FaultKind::Hangup},
};

bool parseArgument(FaultRule& rule, std::optional<std::string_view> arg, std::string& error)
{
    switch (rule.kind) {
    case FaultKind::NoReply:
    case FaultKind::Echo:
    case FaultKind::Length:
    case FaultKind::Hangup:
        if (arg) {
            error = "this fault takes no argument";
            return false;
        }
        return true;
    case FaultKind::Alarm:
        if (!arg || arg->empty()) {
            error = "alarm needs a code, e.g. alarm=05";
            return false;
        }
        rule.text = std::string(*arg);
        return true;
    case FaultKind::Trailing:
        rule.text = arg ? std::string(*arg) : "XY";
        if (rule.text.empty()) {
            error = "trailing text must not be empty";
            return false;
        }
        return true;
    case FaultKind::Pieces: {
        rule.count = 3;
        rule.ms = 50;
        if (!arg)
            return true;
        const auto slash = arg->find('/');
        const auto k = parseCount(arg->substr(0, slash), 2);
        const auto ms = slash == std::string_view::npos ? std::optional<int>(50)
                                                        : parseCount(arg->substr(slash + 1), 0);
        if (!k || !ms) {
            error = "pieces wants K/MS with K >= 2, e.g. pieces=3/50";
            return false;
        }
        rule.count = *k;
        rule.ms = *ms;
        return true;
    }
    case FaultKind::Garbage:
    case FaultKind::Flood: {
        const int fallback = rule.kind == FaultKind::Garbage ? 16 : 10240;
        const auto n = arg ? parseCount(*arg, 1) : std::optional<int>(fallback);
        if (!n) {
            error = "junk length must be a positive number";
            return false;
        }
        rule.count = *n;
        return true;
    }
    case FaultKind::Late: {
        const auto ms = arg ? parseCount(*arg, 0) : std::optional<int>(6000);
        if (!ms) {
            error = "late wants milliseconds, e.g. late=6000";
            return false;
        }
        rule.ms = *ms;
        return true;
    }
    }
    return false;
}

}  // namespace

std::optional<FaultRule> parseFaultRule(std::string_view text, std::string& error)
{
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        error = "missing ':' between frame prefix and fault kind";
        return std::nullopt;
    }
    FaultRule rule;
    std::string_view head = text.substr(0, colon);
    const auto hash = head.rfind('#');
    if (hash != std::string_view::npos) {
        const auto n = parseCount(head.substr(hash + 1), 1);
        if (!n) {
            error = "#N must be a positive occurrence number";
            return std::nullopt;
        }
        rule.occurrence = *n;
        head = head.substr(0, hash);
    }
    rule.prefix = std::string(head);

    std::string_view tail = text.substr(colon + 1);
    std::optional<std::string_view> arg;
    if (const auto eq = tail.find('='); eq != std::string_view::npos) {
        arg = tail.substr(eq + 1);
        tail = tail.substr(0, eq);
    }
    bool known = false;
    for (const auto& k : kKinds) {
        if (k.name == tail) {
            rule.kind = k.kind;
            known = true;
        }
    }
    if (!known) {
        error = "unknown fault kind '" + std::string(tail) + "'";
        return std::nullopt;
    }
    if (!parseArgument(rule, arg, error))
        return std::nullopt;
    return rule;
}

FaultTable::FaultTable(std::vector<FaultRule> rules)
    : rules_(std::move(rules)), seen_(rules_.size(), 0)
{
}

const FaultRule* FaultTable::match(std::string_view frame)
{
    const FaultRule* fired = nullptr;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const FaultRule& rule = rules_[i];
        if (frame.substr(0, rule.prefix.size()) != rule.prefix)
            continue;
        const int n = ++seen_[i];
        if (!fired && (rule.occurrence == 0 || rule.occurrence == n))
            fired = &rule;
    }
    return fired;
}

bool faultKeepsEffect(FaultKind kind)
{
    return kind == FaultKind::Pieces;
}

std::string junkBytes(int n)
{
    static const unsigned char pattern[] = {0x00, 0xFF, 0x80, 0x01, 0xFE, 0x7F, 0x1B, 0x9C,
                                            0x41, 0xE3, 0x00, 0x5A, 0x8F, 0x20, 0xC0, 0x3F};
    std::string out;
    out.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out += static_cast<char>(pattern[i % sizeof pattern]);
    return out;
}

ReplyPlan shapeReply(const FaultRule* rule, const Answer& normal)
{
    const std::string& text = normal.text;
    ReplyPlan plan;
    if (!rule) {
        if (!text.empty())
            plan.pieces.push_back({text, normal.delayMs});
        return plan;
    }
    switch (rule->kind) {
    case FaultKind::NoReply:
        break;
    case FaultKind::Alarm:
        plan.pieces.push_back({alarmReply(rule->text), 0});
        break;
    case FaultKind::Echo:
        if (!text.empty())
            plan.pieces.push_back({"XXX" + text.substr(std::min<std::size_t>(3, text.size())),
                                   normal.delayMs});
        break;
    case FaultKind::Length:
        if (text.size() >= 2)
            plan.pieces.push_back({text.substr(0, text.size() - 2) + "0\r\n", normal.delayMs});
        break;
    case FaultKind::Pieces: {
        const std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(rule->count),
                                                    text.size());
        std::size_t from = 0;
        for (std::size_t i = 0; i < k; ++i) {
            const std::size_t to = text.size() * (i + 1) / k;
            plan.pieces.push_back({text.substr(from, to - from), i == 0 ? normal.delayMs : rule->ms});
            from = to;
        }
        break;
    }
    case FaultKind::Trailing:
        plan.pieces.push_back({text + rule->text, normal.delayMs});
        break;
    case FaultKind::Garbage:
        plan.pieces.push_back({junkBytes(rule->count) + "\r\n", 0});
        break;
    case FaultKind::Flood:
        plan.pieces.push_back({junkBytes(rule->count), 0});
        break;
    case FaultKind::Late:
        if (!text.empty())
            plan.pieces.push_back({text, rule->ms});
        break;
    case FaultKind::Hangup:
        if (text.size() >= 2)
            plan.pieces.push_back({text.substr(0, text.size() / 2), normal.delayMs});
        plan.hangup = true;
        break;
    }
    return plan;
}

}  // namespace kzsim
