// Verification's report: the exact OK and NG texts, the grouped list of differing fields, the parameter
// groups' part in it, and the list text it shares with the range check.

#include "core/strings.h"
#include "files/data_file.h"
#include "files/verify.h"
#include "params/check_chain.h"
#include "params/field_table.h"
#include "support/sample_sets.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace kz;

Q_DECLARE_METATYPE(QList<kz::Field>)

namespace {

const QString kOk = QStringLiteral("Result of Verify - OK");
const QString kNgHead = QStringLiteral("Result of Verify - NG\r\n\r\n<Unmatched data>\r\n");

ParameterSet Differing(const QList<Field> &fields)
{
    ParameterSet s = test::ExampleSet();
    for (Field f : fields)
        ValueOf(s, f) += 1;
    return s;
}

}  // namespace

class TestVerify : public QObject {
    Q_OBJECT

private slots:
    void report_data()
    {
        QTest::addColumn<QList<Field>>("differing");
        QTest::addColumn<bool>("groupsActive");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("list");
        using enum Field;

        QTest::newRow("equal") << QList<Field>{} << true << 0 << QString();
        QTest::newRow("position 1 and sensor")
            << QList<Field>{Vel1, SupplyCounter} << true << 1
            << QStringLiteral("\r\nPosition 1 - VEL,\r\nSensor parameters - Supply counter,\r\n");
        QTest::newRow("rotation direction alone")
            << QList<Field>{RevDir} << true << 1
            << QStringLiteral("\r\nSensor parameters - The direction of rotation reversed,\r\n");
        QTest::newRow("homing alone") << QList<Field>{HomeOffset} << true << 1
                                      << QStringLiteral("\r\nHoming parameters - Home Position Offset,\r\n");
        QTest::newRow("two fields of one group share a line")
            << QList<Field>{Position2, PauseTime2} << true << 1
            << QStringLiteral("Position 2 - Pausing time,Position(pulse),\r\n");
        QTest::newRow("all four groups")
            << QList<Field>{HomeOffset, RevDir, Acc1, HomingPulse, Position2} << true << 1
            << QStringLiteral("\r\n\r\nPosition 1 - ACC,\r\nPosition 2 - Position(pulse),\r\n"
                              "Sensor parameters - The direction of rotation reversed,\r\n"
                              "Homing parameters - Homing Pulse,Home Position Offset,\r\n");

        QList<Field> every;
        for (const FieldInfo &info : FieldTable())
            every << info.field;
        QTest::newRow("every field, in report order")
            << every << true << 1
            << QStringLiteral("\r\n\r\nPosition 1 - VEL,ACC,DEC,Pausing time,Position(pulse),\r\n"
                              "Position 2 - VEL,ACC,DEC,Pausing time,Position(pulse),\r\n"
                              "Sensor parameters - Separate timer,Supply counter,Restart Delay,"
                              "Mid Detect counter,No work counter,Tip work off timer,SP1,"
                              "The direction of rotation reversed,\r\n"
                              "Homing parameters - Homing VEL,Homing Pulse,Offset Moving VEL,"
                              "Home Position Offset,\r\n");
        QTest::newRow("groups inactive: sensor and homing not compared")
            << QList<Field>{HomingPulse, RevDir, Sp1} << false << 0 << QString();
        QTest::newRow("groups inactive: positions still compared")
            << QList<Field>{HomingPulse, Dec1} << false << 1 << QStringLiteral("Position 1 - DEC,\r\n");
    }
    void report()
    {
        QFETCH(QList<Field>, differing);
        QFETCH(bool, groupsActive);
        QFETCH(int, result);
        QFETCH(QString, list);
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        doc.current = test::ExampleSet();
        doc.staged = Differing(differing);
        const ParameterSet staged = doc.staged;

        QCOMPARE(VerifyReport(doc, groupsActive), result);
        QCOMPARE(prompts.texts(), QStringList{result == 0 ? kOk : kNgHead + list});
        // The value table follows a report of differences only, one row for each field the list
        // names, in its order, with both values.
        QCOMPARE(prompts.tables.size(), result);
        if (result == 1) {
            QString names;
            for (const QStringList &row : prompts.tables.first().rows) {
                QCOMPARE(row.size(), 4);
                QVERIFY(list.contains(row[0] + QStringLiteral(" - ")));
                names += row[1] + QLatin1Char(',');
                QCOMPARE(row[3].toInt(), row[2].toInt() + 1);  // Differing() adds one to the staged value
            }
            QString listed = list;
            listed.remove(QLatin1Char('\r')).remove(QRegularExpression(QStringLiteral("(^|\n)[^-\n]+ - ")));
            QCOMPARE(names, listed.remove(QLatin1Char('\n')));
        }
        QCOMPARE(prompts.shown.first().buttons, MsgButtons::Ok);
        QCOMPARE(prompts.shown.first().icon, MsgIcon::None);
        QCOMPARE(doc.outOfRange, list);
        QCOMPARE(doc.current, test::ExampleSet());
        QCOMPARE(doc.staged, staged);
    }

    // The range check and verification build their lists in one text; a report never repeats the
    // lines of the run before it.
    void sharedListStartsEmpty()
    {
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        doc.current = test::ExampleSet();
        doc.current.Acc2 = 12;
        QCOMPARE(CheckRanges(doc, true), 1);
        QVERIFY(doc.outOfRange.contains(QStringLiteral("ACC")));

        doc.staged = doc.current;
        QCOMPARE(VerifyReport(doc, true), 0);
        QCOMPARE(doc.outOfRange, QString());

        doc.staged.Vel1 += 1;
        QCOMPARE(VerifyReport(doc, true), 1);
        doc.staged.Vel1 -= 1;
        doc.staged.Sp1 += 1;
        QCOMPARE(VerifyReport(doc, true), 1);
        QCOMPARE(prompts.texts().size(), 4);
        QCOMPARE(prompts.texts().at(1), kOk);
        QCOMPARE(prompts.texts().at(3), kNgHead + QStringLiteral("\r\nSensor parameters - SP1,\r\n"));
    }

    void japanese()
    {
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        LangOffset = 0;
        doc.current = test::ExampleSet();
        doc.staged = Differing({Field::Vel1, Field::HomingVel});
        QCOMPARE(VerifyReport(doc, true), 1);
        doc.staged = doc.current;
        QCOMPARE(VerifyReport(doc, true), 0);
        QCOMPARE(prompts.texts(),
                 (QStringList{QStringLiteral("照合結果－ＮＧ\r\n\r\n<一致しなかったデータ>\r\n"
                                             "\r\n位置１ - 速度,\r\n原点復帰ﾊﾟﾗﾒｰﾀ - 原点復帰速度,\r\n"),
                              QStringLiteral("照合結果－ＯＫ")}));
    }

    // The screen just saved to a file verifies OK against that file, whatever its values.
    void savedFileVerifiesOk()
    {
        test::TestEnv env;
        ParameterDocument doc;
        test::ScriptedPrompts prompts;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("screen.kzd"));
        doc.current = test::ExampleSet();
        doc.current.Position1 = 16777215;
        doc.current.HomingPulse = -1;
        doc.current.RevDir = 1;
        QVERIFY(WriteDataFile(path, doc.current));
        doc.staged = ParameterSet();
        QCOMPARE(ReadDataFile(path, doc), 0);
        QCOMPARE(VerifyReport(doc, true), 0);
        QCOMPARE(prompts.texts(), QStringList{kOk});
    }
};

QTEST_MAIN(TestVerify)
#include "test_verify.moc"
