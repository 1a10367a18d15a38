// The controller data image: hexadecimal fields, the blocks built from a document's current copy, and
// the read replies staged into its staged copy.

#include "params/data_image.h"
#include "params/parameter_document.h"
#include "params/parameter_set.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QTest>

#include <optional>

using namespace kz;

Q_DECLARE_METATYPE(kz::ParameterSet)

namespace kz {
char *toString(const ParameterSet &p)
{
    const QList<qint32> v = {p.Vel1, p.Acc1, p.Dec1, p.PauseTime1, p.Position1, p.Vel2, p.Acc2,
                             p.Dec2, p.PauseTime2, p.Position2, p.SeparateTimer, p.SupplyCounter,
                             p.RestartDelay, p.MidDetectCounter, p.NoWorkCounter, p.TipWorkOffTimer,
                             p.Sp1, p.RevDir, p.HomingVel, p.HomingPulse, p.OffsetVel, p.HomeOffset};
    QStringList parts;
    for (qint32 x : v)
        parts << QString::number(x);
    return qstrdup(qPrintable(parts.join(QLatin1Char(' '))));
}
}  // namespace kz

namespace {

const QString kCollectingMessage = QStringLiteral(
    "An Error occured while collecting data before communication.\r\nCollecting data was stopped.");

// A set whose every field has a value of its own, using all bytes of the wide fields.
ParameterSet Distinct()
{
    ParameterSet p;
    p.Vel1 = 29; p.Acc1 = 8; p.Dec1 = 7; p.PauseTime1 = 201; p.Position1 = 0xABCDEF;
    p.Vel2 = 3; p.Acc2 = 1; p.Dec2 = 9; p.PauseTime2 = 45; p.Position2 = 16777215;
    p.SeparateTimer = 100; p.SupplyCounter = 8; p.RestartDelay = 101; p.MidDetectCounter = 15;
    p.NoWorkCounter = 200; p.TipWorkOffTimer = 20; p.Sp1 = 255; p.RevDir = 1;
    p.HomingVel = 16; p.HomingPulse = 599; p.OffsetVel = 6; p.HomeOffset = 513;
    return p;
}

// Read replies as the controller sends them, with bytes that nothing stages set apart from the
// fields that are (speed bytes of "04", the pausing time of "05", the fillers), and what they stage.
QStringList Replies()
{
    return {
        QStringLiteral("0RD02") + "74" "08" "07" "ABCDEF" "C9" "FF" + "\r\n",
        QStringLiteral("0RD04") + "00" "00" "00" "FFFFFF" "2D" "00" + "\r\n",
        QStringLiteral("0RD05") + "0C" "01" "09" "EE" "00000000" + "\r\n",
        QStringLiteral("0RD00") + "10" "0257" "06" "0201" "00" "01" + "\r\n",
        QStringLiteral("0RD01") + "08" "65" "C8" "64" "0F" "14" "FF" "00" + "\r\n",
    };
}

void PutReplies(ParameterDocument &doc, const QStringList &replies)
{
    for (int slot = 1; slot <= 5; ++slot)
        doc.blocks[slot] = replies[slot - 1];
}

}  // namespace

class TestParamsImage : public QObject {
    Q_OBJECT

    std::optional<test::TestEnv> env_;
    ParameterDocument doc_;

private slots:
    void init()
    {
        env_.emplace();
        doc_ = ParameterDocument();
    }
    void cleanup() { env_.reset(); }

    void hexField_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::newRow("one byte full") << 255 << 2 << "FF";
        QTest::newRow("one byte over") << 256 << 2 << "X";
        QTest::newRow("padded to six") << 5 << 6 << "000005";
        QTest::newRow("zero") << 0 << 2 << "00";
        QTest::newRow("upper case") << 0xab << 2 << "AB";
        QTest::newRow("two bytes") << 600 << 4 << "0258";
        QTest::newRow("two bytes over") << 65536 << 4 << "X";
        QTest::newRow("three bytes full") << 16777215 << 6 << "FFFFFF";
        QTest::newRow("three bytes over") << 16777216 << 6 << "X";
        QTest::newRow("negative small") << -1 << 2 << "X";
        QTest::newRow("negative wide") << -1 << 6 << "X";
        QTest::newRow("most negative") << int(-2147483648LL) << 6 << "X";
    }

    void hexField()
    {
        QFETCH(int, value);
        QFETCH(int, width);
        QFETCH(QString, text);
        QCOMPARE(HexField(value, width), text);
    }

    void blocksFromCurrentCopy()
    {
        test::ScriptedPrompts prompts;
        ParameterSet &set = doc_.current;
        set.Vel1 = 30; set.Acc1 = 9; set.Dec1 = 1; set.Position1 = 400; set.PauseTime1 = 0;
        set.Vel2 = 5; set.Acc2 = 2; set.Dec2 = 3; set.PauseTime2 = 255;
        set.Position2 = 16777215;
        set.SeparateTimer = 100; set.SupplyCounter = 8; set.RestartDelay = 101;
        set.MidDetectCounter = 15; set.NoWorkCounter = 200; set.TipWorkOffTimer = 20;
        set.Sp1 = 0; set.RevDir = 1;
        set.HomingVel = 8; set.HomingPulse = 600; set.OffsetVel = 6; set.HomeOffset = 2;

        QCOMPARE(BuildWriteBlocks(doc_.current, doc_.blocks, true), 0);
        QCOMPARE(doc_.blocks[1], QStringLiteral("02" "78" "09" "01" "000190" "00" "FF"));
        QCOMPARE(doc_.blocks[2], QStringLiteral("04" "78" "09" "01" "FFFFFF" "FF" "FF"));
        QCOMPARE(doc_.blocks[3], QStringLiteral("05" "14" "02" "03" "FF" "FFFFFFFF"));
        QCOMPARE(doc_.blocks[4], QStringLiteral("00" "08" "0258" "06" "0002" "FF" "01"));
        QCOMPARE(doc_.blocks[5], QStringLiteral("01" "08" "65" "C8" "64" "0F" "14" "00" "FF"));
        QCOMPARE(doc_.blocks[6], QStringLiteral("03" "14" "02" "03" "00" "FFFFFFFF"));
        QCOMPARE(doc_.blocks[7], QStringLiteral("1F" "FFFFFFFFFFFF55AA"));
        for (int slot = 1; slot <= 7; ++slot)
            QCOMPARE(doc_.blocks[slot].size(), 18);
        QCOMPARE(prompts.texts(), QStringList{});
    }

    void groupsInactiveLeaveSlots4And5()
    {
        doc_.current = Distinct();
        doc_.blocks[4] = QStringLiteral("from the last read 4");
        doc_.blocks[5] = QStringLiteral("from the last read 5");
        QCOMPARE(BuildWriteBlocks(doc_.current, doc_.blocks, false), 0);
        QCOMPARE(doc_.blocks[4], QStringLiteral("from the last read 4"));
        QCOMPARE(doc_.blocks[5], QStringLiteral("from the last read 5"));
        QCOMPARE(doc_.blocks[6], QStringLiteral("03" "0C" "01" "09" "C9" "FFFFFFFF"));
        QCOMPARE(doc_.blocks[7], QStringLiteral("1F" "FFFFFFFFFFFF55AA"));
    }

    void speedOverflow_data()
    {
        QTest::addColumn<int>("vel1");
        QTest::addColumn<int>("vel2");
        QTest::addColumn<QList<int>>("built");  // slots that hold new text afterwards
        const QList<int> all = {1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("8191 x 4 still fits") << 8191 << 1 << all;
        QTest::newRow("-8192 x 4 still fits") << -8192 << 1 << all;
        QTest::newRow("Vel1 8192 stops at once") << 8192 << 1 << QList<int>{};
        QTest::newRow("Vel1 -8193 stops at once") << -8193 << 1 << QList<int>{};
        QTest::newRow("Vel1 beyond 16 bits") << 40000 << 1 << QList<int>{};
        QTest::newRow("Vel2 after blocks 02 and 04") << 1 << 8192 << QList<int>{1, 2};
    }

    void speedOverflow()
    {
        QFETCH(int, vel1);
        QFETCH(int, vel2);
        QFETCH(QList<int>, built);
        test::ScriptedPrompts prompts;
        doc_.current = Distinct();
        doc_.current.Vel1 = vel1;
        doc_.current.Vel2 = vel2;
        for (int slot = 1; slot <= 7; ++slot)
            doc_.blocks[slot] = QStringLiteral("old");

        const bool fails = built.size() < 7;
        QCOMPARE(BuildWriteBlocks(doc_.current, doc_.blocks, true), fails ? 1 : 0);
        QCOMPARE(prompts.texts(), fails ? QStringList{kCollectingMessage} : QStringList{});
        for (int slot = 1; slot <= 7; ++slot)
            QCOMPARE(doc_.blocks[slot] != QStringLiteral("old"), built.contains(slot));
    }

    void imageRoundTrip()
    {
        doc_.current = Distinct();
        QCOMPARE(BuildWriteBlocks(doc_.current, doc_.blocks, true), 0);
        for (int slot = 1; slot <= 5; ++slot)
            doc_.blocks[slot] = QStringLiteral("0RD") + doc_.blocks[slot] + QStringLiteral("\r\n");
        QVERIFY(StageReadReplies(doc_.blocks, doc_.staged));
        QCOMPARE(doc_.staged, doc_.current);
    }

    void extractStagesOnlyItsBytes()
    {
        PutReplies(doc_, Replies());
        QVERIFY(StageReadReplies(doc_.blocks, doc_.staged));
        QCOMPARE(doc_.staged, Distinct());
    }

    void extractRoundsSpeeds_data()
    {
        QTest::addColumn<QString>("byte");
        QTest::addColumn<int>("vel");
        QTest::newRow("78 exact") << "78" << 30;
        QTest::newRow("7A tie to even down") << "7A" << 30;
        QTest::newRow("7E tie to even up") << "7E" << 32;
        QTest::newRow("7D below half") << "7D" << 31;
        QTest::newRow("0B above half") << "0B" << 3;
        QTest::newRow("06 tie up") << "06" << 2;
        QTest::newRow("0A tie down") << "0A" << 2;
        QTest::newRow("FF largest") << "FF" << 64;
        QTest::newRow("lower case digits") << "7e" << 32;
    }

    void extractRoundsSpeeds()
    {
        QFETCH(QString, byte);
        QFETCH(int, vel);
        QStringList replies = Replies();
        replies[0].replace(5, 2, byte);
        replies[2].replace(5, 2, byte);
        PutReplies(doc_, replies);
        QVERIFY(StageReadReplies(doc_.blocks, doc_.staged));
        ParameterSet expected = Distinct();
        expected.Vel1 = expected.Vel2 = vel;
        QCOMPARE(doc_.staged, expected);
    }

    void extractRejectsBadReplies_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<QString>("reply");
        auto with = [](int slot, int position, const char *chars) {
            return Replies()[slot - 1].replace(position - 1, qsizetype(qstrlen(chars)),
                                               QString::fromLatin1(chars));
        };
        QTest::newRow("letter in the first speed byte") << 1 << with(1, 6, "G");
        QTest::newRow("sign in a position") << 2 << with(2, 12, "-");
        QTest::newRow("blank in a filler byte") << 4 << with(4, 19, " ");
        QTest::newRow("last byte of the last reply") << 5 << with(5, 21, "Z");
        QTest::newRow("reply too short") << 3 << Replies()[2].left(20);
        QTest::newRow("empty slot") << 5 << QString();
    }

    void extractRejectsBadReplies()
    {
        QFETCH(int, slot);
        QFETCH(QString, reply);
        QStringList replies = Replies();
        replies[slot - 1] = reply;
        PutReplies(doc_, replies);
        doc_.staged = Distinct();
        doc_.staged.Vel1 = 1;  // differs from what the good replies would stage
        const ParameterSet before = doc_.staged;
        QVERIFY(!StageReadReplies(doc_.blocks, doc_.staged));
        QCOMPARE(doc_.staged, before);
    }
};

QTEST_MAIN(TestParamsImage)
#include "test_params_image.moc"
