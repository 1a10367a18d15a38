// The .kzd data file: exact layout, the reader's field syntax and conversions, its rejections and
// what they leave staged, and saves that fail without harming the file already there.

#include "core/strings.h"
#include "files/data_file.h"
#include "params/parameter_document.h"
#include "params/field_table.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <limits>
#include <sys/resource.h>

using namespace kz;

Q_DECLARE_METATYPE(kz::ParameterSet)

namespace {

const QString kNotDataFile =
    QStringLiteral("This is not KZ data file.\r\nOpening data file is stopped.");
const QString kCannotRead =
    QStringLiteral("Error occured while opening file.\r\nOpening file was stopped.");

const QByteArray kExampleBytes = "KZ-C1\r\n"
                                 "10,5,5,200,30\r\n"
                                 "10,5,5,30\r\n"
                                 "20,3,4,350,0\r\n"
                                 "20,3,4,0\r\n"
                                 "8,300,6,2\r\n"
                                 "8,200,100,0\r\n"
                                 "100,15,20,0\r\n";

// What the staged copy holds before a read, so that a read that must not stage anything shows it.
ParameterSet Sentinel()
{
    ParameterSet s;
    for (const FieldInfo &info : FieldTable())
        s.*info.member = 77;
    return s;
}

// Sentinel with the given fields taken from the example file.
ParameterSet StagedUpTo(std::initializer_list<Field> fromFile)
{
    ParameterSet s = Sentinel();
    const ParameterSet example = test::ExampleSet();
    for (Field f : fromFile)
        ValueOf(s, f) = ValueOf(example, f);
    return s;
}

qint32 Lowest(int widthBits)
{
    return widthBits == 16 ? std::numeric_limits<qint16>::min() : std::numeric_limits<qint32>::min();
}

qint32 Highest(int widthBits)
{
    return widthBits == 16 ? std::numeric_limits<qint16>::max() : std::numeric_limits<qint32>::max();
}

QByteArray Contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Writes beyond `bytes` into any regular file fail with EFBIG, as on a full disk; root is bound by it
// too. The signal that would otherwise end the process is ignored while the limit holds.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

}  // namespace

class TestDataFile : public QObject {
    Q_OBJECT

private slots:
    // The example set writes exactly the documented bytes, replaces a longer file that was there, and
    // reads back.
    void exampleFile()
    {
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("example.kzd"));
        Put(path, QByteArray(500, 'x'));

        QCOMPARE(DataFileBytes(test::ExampleSet()), kExampleBytes);
        QString error;
        QVERIFY(WriteDataFile(path, test::ExampleSet(), &error));
        QCOMPARE(Contents(path), kExampleBytes);

        doc.staged = Sentinel();
        doc.changed = true;
        QCOMPARE(ReadDataFile(path, doc), 0);
        QCOMPARE(doc.staged, test::ExampleSet());
        QVERIFY(!doc.changed);
        QVERIFY(prompts.shown.isEmpty());
    }

    // Every field at the ends of its width survives a save and an open.
    void roundTrip_data()
    {
        QTest::addColumn<ParameterSet>("set");
        ParameterSet lowest, highest, alternating;
        int i = 0;
        for (const FieldInfo &info : FieldTable()) {
            lowest.*info.member = Lowest(info.widthBits);
            highest.*info.member = Highest(info.widthBits);
            alternating.*info.member = (i++ % 2) ? Lowest(info.widthBits) : Highest(info.widthBits);
        }
        QTest::newRow("lowest") << lowest;
        QTest::newRow("highest") << highest;
        QTest::newRow("alternating") << alternating;
    }
    void roundTrip()
    {
        QFETCH(ParameterSet, set);
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ends.kzd"));
        QVERIFY(WriteDataFile(path, set));
        doc.staged = ParameterSet();
        QCOMPARE(ReadDataFile(path, doc), 0);
        QCOMPARE(doc.staged, set);
        QVERIFY(prompts.shown.isEmpty());
    }

    // Files the writer would not produce but the reader takes.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ParameterSet>("expected");
        const ParameterSet example = test::ExampleSet();

        QTest::newRow("all fields on one line")
            << QByteArray("KZ-C1,10,5,5,200,30,10,5,5,30,20,3,4,350,0,20,3,4,0,8,300,6,2,8,200,100,0,"
                          "100,15,20,0")
            << example;
        QTest::newRow("LF line ends, blanks before fields")
            << QByteArray("  KZ-C1\n 10,\t5, 5,200,30\n10,5,5,30\n20,3,4,350,0\n20,3,4,0\n8,300,6,2\n"
                          "8,200,100,0\n100,15,20,0\n")
            << example;
        QTest::newRow("quoted fields; a comma inside quotes does not split; text after the quote is dropped")
            << QByteArray("\"KZ-C1\"\r\n\"10,x\" ,5,\"5\"tail,\"200\",30\r\n10,5,5,30\r\n20,3,4,350,0\r\n"
                          "20,3,4,0\r\n8,300,6,2\r\n8,200,100,0\r\n100,15,20,\"0\"\r\n")
            << example;
        QTest::newRow("lines 3 and 5 are not read")
            << QByteArray(kExampleBytes).replace("10,5,5,30\r\n", "x,99999999999,,-\r\n")
                   .replace("20,3,4,0\r\n", "\"a\",b,c,1e999\r\n")
            << example;
        QTest::newRow("fields after the 31st are ignored")
            << kExampleBytes + "junk,40000,more\r\n" << example;

        ParameterSet numbers = example;
        numbers.Vel1 = 0;          // letters only
        numbers.Acc1 = 7;          // number, then letters
        numbers.Dec1 = 0;          // empty
        numbers.Position1 = 0;     // empty
        numbers.PauseTime1 = 30;   // 30.5, tie to even
        numbers.Vel2 = 20;         // 19.5, tie to even
        numbers.Acc2 = -5;
        numbers.Position2 = 100;   // 1e2
        numbers.HomingPulse = -2147483648;
        // The trailing comma on the last line makes the empty 31st field.
        QTest::newRow("16-bit fields read the leading number; 32-bit fields any whole number")
            << QByteArray("KZ-C1\r\nabc,7abc,,,30.5\r\n10,5,5,30\r\n19.5,-5,4,1e2,0\r\n20,3,4,0\r\n"
                          "8,-2147483648,6,2\r\n8,200,100,0\r\n100,15,20,\r\n")
            << numbers;
    }
    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(ParameterSet, expected);
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("in.kzd"));
        Put(path, bytes);
        doc.staged = Sentinel();
        QCOMPARE(ReadDataFile(path, doc), 0);
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(doc.staged, expected);
    }

    // Each rejection shows its one message, keeps the data-changed flag, and leaves the staged copy as
    // stated: untouched, or holding the fields converted before the failing one.
    void rejects_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("why");  // the file and reason line after a read failure
        QTest::addColumn<ParameterSet>("staged");
        using enum Field;
        const ParameterSet untouched = Sentinel();
        QByteArray example = kExampleBytes;

        QTest::newRow("identifier in lower case")
            << QByteArray(example).replace("KZ-C1", "kz-c1") << kNotDataFile << QString() << untouched;
        QTest::newRow("identifier with a trailing blank")
            << QByteArray(example).replace("KZ-C1", "KZ-C1 ") << kNotDataFile << QString() << untouched;
        QTest::newRow("empty file") << QByteArray() << kNotDataFile << QString() << untouched;
        QTest::newRow("30 fields")
            << QByteArray(example).replace("100,15,20,0\r\n", "100,15,20\r\n") << kCannotRead << QStringLiteral("the file ends after 30 of its 31 fields")
            << untouched;
        QTest::newRow("identifier only") << QByteArray("KZ-C1\r\n") << kCannotRead << QStringLiteral("the file ends after 1 of its 31 fields") << untouched;
        QTest::newRow("letters in the Position1 field")
            << QByteArray(example).replace("10,5,5,200,30\r\n", "10,5,5,2x0,30\r\n") << kCannotRead << QStringLiteral("field 5 (Position 1 / Position(pulse)) \"2x0\" is not a number or does not fit")
            << StagedUpTo({Vel1, Acc1, Dec1});
        QTest::newRow("Vel2 beyond 16 bits")
            << QByteArray(example).replace("20,3,4,350,0\r\n", "40000,3,4,350,0\r\n") << kCannotRead << QStringLiteral("field 11 (Position 2 / VEL) \"40000\" is not a number or does not fit")
            << StagedUpTo({Vel1, Acc1, Dec1, Position1, PauseTime1});
        QTest::newRow("Sp1 below 16 bits")
            << QByteArray(example).replace("100,15,20,0\r\n", "100,15,20,-32769\r\n") << kCannotRead << QStringLiteral("field 31 (Sensor parameters / SP1) \"-32769\" is not a number or does not fit")
            << StagedUpTo({Vel1, Acc1, Dec1, Position1, PauseTime1, Vel2, Acc2, Dec2, Position2,
                           PauseTime2, HomingVel, HomingPulse, OffsetVel, HomeOffset, SupplyCounter,
                           NoWorkCounter, RestartDelay, RevDir, SeparateTimer, MidDetectCounter,
                           TipWorkOffTimer});
        QTest::newRow("HomingPulse beyond 32 bits")
            << QByteArray(example).replace("8,300,6,2\r\n", "8,2147483648,6,2\r\n") << kCannotRead << QStringLiteral("field 21 (Homing parameters / Homing Pulse) \"2147483648\" is not a number or does not fit")
            << StagedUpTo({Vel1, Acc1, Dec1, Position1, PauseTime1, Vel2, Acc2, Dec2, Position2,
                           PauseTime2, HomingVel});
        QTest::newRow("a line feed closing a quoted 32-bit field")
            << QByteArray(example).replace("10,5,5,200,30\r\n", "10,5,5,\"200\n\",30\r\n")
            << kCannotRead << QStringLiteral("field 5 (Position 1 / Position(pulse)) \"200\\n\" is not a number or does not fit") << StagedUpTo({Vel1, Acc1, Dec1});
        QTest::newRow("a 32-bit field that is only partly a number")
            << QByteArray(example).replace("8,300,6,2\r\n", "8,300,6,2e\r\n") << kCannotRead << QStringLiteral("field 23 (Homing parameters / Home Position Offset) \"2e\" is not a number or does not fit")
            << StagedUpTo({Vel1, Acc1, Dec1, Position1, PauseTime1, Vel2, Acc2, Dec2, Position2,
                           PauseTime2, HomingVel, HomingPulse, OffsetVel});
        QTest::newRow("a field far too long for a data file")
            << QByteArray(example).replace("8,300,6,2\r\n", "8," + QByteArray(100000, '1') + ",6,2\r\n")
            << kCannotRead << QStringLiteral("field 21 is too long") << untouched;
        QTest::newRow("a first field far too long")
            << QByteArray(100000, 'K') << kNotDataFile << QString() << untouched;
    }
    void rejects()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QString, why);
        QFETCH(ParameterSet, staged);
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.kzd"));
        Put(path, bytes);
        doc.staged = Sentinel();
        doc.changed = true;

        QCOMPARE(ReadDataFile(path, doc), 1);
        if (!why.isEmpty())
            message += QStringLiteral("\r\n") + path + QStringLiteral(": ") + why;
        QCOMPARE(prompts.texts(), QStringList{message});
        QCOMPARE(prompts.shown.first().buttons, MsgButtons::Ok);
        QCOMPARE(prompts.shown.first().icon, MsgIcon::None);
        QCOMPARE(doc.staged, staged);
        QVERIFY(doc.changed);
    }

    void unreadablePaths_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing file") << QStringLiteral("missing.kzd") << QStringLiteral("No such file or directory");
        QTest::newRow("a folder") << QStringLiteral("folder.kzd") << QStringLiteral("not a regular file (a folder, a device or a pipe)");
    }
    void unreadablePaths()
    {
        QFETCH(QString, relative);
        QFETCH(QString, why);
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.kzd")));
        doc.staged = Sentinel();
        QCOMPARE(ReadDataFile(dir.filePath(relative), doc), 1);
        QCOMPARE(prompts.texts(), QStringList{kCannotRead + "\r\n" + dir.filePath(relative) + ": " + why});
        QCOMPARE(doc.staged, Sentinel());
    }

    // A save that cannot complete leaves the file that was there byte for byte, and no debris beside it.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<ParameterSet>("set");
        ParameterSet tooWide = test::ExampleSet();
        tooWide.OffsetVel = 40000;
        QTest::newRow("disk full while writing") << true << test::ExampleSet();
        QTest::newRow("a 16-bit field holding more than 16 bits") << false << tooWide;
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(bool, diskFull);
        QFETCH(ParameterSet, set);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.kzd"));
        const QByteArray old = QByteArray(kExampleBytes).replace("KZ-C1\r\n10,", "KZ-C1\r\n11,");
        Put(path, old);

        QString error;
        bool written = true;
        if (diskFull) {
            FileSizeLimit limit(16);
            QVERIFY(limit.ok());
            written = WriteDataFile(path, set, &error);
        } else {
            written = WriteDataFile(path, set, &error);
        }
        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QCOMPARE(Contents(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.kzd"});
    }

    // Root ignores permission bits, so the unwritable targets are folders that are not there.
    void saveToMissingFolderFails_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("folder does not exist") << QStringLiteral("nowhere/x.kzd");
        QTest::newRow("parent is a file") << QStringLiteral("plain/x.kzd");
    }
    void saveToMissingFolderFails()
    {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        Put(dir.filePath(QStringLiteral("plain")), "keep");
        QString error;
        QVERIFY(!WriteDataFile(dir.filePath(relative), test::ExampleSet(), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(Contents(dir.filePath(QStringLiteral("plain"))), QByteArray("keep"));
    }
};

QTEST_MAIN(TestDataFile)
#include "test_data_file.moc"
