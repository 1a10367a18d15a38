#include "core/read_number.h"

#include <QByteArray>
#include <limits>

namespace kz {

namespace {

// A value is 0.DIGITS x 10^pointPos with no leading zero in DIGITS. Beyond 11 integer digits it
// exceeds every width, so the exponent only needs tracking up to a bound that cannot overflow.
constexpr qint64 kExponentCap = 1000000;
constexpr qint64 kMostIntegerDigits = 11;

bool IsDigit(const QString &text, qsizetype i)
{
    return i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9');
}

}  // namespace

std::optional<qint32> ReadNumber(const QString &text, int widthBits)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    QByteArray digits;
    qint64 pointPos = 0;
    bool anyDigit = false;
    for (; IsDigit(text, i); ++i) {
        anyDigit = true;
        const char d = char(text[i].unicode());
        if (digits.isEmpty() && d == '0')
            continue;
        digits += d;
        ++pointPos;
    }
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        for (++i; IsDigit(text, i); ++i) {
            anyDigit = true;
            const char d = char(text[i].unicode());
            if (digits.isEmpty() && d == '0')
                --pointPos;  // 0.05 is 0.5 x 10^-1
            else
                digits += d;
        }
    }
    if (!anyDigit)
        return 0;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) {
            negativeExponent = text[j] == QLatin1Char('-');
            ++j;
        }
        if (IsDigit(text, j)) {
            qint64 exponent = 0;
            for (; IsDigit(text, j); ++j)
                exponent = qMin(kExponentCap, exponent * 10 + (text[j].unicode() - '0'));
            pointPos += negativeExponent ? -exponent : exponent;
        }
    }
    if (digits.isEmpty())
        return 0;
    if (pointPos > kMostIntegerDigits)
        return std::nullopt;

    qint64 magnitude = 0;
    for (qint64 k = 0; k < pointPos; ++k)
        magnitude = magnitude * 10 + (k < digits.size() ? digits[k] - '0' : 0);

    // Only a value of at least 0.1 can round up; below that the first dropped digit is a 0.
    if (pointPos >= 0 && pointPos < digits.size()) {
        const char first = digits[pointPos];
        bool restNonZero = false;
        for (qsizetype k = pointPos + 1; k < digits.size(); ++k)
            restNonZero = restNonZero || digits[k] != '0';
        if (first > '5' || (first == '5' && (restNonZero || magnitude % 2 == 1)))
            ++magnitude;
    }

    const qint64 value = negative ? -magnitude : magnitude;
    const qint64 lowest = widthBits == 16 ? std::numeric_limits<qint16>::min()
                                          : std::numeric_limits<qint32>::min();
    const qint64 highest = widthBits == 16 ? std::numeric_limits<qint16>::max()
                                           : std::numeric_limits<qint32>::max();
    if (value < lowest || value > highest)
        return std::nullopt;
    return qint32(value);
}

}  // namespace kz
