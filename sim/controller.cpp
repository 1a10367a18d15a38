#include "controller.h"

#include <utility>

namespace kzsim {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// Blocks as a freshly set-up controller holds them: the recommended initial values of the
// sensor and homing parameters, and two plain positions.
const std::map<int, Controller::Block>& initialBlocks()
{
    static const std::map<int, Controller::Block> blocks = {
        // VEL 10 (x4), ACC 5, DEC 5, position 1 = 100, pause 10
        {0x02, {0x28, 0x05, 0x05, 0x00, 0x00, 0x64, 0x0A, 0xFF}},
        // position-1 speed profile, position 2 = 200, pause 20
        {0x04, {0x28, 0x05, 0x05, 0x00, 0x00, 0xC8, 0x14, 0xFF}},
        // VEL 20 (x4), ACC 5, DEC 5, pause of position 2
        {0x05, {0x50, 0x05, 0x05, 0x14, 0xFF, 0xFF, 0xFF, 0xFF}},
        // position-2 speed profile with the pause of position 1
        {0x03, {0x50, 0x05, 0x05, 0x0A, 0xFF, 0xFF, 0xFF, 0xFF}},
        // homing VEL 8, homing pulse 300, offset VEL 6, home offset 2, filler, direction 0
        {0x00, {0x08, 0x01, 0x2C, 0x06, 0x00, 0x02, 0xFF, 0x00}},
        // supply 8, restart delay 100, no work 200, separate 100, mid detect 15, tip off 20, SP1 0
        {0x01, {0x08, 0x64, 0xC8, 0x64, 0x0F, 0x14, 0x00, 0xFF}},
        {0x1F, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x55, 0xAA}},
    };
    return blocks;
}

constexpr int kIoBlock = 0x20;

// Upper-case hexadecimal digit only: the controller does not take lower case.
int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Two upper-case hex digits as a byte, or -1.
int hexByte(std::string_view two)
{
    const int hi = hexDigit(two[0]);
    const int lo = hexDigit(two[1]);
    return (hi < 0 || lo < 0) ? -1 : hi * 16 + lo;
}

Answer echo(std::string_view frame)
{
    return {std::string(frame) + std::string(kCrLf), 0};
}

}  // namespace

std::string hexBytes(const std::uint8_t* data, std::size_t n)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

std::string alarmReply(std::string_view code)
{
    return "0%%" + std::string(code) + std::string(kCrLf);
}

Controller::Controller(ControllerSettings settings)
    : settings_(std::move(settings)), blocks_(initialBlocks())
{
}

Answer Controller::handle(std::string_view frame, Time now)
{
    if (frame.size() < 3)
        return {alarmReply("01"), 0};
    const std::string_view command = frame.substr(0, 3);
    const std::string_view arg = frame.substr(3);

    if (command == "0CM") {
        if (arg.size() != 1)
            return {alarmReply("03"), 0};
        if (arg == "1" || arg == "0")
            return echo(frame);
        if (arg == "3") {
            outputs_ = 0;  // a restart drops the outputs; the blocks are kept in EEPROM
            return {};
        }
        return {alarmReply("02"), 0};
    }
    if (command == "0RD")
        return readBlock(frame, arg, now);
    if (command == "0WD")
        return writeBlock(frame, arg);
    if (command == "0MP")
        return move(arg);
    if (command == "0%C")
        return arg.empty() ? Answer{"0%C00" + std::string(kCrLf), 0} : Answer{alarmReply("03"), 0};
    if (command == "0RV") {
        if (!arg.empty())
            return {alarmReply("03"), 0};
        return {"0RV" + settings_.version + "001" + std::string(kCrLf), 0};
    }
    if (command == "0WS")
        return setOutputs(frame, arg);
    return {alarmReply("01"), 0};
}

Answer Controller::readBlock(std::string_view frame, std::string_view arg, Time now)
{
    if (arg.size() != 2)
        return {alarmReply("03"), 0};
    const int block = hexByte(arg);
    Block data;
    if (block == kIoBlock) {
        if (!inputClockStart_)
            inputClockStart_ = now;
        data = ioBlock(now);
    } else {
        const auto it = blocks_.find(block);
        if (it == blocks_.end())
            return {alarmReply("02"), 0};
        data = it->second;
    }
    return {std::string(frame) + hexBytes(data.data(), data.size()) + std::string(kCrLf), 0};
}

Answer Controller::writeBlock(std::string_view frame, std::string_view arg)
{
    if (arg.size() != 18)
        return {alarmReply("03"), 0};
    const auto it = blocks_.find(hexByte(arg.substr(0, 2)));
    if (it == blocks_.end())
        return {alarmReply("02"), 0};
    Block data;
    for (std::size_t k = 0; k < data.size(); ++k) {
        const int value = hexByte(arg.substr(2 + 2 * k, 2));
        if (value < 0)
            return {alarmReply("02"), 0};
        data[k] = static_cast<std::uint8_t>(value);
    }
    it->second = data;
    return echo(frame);
}

Answer Controller::move(std::string_view arg)
{
    if (arg.size() != 1)
        return {alarmReply("03"), 0};
    const int target = hexDigit(arg[0]);
    if (target < 0)
        return {alarmReply("02"), 0};
    if (target > 2)
        return {alarmReply("08"), 0};
    std::uint8_t pulse[3] = {0, 0, 0};
    if (target > 0) {
        const Block& b = blocks_.at(target == 1 ? 0x02 : 0x04);
        pulse[0] = b[3];
        pulse[1] = b[4];
        pulse[2] = b[5];
    }
    return {"0MP" + std::string(arg) + hexBytes(pulse, 3) + std::string(kCrLf), settings_.travelMs};
}

Answer Controller::setOutputs(std::string_view frame, std::string_view arg)
{
    if (arg.size() != 2)
        return {alarmReply("03"), 0};
    const int value = hexDigit(arg[0]);
    if (value < 0 || arg[1] != '0')
        return {alarmReply("02"), 0};
    outputs_ = static_cast<std::uint8_t>(value);
    return echo(frame);
}

std::uint8_t Controller::inputsAt(Time now) const
{
    const auto& cycle = settings_.inputCycle;
    if (cycle.empty())
        return 0;
    if (cycle.size() == 1 || settings_.inputPeriodMs <= 0 || !inputClockStart_)
        return cycle.front();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - *inputClockStart_).count();
    const auto step = elapsed < 0 ? 0 : elapsed / settings_.inputPeriodMs;
    return cycle[static_cast<std::size_t>(step) % cycle.size()];
}

// Bytes 5, 6 and 7 of the block carry the signals (A, B, C); inputs read 0 when on,
// outputs read 1 when on. Bytes 0 to 4 and the unused bits are 0.
Controller::Block Controller::ioBlock(Time now) const
{
    const std::uint8_t in = inputsAt(now);
    const auto off = [in](std::uint8_t bit, std::uint8_t mask) -> std::uint8_t {
        return (in & bit) ? 0 : mask;
    };
    const auto on = [this](std::uint8_t bit, std::uint8_t mask) -> std::uint8_t {
        return (outputs_ & bit) ? mask : 0;
    };
    Block b{};
    b[5] = off(InTipSensor, 0x10) | on(OutInP, 0x20) | on(OutEmpty, 0x08);
    b[6] = off(InPause, 0x08) | on(OutOk, 0x40) | on(OutEscapeSol, 0x80);
    b[7] = off(InRun, 0x02) | off(InCont, 0x04) | off(InRailSensor, 0x20);
    return b;
}

}  // namespace kzsim
