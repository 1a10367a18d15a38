// The I/O block parse: ParseIoBlock and HexByteAt over arbitrary text and positions, the lamp rows
// and the "0WS" argument.
//
// Input: byte 0 picks the text's encoding (even: Latin-1, odd: UTF-8, so characters beyond Latin-1
// appear too), bytes 1 to 4 a position for HexByteAt (little-endian, any int), the rest the reply.

#include "fuzz_support.h"

#include "io_monitor/io_block.h"

#include <cstdint>
#include <cstring>

using namespace kz;

namespace {

int DigitValue(char16_t u)
{
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// Up to two hexadecimal digits at 1-based position first, stopping at the first non-digit; 0 when
// there is none or the position lies outside the text.
int ExpectedByte(const QString &text, qint64 first)
{
    int value = 0;
    for (qint64 i = first - 1; i <= first; ++i) {
        if (i < 0 || i >= text.size())
            break;
        const int digit = DigitValue(text.at(qsizetype(i)).unicode());
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 5)
        return 0;
    const bool utf8 = data[0] & 1;
    std::int32_t first = 0;
    std::memcpy(&first, data + 1, sizeof first);
    const char *bytes = reinterpret_cast<const char *>(data) + 5;
    const qsizetype length = qsizetype(size - 5);
    const QString reply = utf8 ? QString::fromUtf8(bytes, length) : QString::fromLatin1(bytes, length);

    const int atFirst = HexByteAt(reply, first);
    FUZZ_CHECK(atFirst == ExpectedByte(reply, first));
    FUZZ_CHECK(atFirst >= 0 && atFirst <= 0xFF);

    const IoBytes io = ParseIoBlock(reply);
    FUZZ_CHECK(io.a == ExpectedByte(reply, 16));
    FUZZ_CHECK(io.b == ExpectedByte(reply, 18));
    FUZZ_CHECK(io.c == ExpectedByte(reply, 20));

    int outputs = 0;
    for (int row = 1; row <= kIoRowCount; ++row) {
        const IoRow &r = kIoRows[row - 1];
        const int byte = r.byte == IoByte::A ? io.a : r.byte == IoByte::B ? io.b : io.c;
        const bool on = RowOn(row, io);
        FUZZ_CHECK(on == (((byte & r.mask) != 0) == r.onWhenSet));
        if (on)
            outputs += r.outputValue;
    }

    // The output group as the monitor writes it: one upper-case digit and "0".
    const QString argument = OutputArgument(outputs);
    FUZZ_CHECK(outputs >= 0 && outputs <= 15);
    FUZZ_CHECK(argument.size() == 2 && argument[1] == QLatin1Char('0'));
    FUZZ_CHECK(DigitValue(argument[0].unicode()) == outputs && !argument[0].isLower());
    FUZZ_CHECK(OutputArgument(atFirst) == OutputArgument(atFirst & 0xF));
    return 0;
}
