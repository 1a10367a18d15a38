// ReadDataFile over arbitrary file contents. Besides crashes, hangs and leaks, every outcome is checked
// against a plain reference reading of the field syntax (data_file.h): which message, whether the read
// succeeds, and exactly which fields of the staged copy hold new values. A file that reads back is
// written again and must read to the same set.

#include "fuzz_support.h"

#include "core/strings.h"
#include "files/data_file.h"
#include "params/field_table.h"
#include "params/parameter_document.h"
#include "core/read_number.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace kz;

namespace {

constexpr std::size_t kFileFields = 31;
constexpr std::size_t kMaxFieldLength = 4096;

// Fields of the file in order after the identifier; nullopt marks the ones written but never read.
using enum Field;
const std::array<std::optional<Field>, kFileFields - 1> kFileOrder = {
    Vel1, Acc1, Dec1, Position1, PauseTime1,
    std::nullopt, std::nullopt, std::nullopt, std::nullopt,
    Vel2, Acc2, Dec2, Position2, PauseTime2,
    std::nullopt, std::nullopt, std::nullopt, std::nullopt,
    HomingVel, HomingPulse, OffsetVel, HomeOffset,
    SupplyCounter, NoWorkCounter, RestartDelay, RevDir,
    SeparateTimer, MidDetectCounter, TipWorkOffTimer, Sp1,
};

// The first `wanted` fields of data, split the documented way.
std::vector<std::string> SplitFields(std::string_view data, std::size_t wanted)
{
    std::vector<std::string> fields;
    std::size_t pos = 0;
    bool afterComma = false;
    const auto isDelimiter = [](char c) { return c == ',' || c == '\r' || c == '\n'; };
    while (fields.size() < wanted) {
        while (pos < data.size() && (data[pos] == ' ' || data[pos] == '\t'))
            ++pos;
        if (pos == data.size()) {
            if (afterComma)
                fields.emplace_back();
            break;
        }
        std::string text;
        if (data[pos] == '"') {
            const std::size_t close = data.find('"', pos + 1);
            if (close == std::string_view::npos) {
                fields.emplace_back(data.substr(pos + 1));
                break;
            }
            text = data.substr(pos + 1, close - pos - 1);
            pos = close + 1;
            while (pos < data.size() && !isDelimiter(data[pos]))
                ++pos;
        } else {
            const std::size_t start = pos;
            while (pos < data.size() && !isDelimiter(data[pos]))
                ++pos;
            text = data.substr(start, pos - start);
        }
        fields.push_back(std::move(text));
        if (pos == data.size())
            break;
        const char delimiter = data[pos++];
        afterComma = delimiter == ',';
        if (delimiter == '\r' && pos < data.size() && data[pos] == '\n')
            ++pos;
    }
    return fields;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A 32-bit field must be a number as a whole: blanks, an optional sign, digits with an optional
// decimal point (at least one digit), an optional exponent, blanks; or nothing but blanks.
bool IsWholeNumber(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    if (i < s.size() && !IsBlank(s[i])) {
        if (s[i] == '+' || s[i] == '-')
            ++i;
        std::size_t digits = 0;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
        if (i < s.size() && s[i] == '.') {
            ++i;
            while (i < s.size() && IsDigit(s[i]))
                ++i, ++digits;
        }
        if (digits == 0)
            return false;
        if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
            ++i;
            if (i < s.size() && (s[i] == '+' || s[i] == '-'))
                ++i;
            std::size_t exponentDigits = 0;
            while (i < s.size() && IsDigit(s[i]))
                ++i, ++exponentDigits;
            if (exponentDigits == 0)
                return false;
        }
    }
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return i == s.size();
}

// What the staged copy holds before each read: no 16-bit field can read back to it.
ParameterSet Sentinel()
{
    ParameterSet s;
    for (const FieldInfo &info : FieldTable())
        s.*info.member = info.widthBits == 16 ? 0x12345 : 0x7A5A5A5A;
    return s;
}

// The one file each input is written to, in memory where the system offers it; removed at exit.
class ScratchFile {
public:
    ScratchFile()
    {
        const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        path = QStringLiteral("%1/kz-fuzz-data-%2.kzd").arg(dir).arg(::getpid());
    }
    ~ScratchFile() { QFile::remove(path); }
    QString path;
};

void Put(const QString &path, const char *data, std::size_t size)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    FUZZ_CHECK(fd >= 0);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        FUZZ_CHECK(n > 0);
        done += std::size_t(n);
    }
    ::close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApp();
    LangOffset = kEnglishOffset;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static fuzz::SilentPrompts prompts;
    static const ScratchFile scratch;
    const QString &path = scratch.path;
    static const QString notDataFile = StrLines({277, 278});
    static const QString cannotRead = StrLines({279, 280});
    prompts.clear();

    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    Put(path, bytes.data(), bytes.size());

    // What the reference expects.
    const std::vector<std::string> fields = SplitFields(bytes, kFileFields);
    const ParameterSet before = Sentinel();
    ParameterSet expected = before;
    // A file that cannot be read is named with the reason after the message's two lines: which field
    // is too long, how many fields the file holds, or (the start of it) which field does not convert.
    const QString cannotReadHead = cannotRead + QStringLiteral("\r\n") + QDir::toNativeSeparators(path)
                                   + QStringLiteral(": ");
    QString expectedMessage;
    QString expectedReasonStart;
    bool wholeReason = true;  // the reason is all of expectedReasonStart
    if (fields.empty() || fields[0].size() > kMaxFieldLength || fields[0] != kDataFileId) {
        expectedMessage = notDataFile;
    } else {
        for (std::size_t k = 1; k < fields.size() && expectedMessage.isEmpty(); ++k) {
            if (fields[k].size() > kMaxFieldLength) {
                expectedMessage = cannotReadHead;
                expectedReasonStart = Str(3009).arg(k + 1);
            }
        }
        if (expectedMessage.isEmpty() && fields.size() < kFileFields) {
            expectedMessage = cannotReadHead;
            expectedReasonStart = Str(3008).arg(fields.size()).arg(kFileFields);
        }
        for (std::size_t k = 1; k < kFileFields && expectedMessage.isEmpty(); ++k) {
            const std::optional<Field> field = kFileOrder[k - 1];
            if (!field)
                continue;
            const int width = Info(*field).widthBits;
            const std::string &text = fields[k];
            std::optional<qint32> value;
            if (width == 16 || IsWholeNumber(text))
                value = ReadNumber(QString::fromLatin1(text.data(), qsizetype(text.size())), width);
            if (!value) {
                expectedMessage = cannotReadHead;
                const QString conversion = Str(3010);
                expectedReasonStart = conversion.left(conversion.indexOf(QStringLiteral("%2"))).arg(k + 1);
                wholeReason = false;
            } else {
                ValueOf(expected, *field) = *value;
            }
        }
    }

    ParameterDocument document;
    document.staged = before;
    document.changed = true;
    const int result = ReadDataFile(path, document);

    if (expectedMessage.isEmpty()) {
        FUZZ_CHECK(result == 0);
        FUZZ_CHECK(prompts.texts.isEmpty());
        FUZZ_CHECK(!document.changed);
        FUZZ_CHECK(document.staged == expected);

        // What reads back is written again and reads the same.
        const ParameterSet read = document.staged;
        const QByteArray again = DataFileBytes(read);
        Put(path, again.constData(), std::size_t(again.size()));
        document.staged = before;
        FUZZ_CHECK(ReadDataFile(path, document) == 0);
        FUZZ_CHECK(document.staged == read);
        FUZZ_CHECK(prompts.texts.isEmpty());
    } else {
        FUZZ_CHECK(result == 1);
        FUZZ_CHECK(prompts.texts.size() == 1);
        if (expectedMessage == notDataFile) {
            FUZZ_CHECK(prompts.texts.first() == notDataFile);
        } else {
            const QString &shown = prompts.texts.first();
            FUZZ_CHECK(wholeReason ? shown == expectedMessage + expectedReasonStart
                                   : shown.startsWith(expectedMessage + expectedReasonStart));
        }
        FUZZ_CHECK(document.changed);
        // A file rejected whole leaves the staged copy as it was; a field that fails to convert leaves
        // the fields before it staged and the rest untouched.
        if (expectedMessage == notDataFile || fields.size() < kFileFields)
            FUZZ_CHECK(document.staged == before);
        else
            FUZZ_CHECK(document.staged == expected);
    }
    FUZZ_CHECK(prompts.dialogs == 0);
    return 0;
}
