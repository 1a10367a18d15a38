#include "io_monitor/io_block.h"

#include "link/ct_frames.h"

namespace kz {

namespace {

int HexDigit(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

}  // namespace

int HexByteAt(const QString &text, int first)
{
    int value = 0;
    // Wide enough that no position, however far off, overflows on its way to "outside the text".
    const qsizetype start = qsizetype(first) - 1;
    for (qsizetype i = start; i < start + 2 && i >= 0 && i < text.size(); ++i) {
        const int digit = HexDigit(text.at(i));
        if (digit < 0)
            break;
        value = value * 16 + digit;
    }
    return value;
}

IoBytes ParseIoBlock(const QString &reply)
{
    return {HexByteAt(reply, 16), HexByteAt(reply, 18), HexByteAt(reply, 20)};
}

bool RowOn(int row, const IoBytes &bytes)
{
    const IoRow &r = kIoRows.at(row - 1);
    const int byte = r.byte == IoByte::A ? bytes.a : r.byte == IoByte::B ? bytes.b : bytes.c;
    const bool set = (byte & r.mask) != 0;
    return set == r.onWhenSet;
}

QString OutputArgument(int value)
{
    return SwitchOutputsArgument(value);
}

}  // namespace kz
