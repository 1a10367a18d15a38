#pragma once
// The frames of the controller operations, one list for every program that talks to a
// controller (the main window, kzpc-cli): what is sent, in which order, and what each reply is.

#include <QList>
#include <QString>

namespace kz {

// "0CM" + "1": communication mode, a 6-character reply within 1000 ms (SetCommMode).
inline constexpr int kCommModeReplyLength = 6;

// Reading: "0RD" + block, a 23-character reply within 5000 ms each; the reply to the i-th block
// goes into PSDA slot i (1 to 5).
inline constexpr const char *kReadCommand = "0RD";
inline constexpr const char *kReadBlocks[] = {"02", "04", "05", "00", "01"};
inline constexpr int kReadBlockCount = 5;
inline constexpr int kBlockReplyLength = 23;
inline constexpr int kBlockTimeoutMs = 5000;

// Writing: "0WD" + the 18-character text of a PSDA slot, a 23-character reply within 5000 ms.
inline constexpr const char *kWriteCommand = "0WD";

// The PSDA slots a write sends, in order: slots 4 and 5 (blocks "00" and "01") only while the
// parameter groups are active; block "1F" with its signature (slot 7) always last.
inline QList<int> WriteSlots(bool groupsActive)
{
    return groupsActive ? QList<int>{1, 2, 3, 4, 5, 6, 7} : QList<int>{1, 2, 3, 6, 7};
}

// Reset: "0CM3" after communication mode, no reply awaited.
inline constexpr const char *kResetFrame = "0CM3";
// External start mode: "0CM0", a 6-character reply echoing it.
inline constexpr const char *kExternalModeFrame = "0CM0";
// Version: "0RV", an 11-character reply; characters 4 to 6 are the version.
inline constexpr const char *kVersionCommand = "0RV";
inline constexpr int kVersionReplyLength = 11;
inline QString VersionOf(const QString &reply)
{
    return reply.mid(3, 3);
}

}  // namespace kz
