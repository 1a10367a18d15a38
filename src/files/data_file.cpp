#include "files/data_file.h"

#include "core/prompts.h"
#include "core/save_file.h"
#include "core/strings.h"
#include "params/field_table.h"
#include "core/read_number.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>
#include <span>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kz {

namespace {

using enum Field;

// Opens path for reading only when it is a regular file. A named pipe would block the window for
// ever, a folder or device is no data file; the test is made on the opened file itself, so a path
// that changes between the dialog and the read cannot slip past it.
// On a failure *why is the reason, in the system's words or ours.
bool OpenRegularFile(QFile &file, const QString &path, QString *why)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = Str(3007);
        ::close(fd);
        return false;
    }
    if (::fcntl(fd, F_SETFL, 0) != 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        *why = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
#else
    if (!QFileInfo(path).isFile()) {
        *why = QFileInfo::exists(path) ? Str(3007) : QStringLiteral("No such file or directory");
        return false;
    }
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return true;
    *why = file.errorString();
    return false;
#endif
}

constexpr std::array kLine2 = {Vel1, Acc1, Dec1, Position1, PauseTime1};
constexpr std::array kLine3 = {Vel1, Acc1, Dec1, PauseTime1};
constexpr std::array kLine4 = {Vel2, Acc2, Dec2, Position2, PauseTime2};
constexpr std::array kLine5 = {Vel2, Acc2, Dec2, PauseTime2};
constexpr std::array kLine6 = {HomingVel, HomingPulse, OffsetVel, HomeOffset};
constexpr std::array kLine7 = {SupplyCounter, NoWorkCounter, RestartDelay, RevDir};
constexpr std::array kLine8 = {SeparateTimer, MidDetectCounter, TipWorkOffTimer, Sp1};

struct NumberLine {
    std::span<const Field> fields;
    bool readBack;  // lines 3 and 5 repeat lines 2 and 4 without the position; the reader skips them
};

// Lines 2 to 8, in file order; both the writer and the reader walk this.
constexpr std::array<NumberLine, 7> kLayout = {{
    {kLine2, true}, {kLine3, false}, {kLine4, true}, {kLine5, false},
    {kLine6, true}, {kLine7, true}, {kLine8, true},
}};

constexpr int CountFields()
{
    int count = 1;  // the identifier
    for (const NumberLine &line : kLayout)
        count += int(line.fields.size());
    return count;
}
constexpr int kFileFields = CountFields();
static_assert(kFileFields == 31);

// No field of a real data file comes near this; a longer one means the file is something else, and
// stopping keeps a large foreign file from being pulled into memory.
constexpr qsizetype kMaxFieldLength = 4096;

bool FitsWidth(qint32 value, int widthBits)
{
    return widthBits == 32
        || (value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max());
}

// Splits a file into fields as described in the header.
class FieldReader {
public:
    enum class Next { Field, End, ReadError, TooLong };

    explicit FieldReader(QFile &file) : file_(file) {}

    Next next(QByteArray *text)
    {
        text->clear();
        char c = 0;
        do {
            if (!file_.getChar(&c))
                return endOfData(false);
        } while (c == ' ' || c == '\t');

        if (c == '"') {
            for (;;) {
                if (!file_.getChar(&c))
                    return endOfData(true);
                if (c == '"')
                    break;
                if (!append(text, c))
                    return Next::TooLong;
            }
            do {
                if (!file_.getChar(&c))
                    return endOfData(true);
            } while (!IsDelimiter(c));
        } else {
            while (!IsDelimiter(c)) {
                if (!append(text, c))
                    return Next::TooLong;
                if (!file_.getChar(&c))
                    return endOfData(true);
            }
        }

        afterComma_ = c == ',';
        if (c == '\r') {
            char lf = 0;
            if (file_.getChar(&lf) && lf != '\n')
                file_.ungetChar(lf);
        }
        return Next::Field;
    }

private:
    static bool IsDelimiter(char c) { return c == ',' || c == '\r' || c == '\n'; }

    static bool append(QByteArray *text, char c)
    {
        if (text->size() >= kMaxFieldLength)
            return false;
        text->append(c);
        return true;
    }

    // The data ran out while looking for the next character. A field already begun ends here, and so
    // does the empty field that a trailing comma promises; after a line end there is no further field.
    Next endOfData(bool inField)
    {
        if (file_.error() != QFileDevice::NoError)
            return Next::ReadError;
        const bool field = inField || afterComma_;
        afterComma_ = false;
        return field ? Next::Field : Next::End;
    }

    QFile &file_;
    bool afterComma_ = false;
};

bool IsWholeNumber(const QString &text)
{
    // Anchored at both ends: a plain "$" would also let a final line feed through.
    static const QRegularExpression number(QRegularExpression::anchoredPattern(
        QStringLiteral("[ \\t]*([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?)?[ \\t]*")));
    return number.match(text).hasMatch();
}

std::optional<qint32> ConvertField(const QByteArray &bytes, int widthBits)
{
    const QString text = QString::fromLatin1(bytes);
    if (widthBits == 32 && !IsWholeNumber(text))
        return std::nullopt;
    return ReadNumber(text, widthBits);
}

// A field's text as a message quotes it: at most 20 characters, control characters escaped.
QString ShownFieldText(const QByteArray &text)
{
    QString shown;
    for (const char c : text.left(20)) {
        if (c == '\n')
            shown += QLatin1String("\\n");
        else if (c == '\r')
            shown += QLatin1String("\\r");
        else if (uchar(c) < 0x20 || uchar(c) >= 0x7f)
            shown += QStringLiteral("\\x%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0'));
        else
            shown += QLatin1Char(c);
    }
    return text.size() > 20 ? shown + QStringLiteral("…") : shown;
}

void AppendLine(QByteArray *out, const QByteArray &line)
{
    out->append(line);
    out->append("\r\n");
}

}  // namespace

QByteArray DataFileBytes(const ParameterSet &set)
{
    QByteArray out;
    AppendLine(&out, kDataFileId);
    for (const NumberLine &line : kLayout) {
        QByteArray text;
        for (Field field : line.fields) {
            if (!text.isEmpty())
                text.append(',');
            text.append(QByteArray::number(ValueOf(set, field)));
        }
        AppendLine(&out, text);
    }
    return out;
}

bool WriteDataFile(const QString &path, const ParameterSet &set, QString *error)
{
    QString why;
    // A value too wide for its field would make a file that cannot be opened again.
    for (const FieldInfo &info : FieldTable()) {
        const qint32 value = set.*info.member;
        if (!FitsWidth(value, info.widthBits)) {
            why = QStringLiteral("%1 holds %2, which does not fit %3 bits")
                      .arg(QLatin1String(info.name)).arg(value).arg(info.widthBits);
            break;
        }
    }
    if (why.isEmpty() && SaveWholeFile(path, DataFileBytes(set), &why))
        return true;
    if (error)
        *error = why;
    return false;
}

DataFileRead LoadDataFile(const QString &path, const ParameterSet &base)
{
    DataFileRead out;
    out.set = base;
    // The message says which file and why on a line of its own after the two of the message.
    const auto cannotRead = [&path, &out](const QString &why) {
        out.result = DataFileRead::Result::CannotRead;
        out.message = StrLines({279, 280}) + QLatin1String("\r\n") + QDir::toNativeSeparators(path) + QLatin1String(": ") + why;
        return out;
    };

    QFile file;
    QString why;
    if (!OpenRegularFile(file, path, &why))
        return cannotRead(why);
    FieldReader reader(file);
    // Why the field numbered n (1 = the identifier) could not be read.
    const auto fieldFailure = [&file](FieldReader::Next outcome, int n) {
        switch (outcome) {
        case FieldReader::Next::ReadError: return file.errorString();
        case FieldReader::Next::TooLong: return Str(3009).arg(n);
        default: return Str(3008).arg(n - 1).arg(kFileFields);
        }
    };

    QByteArray identifier;
    const FieldReader::Next first = reader.next(&identifier);
    if (first == FieldReader::Next::ReadError)
        return cannotRead(fieldFailure(first, 1));
    if (first != FieldReader::Next::Field || identifier != kDataFileId) {
        out.result = DataFileRead::Result::NotADataFile;
        out.message = StrLines({277, 278});
        return out;
    }

    std::array<QByteArray, kFileFields - 1> numbers;
    int n = 1;
    for (QByteArray &number : numbers) {
        ++n;
        const FieldReader::Next outcome = reader.next(&number);
        if (outcome != FieldReader::Next::Field)
            return cannotRead(fieldFailure(outcome, n));
    }
    file.close();

    // Stored one by one in file order: a field that fails leaves the ones before it staged.
    auto text = numbers.cbegin();
    for (const NumberLine &line : kLayout) {
        for (Field field : line.fields) {
            const QByteArray &fieldText = *text++;
            if (!line.readBack)
                continue;
            const auto value = ConvertField(fieldText, Info(field).widthBits);
            if (!value) {
                const int number = int(text - numbers.cbegin()) + 1;  // the identifier is field 1
                return cannotRead(Str(3010).arg(number).arg(FieldDisplayName(field), ShownFieldText(fieldText)));
            }
            ValueOf(out.set, field) = *value;
        }
    }
    return out;
}

int ReadDataFile(const QString &path, ParameterDocument &document)
{
    const DataFileRead read = LoadDataFile(path, document.staged);
    document.staged = read.set;
    if (!read.ok()) {
        MsgOk(read.message);
        return 1;
    }
    document.changed = false;
    return 0;
}

}  // namespace kz
