#pragma once
// The controller's I/O state block as the monitor reads it: the three bytes it looks at, the nine
// lamp rows with their bits and polarity, and the argument of the output frame "0WS".

#include <QString>
#include <array>

namespace kz {

// The last three bytes of the "0RD" + "20" reply.
struct IoBytes {
    int a = 0;  // characters 16 and 17 (1-based)
    int b = 0;  // characters 18 and 19
    int c = 0;  // characters 20 and 21
};

enum class IoByte { A, B, C };

// One lamp row of the monitor, top to bottom.
struct IoRow {
    const char *label;       // caption label
    const char *redImage;    // shown when on
    const char *whiteImage;  // beneath the red one
    IoByte byte;
    int mask;
    bool onWhenSet;    // outputs: on when the bit is 1; inputs: on when it is 0
    int requestIndex;  // index in outputRequests; 0 for the inputs, which cannot be switched
    int outputValue;   // weight in the "0WS" value; 0 for the inputs
};

inline constexpr int kIoRowCount = 9;

// Rows 1 to 5 are the inputs, rows 6 to 9 the outputs.
inline constexpr std::array<IoRow, kIoRowCount> kIoRows{{
    {"lblUnten", "imgUntenRed", "imgUntenWhite", IoByte::C, 0x02, false, 0, 0},
    {"lblKyosei", "imgKyoseiRed", "imgKyoseiWhite", IoByte::C, 0x04, false, 0, 0},
    {"lblTeisoku", "imgTeisokuRed", "imgTeisokuWhite", IoByte::B, 0x08, false, 0, 0},
    {"lblWorkKen", "imgWorkKenRed", "imgWorkKenWhite", IoByte::A, 0x10, false, 0, 0},
    {"lblManpaiKen", "imgManpaiKenRed", "imgManpaiKenWhite", IoByte::C, 0x20, false, 0, 0},
    {"lblStop", "imgStopRed", "imgStopWhite", IoByte::A, 0x20, true, 14, 2},
    {"lblToridasiOk", "imgToridasiOkRed", "imgToridasiOkWhite", IoByte::B, 0x40, true, 9, 4},
    {"lblManpai", "imgManpaiRed", "imgManpai", IoByte::B, 0x80, true, 2, 8},
    {"lblAlarm", "imgAlarmRed", "imgAlarmWhite", IoByte::A, 0x08, true, 1, 1},
}};

// Row numbers (1-based) of the outputs in the order the "0WS" value is built: EMPTY, IN-P, OK,
// ESCAPE SOL.
inline constexpr std::array<int, 4> kOutputWriteOrder{9, 6, 7, 8};

// Row numbers in the order the lamps are refreshed.
inline constexpr std::array<int, kIoRowCount> kLampRefreshOrder{9, 4, 6, 3, 7, 8, 1, 2, 5};

// The two-digit hexadecimal number at 1-based position first of text. Reading stops at the first
// character that is not a hexadecimal digit; no digit at all (or text too short) gives 0.
int HexByteAt(const QString &text, int first);

// Bytes A, B and C of an I/O block reply (CR LF included).
IoBytes ParseIoBlock(const QString &reply);

// Whether row (1-based) is on for these bytes.
bool RowOn(int row, const IoBytes &bytes);

// The "0WS" argument for an output value 0..15: one upper-case hexadecimal digit and "0".
QString OutputArgument(int value);

}  // namespace kz
