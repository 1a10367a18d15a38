#pragma once
// The frames of the controller operations, one table for every program that talks to a
// controller (the main window, the I/O monitor, kzpc-cli): what is sent, in which order, what each
// reply is and how long it is waited for. No frame text or reply length is written anywhere else.

#include <QList>
#include <QString>

namespace kz {

// One request: command + argument, the reply length (CR LF included) and the reply time-out.
// A reply length of 0 means that no reply is awaited.
struct FrameSpec {
    const char *command;
    const char *argument;
    int replyLength;
    int timeoutMs;
};

// Communication mode: "0CM" + "1", a 6-character reply within 1000 ms (SetCommMode).
inline constexpr FrameSpec kCommModeFrame{"0CM", "1", 6, 1000};

// Reading: "0RD" + block, a 23-character reply within 5000 ms each; the reply to the i-th block
// goes into read slot i (1 to 5).
inline constexpr const char *kReadCommand = "0RD";
inline constexpr const char *kReadBlocks[] = {"02", "04", "05", "00", "01"};
inline constexpr int kReadBlockCount = 5;
inline constexpr int kBlockReplyLength = 23;
inline constexpr int kBlockTimeoutMs = 5000;

// Writing: "0WD" + the 18-character text of a block slot, a 23-character reply within 5000 ms.
inline constexpr const char *kWriteCommand = "0WD";

// The block slots a write sends, in order: slots 4 and 5 (blocks "00" and "01") only while the
// parameter groups are active; block "1F" with its signature (slot 7) always last.
inline QList<int> WriteSlots(bool groupsActive)
{
    return groupsActive ? QList<int>{1, 2, 3, 4, 5, 6, 7} : QList<int>{1, 2, 3, 6, 7};
}

// Reset: "0CM3" after communication mode, no reply awaited.
inline constexpr FrameSpec kResetFrameSpec{"0CM3", "", 0, 1000};
// External start mode: "0CM0", a 6-character reply echoing it. It is also the recovery frame sent
// after a reply that failed its echo or length check.
inline constexpr const char *kExternalModeFrame = "0CM0";
inline constexpr FrameSpec kExternalModeFrameSpec{kExternalModeFrame, "", 6, 5000};
// Version: "0RV", an 11-character reply; characters 4 to 6 are the version.
inline constexpr FrameSpec kVersionFrame{"0RV", "", 11, 5000};
inline QString VersionOf(const QString &reply)
{
    return reply.mid(3, 3);
}

// Moves: "0MP" + the target ("1", "2"; "0" homes), a 12-character reply once the move has ended.
inline constexpr const char *kMoveCommand = "0MP";
inline constexpr int kMoveReplyLength = 12;
inline constexpr int kMoveTimeoutMs = 5000;
inline constexpr const char *kHomeTarget = "0";
// Alarm reset: "0%C", a 7-character reply.
inline constexpr FrameSpec kAlarmResetFrame{"0%C", "", 7, 5000};

// I/O: block "20" read as the parameter blocks are; outputs switched with "0WS" + one hexadecimal
// digit of the four output bits + "0", a 7-character reply.
inline constexpr FrameSpec kInputOutputFrame{"0RD", "20", kBlockReplyLength, 5000};
inline constexpr const char *kSwitchOutputsCommand = "0WS";
inline constexpr int kSwitchOutputsReplyLength = 7;
inline constexpr int kInputOutputTimeoutMs = 5000;
// The "0WS" argument for an output value 0..15: one upper-case hexadecimal digit and "0".
inline QString SwitchOutputsArgument(int value)
{
    return QString::number(value & 0xF, 16).toUpper() + QLatin1Char('0');
}
// The "0MP" argument for a target: "1", "2", or "0" to home.
inline QString MoveArgument(int target)
{
    return QString::number(target, 16).toUpper();
}

}  // namespace kz
