#include "options.h"

#include <charconv>
#include <optional>
#include <string_view>

namespace kzsim {
namespace {

constexpr const char* kUsage = R"(usage: kz-sim --link PATH [--pace] [--log FILE] [--travel-ms N] [--version XYZ]
              [--inputs PATTERN] [--fault RULE]...
       kz-sim --tcp PORT [--link PATH] [options as above]

Plays a KZ feeder controller on a pseudo-terminal. Once the device is ready, prints
"kz-sim: ready PATH -> DEVICE"; after each hang-up fault, "kz-sim: relinked PATH -> DEVICE".
Ends on SIGTERM or SIGINT, removing the link. As on a real line, a port that is closed
hears nothing: replies falling due while the tool has the device closed are lost, and what
it left unread when it closed is dropped.

  --link PATH    publish the device as a symbolic link at PATH (its folder must exist)
  --tcp PORT     serve the line as a raw TCP connection on 127.0.0.1:PORT (0: any free port)
                 instead of a pseudo-terminal, one client at a time (a new one replaces the
                 old); prints "kz-sim: ready [PATH -> ]tcp://127.0.0.1:PORT", and --link PATH
                 becomes a symbolic link whose target is that text. A client that disconnects
                 loses what was due to it; a hang-up fault closes its connection.
  --pace         act as a 9600-baud line, 10 bits a character: a frame is answered only
                 after its own line time from its first byte, and a reply goes out one
                 character per 1.0417 ms
  --log FILE     write each received frame to FILE as one line, without its CR LF
  --travel-ms N  time an axis move takes before "0MP" answers (default 300)
  --version XYZ  the three characters "0RV" reports (default 140)
  --inputs PATTERN  input states over time, PATTERN = V[,V...][@MS]. Each V is hexadecimal 00..1F,
                 one bit per input, set = on: 01 RUN, 02 CONT, 04 PAUSE, 08 TIP SENSOR,
                 10 RAIL SENSOR. The first "0RD20" starts the clock; value k holds from k*MS
                 to (k+1)*MS ms after it, then the list repeats. Default: all inputs off.
  --fault RULE   misbehave on chosen frames (repeatable). RULE = PREFIX[#N]:KIND[=ARG]
                 PREFIX   frames beginning with it (may be empty: every frame)
                 #N       only the N-th such frame (1-based); without it, every one
                 Every rule counts the frames its PREFIX matches; the first rule that
                 fires on a frame wins. KIND:
                   noreply        say nothing
                   alarm=XX       reply "0%%" XX CR LF, XX taken literally
                   echo           normal reply with its first three characters "XXX"
                   length         normal reply with an extra "0" before CR LF
                   pieces[=K/MS]  normal reply in K pieces, MS ms apart (3/50)
                   trailing[=T]   normal reply followed by T with no CR LF ("XY")
                   garbage[=N]    N junk bytes (NUL, FF, 80, ...) then CR LF (16)
                   flood[=N]      N junk bytes, no CR LF (10240)
                   late[=MS]      normal reply MS ms after the frame (6000)
                   hangup         first half of the normal reply, then the line drops;
                                  a new device is linked at PATH at once
                 A faulted frame takes no effect (a faulted "0WD" stores nothing), except
                 under pieces, whose reply is the normal one.

Replies (frame -> reply, each ending in CR LF):
  0CM1, 0CM0       the frame itself                        (6)
  0CM3             none: restart, memory kept, outputs off
  0RDbb            0RDbb + 16 hex digits; bb = 00..05, 1F  (23)
  0RD20            0RD20 + I/O block: bytes 0-4 00, 5 = A, 6 = B, 7 = C; a bit is set
                   (inputs read 0 when on, outputs 1 when on) for
                   A: 10 TIP SENSOR off, 20 IN-P on, 08 EMPTY on
                   B: 08 PAUSE off, 40 OK on, 80 ESCAPE SOL. on
                   C: 02 RUN off, 04 CONT off, 20 RAIL SENSOR off
  0WDbb+16 hex     stores block bb (00..05, 1F), replies the frame itself (23)
  0MPd             after the travel time, 0MPd + 6 hex digits of the pulse reached:
                   d = 0 home (000000), 1 / 2 position of block 02 / 04   (12)
  0%C              0%C00                                   (7)
  0RV              0RV + version + 001                     (11)
  0WSd0            sets the outputs to hex digit d (01 EMPTY, 02 IN-P, 04 OK,
                   08 ESCAPE SOL.), replies the frame itself (7)
  otherwise        0%%01 unknown command, 0%%03 wrong argument length,
                   0%%02 bad block, digit or value, 0%%08 move target 3..F
)";

std::optional<int> parseNumber(std::string_view s)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || value < 0)
        return std::nullopt;
    return value;
}

bool parseInputs(std::string_view pattern, ControllerSettings& settings, std::string& error)
{
    std::string_view values = pattern;
    int period = 0;
    if (const auto at = pattern.find('@'); at != std::string_view::npos) {
        const auto ms = parseNumber(pattern.substr(at + 1));
        if (!ms || *ms == 0) {
            error = "--inputs: @MS must be a positive number of milliseconds";
            return false;
        }
        period = *ms;
        values = pattern.substr(0, at);
    }
    std::vector<std::uint8_t> cycle;
    while (true) {
        const auto comma = values.find(',');
        const std::string_view item = values.substr(0, comma);
        unsigned value = 0;
        const auto [end, ec] = std::from_chars(item.data(), item.data() + item.size(), value, 16);
        if (item.empty() || ec != std::errc() || end != item.data() + item.size() || value > 0x1F) {
            error = "--inputs: '" + std::string(item) + "' is not a hexadecimal value 00 to 1F";
            return false;
        }
        cycle.push_back(static_cast<std::uint8_t>(value));
        if (comma == std::string_view::npos)
            break;
        values = values.substr(comma + 1);
    }
    if (cycle.size() > 1 && period == 0) {
        error = "--inputs: several values need @MS";
        return false;
    }
    settings.inputCycle = std::move(cycle);
    settings.inputPeriodMs = period;
    return true;
}

}  // namespace

const char* usageText()
{
    return kUsage;
}

ParseOutcome parseOptions(const std::vector<std::string>& args, Options& options,
                          std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (name == "--help" || name == "-h")
            return ParseOutcome::Help;
        if (name == "--pace" && !inlineValue) {
            options.paced = true;
            continue;
        }
        const bool takesValue = name == "--link" || name == "--tcp" || name == "--log" || name == "--travel-ms" ||
                                name == "--version" || name == "--inputs" || name == "--fault";
        if (!takesValue) {
            error = "unknown argument '" + args[i] + "'";
            return ParseOutcome::Error;
        }
        std::string value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = name + " needs a value";
            return ParseOutcome::Error;
        }

        if (name == "--link") {
            options.linkPath = value;
        } else if (name == "--tcp") {
            const auto port = parseNumber(value);
            if (!port || *port > 65535) {
                error = "--tcp wants a port number 0 to 65535";
                return ParseOutcome::Error;
            }
            options.tcpPort = *port;
        } else if (name == "--log") {
            options.logPath = value;
        } else if (name == "--travel-ms") {
            const auto ms = parseNumber(value);
            if (!ms) {
                error = "--travel-ms wants a number of milliseconds";
                return ParseOutcome::Error;
            }
            options.controller.travelMs = *ms;
        } else if (name == "--version") {
            if (value.size() != 3) {
                error = "--version wants exactly three characters";
                return ParseOutcome::Error;
            }
            for (const char c : value) {
                if (c < 0x21 || c > 0x7E) {
                    error = "--version wants printable characters";
                    return ParseOutcome::Error;
                }
            }
            options.controller.version = value;
        } else if (name == "--inputs") {
            if (!parseInputs(value, options.controller, error))
                return ParseOutcome::Error;
        } else {
            std::string why;
            auto rule = parseFaultRule(value, why);
            if (!rule) {
                error = "--fault " + value + ": " + why;
                return ParseOutcome::Error;
            }
            options.faults.push_back(std::move(*rule));
        }
    }
    if (options.linkPath.empty() && options.tcpPort < 0) {
        error = "--link PATH (or --tcp PORT) is required";
        return ParseOutcome::Error;
    }
    return ParseOutcome::Run;
}

}  // namespace kzsim
