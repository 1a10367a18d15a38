// The parameter set: number reading, the blank check, taking the screen into a document's current
// copy, and the range check with its report.

#include "core/prompts.h"
#include "core/strings.h"
#include "params/check_chain.h"
#include "params/parameter_document.h"
#include "params/parameter_set.h"
#include "core/read_number.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"

#include <QTest>

#include <functional>
#include <optional>

using namespace kz;

using Member = qint32 ParameterSet::*;
Q_DECLARE_METATYPE(kz::ParameterSet)
Q_DECLARE_METATYPE(Member)

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

const QString kBlankMessage =
    QStringLiteral("There are some blank fields.\r\nEnter all fields and try it again.");
const QString kTakeInMessage = QStringLiteral(
    "The error occurred during acquisition of the setting value on the screen.\r\n"
    "Getting number was stopped.");
const QString kRangeHead = QStringLiteral(
    "The value of some item indicated below exceeds the allowance.\r\n"
    "Check the data, and try it again.\r\n");

// Every parameter control filled, each with a value no other field shares, so a control read into
// the wrong field shows.
ScreenTexts FilledScreen()
{
    ScreenTexts screen;
    screen.texts = {
        {"comboVEL1", "11"},       {"lblPosi1Acc", "2"},      {"lblPosi1Gensoku", "3"},
        {"txtPosi1Timer", "104"},  {"txtPosi1", "305"},       {"comboVEL2", "16"},
        {"lblPosi2Acc", "7"},      {"lblPosi2Gensoku", "8"},  {"txtPosi2Timer", "109"},
        {"txtPosi2", "310"},       {"txtLowKaijoCnt", "111"}, {"txtSentanCount", "112"},
        {"txtRestartDelay", "113"}, {"txtXXXCnt", "114"},     {"txtNoWorkCount", "115"},
        {"txtHensu1", "116"},      {"txtHensu2", "117"},      {"txtHomeSokudo", "9"},
        {"txtHomePosi", "520"},    {"txtOffsetSokudo", "12"}, {"txtOffsetPosi", "99"},
    };
    screen.revDirChecked = true;
    return screen;
}

// What FilledScreen() gives when taken in, every field in range.
ParameterSet ScreenSet()
{
    ParameterSet p;
    p.Vel1 = 11; p.Acc1 = 2; p.Dec1 = 3; p.PauseTime1 = 104; p.Position1 = 305;
    p.Vel2 = 16; p.Acc2 = 7; p.Dec2 = 8; p.PauseTime2 = 109; p.Position2 = 310;
    p.SeparateTimer = 111; p.SupplyCounter = 112; p.RestartDelay = 113; p.MidDetectCounter = 114;
    p.NoWorkCounter = 115; p.TipWorkOffTimer = 116; p.Sp1 = 117; p.RevDir = 1;
    p.HomingVel = 9; p.HomingPulse = 520; p.OffsetVel = 12; p.HomeOffset = 99;
    return p;
}

// Values no screen of these tests produces, to see which fields a take-in left alone.
ParameterSet Untouched()
{
    ParameterSet p;
    qint32 v = 1001;
    for (Member m : {&ParameterSet::Vel1, &ParameterSet::Acc1, &ParameterSet::Dec1,
                     &ParameterSet::PauseTime1, &ParameterSet::Position1, &ParameterSet::Vel2,
                     &ParameterSet::Acc2, &ParameterSet::Dec2, &ParameterSet::PauseTime2,
                     &ParameterSet::Position2, &ParameterSet::SeparateTimer,
                     &ParameterSet::SupplyCounter, &ParameterSet::RestartDelay,
                     &ParameterSet::MidDetectCounter, &ParameterSet::NoWorkCounter,
                     &ParameterSet::TipWorkOffTimer, &ParameterSet::Sp1, &ParameterSet::RevDir,
                     &ParameterSet::HomingVel, &ParameterSet::HomingPulse, &ParameterSet::OffsetVel,
                     &ParameterSet::HomeOffset})
        p.*m = v++;
    return p;
}

ParameterSet Changed(ParameterSet p, const std::function<void(ParameterSet &)> &change)
{
    change(p);
    return p;
}

ParameterSet ValidWith(const std::function<void(ParameterSet &)> &change)
{
    return Changed(ScreenSet(), change);
}

}  // namespace

class TestParams : public QObject {
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

    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("value");
        QTest::newRow("empty is 0") << "" << 16 << true << 0;
        QTest::newRow("blanks only") << "  \t " << 16 << true << 0;
        QTest::newRow("no number") << "abc" << 16 << true << 0;
        QTest::newRow("sign alone") << "-" << 16 << true << 0;
        QTest::newRow("sign then blank") << "- 5" << 16 << true << 0;
        QTest::newRow("leading blanks") << " \t 42" << 16 << true << 42;
        QTest::newRow("tail stops reading") << "7abc" << 16 << true << 7;
        QTest::newRow("comma stops") << "1,234" << 16 << true << 1;
        QTest::newRow("inner blank stops") << "12 34" << 16 << true << 12;
        QTest::newRow("minus after digits stops") << "3-4" << 16 << true << 3;
        QTest::newRow("second point stops") << "1.2.3" << 16 << true << 1;
        QTest::newRow("no hex prefix") << "0x1F" << 16 << true << 0;
        QTest::newRow("full-width digits are not digits") << QStringLiteral("１２") << 16 << true << 0;
        QTest::newRow("leading zeros") << "00012" << 16 << true << 12;
        QTest::newRow("plus sign") << "+8" << 16 << true << 8;
        QTest::newRow("tie 12.5 to even") << "12.5" << 16 << true << 12;
        QTest::newRow("tie 13.5 to even") << "13.5" << 16 << true << 14;
        QTest::newRow("tie 0.5 to even") << "0.5" << 16 << true << 0;
        QTest::newRow("tie .5 without integer digits") << ".5" << 16 << true << 0;
        QTest::newRow("tie with trailing zeros") << "2.500" << 16 << true << 2;
        QTest::newRow("just above tie") << "12.5000001" << 16 << true << 13;
        QTest::newRow("just below tie") << "2.4999999" << 16 << true << 2;
        QTest::newRow("small fraction") << "0.05" << 16 << true << 0;
        QTest::newRow("negative tie") << "-2.5" << 16 << true << -2;
        QTest::newRow("negative tie odd") << "-3.5" << 16 << true << -4;
        QTest::newRow("exponent") << "1.5e1" << 16 << true << 15;
        QTest::newRow("negative exponent to a tie") << "25E-1" << 16 << true << 2;
        QTest::newRow("e without digits stops") << "1e" << 16 << true << 1;
        QTest::newRow("e sign without digits stops") << "4e+x" << 16 << true << 4;
        QTest::newRow("tiny exponent") << "7e-400" << 32 << true << 0;
        QTest::newRow("huge exponent") << "1e400" << 32 << false << 0;
        QTest::newRow("16-bit max") << "32767" << 16 << true << 32767;
        QTest::newRow("16-bit over") << "32768" << 16 << false << 0;
        QTest::newRow("16-bit min") << "-32768" << 16 << true << -32768;
        QTest::newRow("16-bit under") << "-32769" << 16 << false << 0;
        QTest::newRow("rounds out of 16 bits") << "32767.5" << 16 << false << 0;
        QTest::newRow("tie stays inside 16 bits") << "32766.5" << 16 << true << 32766;
        QTest::newRow("32 bits holds 32768") << "32768" << 32 << true << 32768;
        QTest::newRow("32-bit max") << "2147483647" << 32 << true << 2147483647;
        QTest::newRow("32-bit over") << "2147483648" << 32 << false << 0;
        QTest::newRow("32-bit min") << "-2147483648" << 32 << true << int(-2147483648LL);
        QTest::newRow("many digits") << "99999999999999999999" << 32 << false << 0;
        QTest::newRow("many zeros first") << "000000000000000000007" << 32 << true << 7;
    }

    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(bool, fits);
        QFETCH(int, value);
        const std::optional<qint32> read = ReadNumber(text, width);
        QCOMPARE(read.has_value(), fits);
        if (fits)
            QCOMPARE(*read, value);
    }

    void blankCheck_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("alwaysRequired");
        for (const char *c : {"comboVEL1", "comboVEL2", "lblPosi1Acc", "lblPosi2Acc", "txtPosi1",
                              "txtPosi2", "lblPosi1Gensoku", "lblPosi2Gensoku", "txtPosi1Timer",
                              "txtPosi2Timer"})
            QTest::newRow(c) << QString::fromLatin1(c) << true;
        for (const char *c : {"txtHomeSokudo", "txtHomePosi", "txtOffsetSokudo", "txtOffsetPosi",
                              "txtSentanCount", "txtNoWorkCount", "txtRestartDelay",
                              "txtLowKaijoCnt", "txtXXXCnt", "txtHensu1", "txtHensu2"})
            QTest::newRow(c) << QString::fromLatin1(c) << false;
    }

    void blankCheck()
    {
        QFETCH(QString, control);
        QFETCH(bool, alwaysRequired);
        for (bool groupsActive : {true, false}) {
            ScreenTexts screen = FilledScreen();
            screen.texts[control] = QString();
            test::ScriptedPrompts prompts;
            const bool required = alwaysRequired || groupsActive;
            QCOMPARE(CheckNoBlankField(screen, groupsActive), required ? 1 : 0);
            QCOMPARE(prompts.texts(), required ? QStringList{kBlankMessage} : QStringList{});

            screen.texts[control] = QStringLiteral("  ");
            QCOMPARE(CheckNoBlankField(screen, groupsActive), 0);
            QCOMPARE(prompts.texts().size(), required ? 1 : 0);
        }
    }

    void blankCheckShowsOneMessageForManyBlanks()
    {
        test::ScriptedPrompts prompts;
        QCOMPARE(CheckNoBlankField(FilledScreen(), true), 0);
        QCOMPARE(CheckNoBlankField(ScreenTexts{}, true), 1);
        QCOMPARE(prompts.texts(), QStringList{kBlankMessage});
        QCOMPARE(prompts.shown.first().buttons, MsgButtons::Ok);
        QCOMPARE(prompts.shown.first().icon, MsgIcon::None);
    }

    void takeInReadsEveryControlIntoItsField()
    {
        test::ScriptedPrompts prompts;
        doc_.current = Untouched();
        QCOMPARE(TakeScreenValues(FilledScreen(), true, doc_.current), 0);
        QCOMPARE(doc_.current, ScreenSet());

        ScreenTexts unticked = FilledScreen();
        unticked.revDirChecked = false;
        QCOMPARE(TakeScreenValues(unticked, true, doc_.current), 0);
        QCOMPARE(doc_.current.RevDir, 0);
        QCOMPARE(prompts.texts(), QStringList{});
    }

    void takeInWithGroupsInactiveLeavesThemAlone()
    {
        test::ScriptedPrompts prompts;
        ScreenTexts screen = FilledScreen();
        // Texts that would fail the take-in, were they read.
        for (const char *c : {"txtHomePosi", "txtSentanCount", "txtHensu2"})
            screen.texts[QString::fromLatin1(c)] = QStringLiteral("99999999999");
        doc_.current = Untouched();

        QCOMPARE(TakeScreenValues(screen, false, doc_.current), 0);
        QCOMPARE(prompts.texts(), QStringList{});
        ParameterSet expected = Untouched();
        const ParameterSet taken = ScreenSet();
        for (Member m : {&ParameterSet::Vel1, &ParameterSet::Acc1, &ParameterSet::Dec1,
                         &ParameterSet::PauseTime1, &ParameterSet::Position1, &ParameterSet::Vel2,
                         &ParameterSet::Acc2, &ParameterSet::Dec2, &ParameterSet::PauseTime2,
                         &ParameterSet::Position2})
            expected.*m = taken.*m;
        QCOMPARE(doc_.current, expected);
    }

    void takeInConvertsTexts_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<ParameterSet>("expected");
        QTest::newRow("tie down to even") << "comboVEL1" << "12.5"
                                          << ValidWith([](auto &p) { p.Vel1 = 12; });
        QTest::newRow("tie up to even") << "comboVEL2" << "13.5"
                                        << ValidWith([](auto &p) { p.Vel2 = 14; });
        QTest::newRow("pasted tail ignored") << "txtPosi1" << "7abc"
                                             << ValidWith([](auto &p) { p.Position1 = 7; });
        QTest::newRow("spaces read as 0") << "txtPosi2Timer" << "   "
                                          << ValidWith([](auto &p) { p.PauseTime2 = 0; });
        QTest::newRow("Position1 holds 32 bits") << "txtPosi1" << "16777215"
                                                 << ValidWith([](auto &p) { p.Position1 = 16777215; });
        QTest::newRow("Position2 holds 32 bits") << "txtPosi2" << "40000"
                                                 << ValidWith([](auto &p) { p.Position2 = 40000; });
        QTest::newRow("HomingPulse holds 32 bits") << "txtHomePosi" << "40000"
                                                   << ValidWith([](auto &p) { p.HomingPulse = 40000; });
        QTest::newRow("HomeOffset holds 32 bits") << "txtOffsetPosi" << "-40000"
                                                  << ValidWith([](auto &p) { p.HomeOffset = -40000; });
        QTest::newRow("16-bit field at its minimum") << "txtHensu2" << "-32768"
                                                     << ValidWith([](auto &p) { p.Sp1 = -32768; });
    }

    void takeInConvertsTexts()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(ParameterSet, expected);
        test::ScriptedPrompts prompts;
        ScreenTexts screen = FilledScreen();
        screen.texts[control] = text;
        QCOMPARE(TakeScreenValues(screen, true, doc_.current), 0);
        QCOMPARE(doc_.current, expected);
        QCOMPARE(prompts.texts(), QStringList{});
    }

    void takeInStopsAtTheFirstFailure_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<ParameterSet>("expected");
        const ParameterSet in = ScreenSet();
        QTest::newRow("second field, 16 bits") << "comboVEL2" << "32768"
            << Changed(Untouched(), [&](auto &p) { p.Vel1 = in.Vel1; });
        QTest::newRow("rounding leaves 16 bits") << "txtPosi1Timer" << "32767.5"
            << Changed(Untouched(), [&](auto &p) {
                   p.Vel1 = in.Vel1; p.Vel2 = in.Vel2; p.Acc1 = in.Acc1; p.Acc2 = in.Acc2;
                   p.Dec1 = in.Dec1; p.Dec2 = in.Dec2; p.Position1 = in.Position1;
                   p.Position2 = in.Position2;
               });
        QTest::newRow("homing field, 32 bits") << "txtHomePosi" << "2147483648"
            << Changed(in, [](auto &p) {
                   const ParameterSet old = Untouched();
                   p.HomingPulse = old.HomingPulse; p.OffsetVel = old.OffsetVel;
                   p.HomeOffset = old.HomeOffset; p.SupplyCounter = old.SupplyCounter;
                   p.NoWorkCounter = old.NoWorkCounter; p.RestartDelay = old.RestartDelay;
                   p.SeparateTimer = old.SeparateTimer; p.MidDetectCounter = old.MidDetectCounter;
                   p.TipWorkOffTimer = old.TipWorkOffTimer; p.Sp1 = old.Sp1; p.RevDir = old.RevDir;
               });
        QTest::newRow("last text field") << "txtHensu2" << "-40000"
            << Changed(in, [](auto &p) {
                   const ParameterSet old = Untouched();
                   p.Sp1 = old.Sp1; p.RevDir = old.RevDir;
               });
    }

    void takeInStopsAtTheFirstFailure()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(ParameterSet, expected);
        test::ScriptedPrompts prompts;
        ScreenTexts screen = FilledScreen();
        screen.texts[control] = text;
        doc_.current = Untouched();
        QCOMPARE(TakeScreenValues(screen, true, doc_.current), 1);
        QCOMPARE(prompts.texts(), QStringList{kTakeInMessage});
        QCOMPARE(doc_.current, expected);
    }

    // Each field just inside and just outside its accepted range, with the report it gives.
    void rangeBounds_data()
    {
        QTest::addColumn<Member>("field");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("list");
        auto row = [](const char *name, Member m, int min, int max, const char *list) {
            QTest::newRow(name) << m << min << max << QString::fromLatin1(list);
        };
        using P = ParameterSet;
        row("Vel1", &P::Vel1, 1, 30, "Position 1 - VEL,\r\n");
        row("Acc1", &P::Acc1, 1, 9, "Position 1 - ACC,\r\n");
        row("Dec1", &P::Dec1, 1, 9, "Position 1 - DEC,\r\n");
        row("PauseTime1", &P::PauseTime1, 0, 255, "Position 1 - Pausing time,\r\n");
        row("Position1", &P::Position1, 0, 16777215, "Position 1 - Position(pulse),\r\n");
        row("Vel2", &P::Vel2, 1, 30, "Position 2 - VEL,\r\n");
        row("Acc2", &P::Acc2, 1, 9, "Position 2 - ACC,\r\n");
        row("Dec2", &P::Dec2, 1, 9, "Position 2 - DEC,\r\n");
        row("PauseTime2", &P::PauseTime2, 0, 255, "Position 2 - Pausing time,\r\n");
        row("Position2", &P::Position2, 0, 16777215, "Position 2 - Position(pulse),\r\n");
        row("SeparateTimer", &P::SeparateTimer, 1, 255, "\r\nSensor parameters - Separate timer,\r\n");
        row("SupplyCounter", &P::SupplyCounter, 1, 255, "\r\nSensor parameters - Supply counter,\r\n");
        row("RestartDelay", &P::RestartDelay, 1, 255, "\r\nSensor parameters - Restart Delay,\r\n");
        row("MidDetectCounter", &P::MidDetectCounter, 1, 255,
            "\r\nSensor parameters - Mid Detect counter,\r\n");
        row("NoWorkCounter", &P::NoWorkCounter, 1, 255, "\r\nSensor parameters - No work counter,\r\n");
        row("TipWorkOffTimer", &P::TipWorkOffTimer, 1, 255,
            "\r\nSensor parameters - Tip work off timer,\r\n");
        row("Sp1", &P::Sp1, 0, 255, "\r\nSensor parameters - SP1,\r\n");
        row("RevDir", &P::RevDir, 0, 1,
            "\r\nSensor parameters - The direction of rotation reversed,\r\n");
        row("HomingVel", &P::HomingVel, 1, 16, "\r\nHoming parameters - Homing VEL,\r\n");
        row("HomingPulse", &P::HomingPulse, 1, 600, "\r\nHoming parameters - Homing Pulse,\r\n");
        row("OffsetVel", &P::OffsetVel, 1, 16, "\r\nHoming parameters - Offset Moving VEL,\r\n");
        row("HomeOffset", &P::HomeOffset, 1, 600, "\r\nHoming parameters - Home Position Offset,\r\n");
    }

    void rangeBounds()
    {
        QFETCH(Member, field);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(QString, list);
        test::ScriptedPrompts prompts;
        for (int value : {min, max}) {
            doc_.current = ScreenSet();
            doc_.current.*field = value;
            QCOMPARE(CheckRanges(doc_, true), 0);
        }
        QCOMPARE(prompts.texts(), QStringList{});
        for (int value : {min - 1, max + 1}) {
            doc_.current = ScreenSet();
            doc_.current.*field = value;
            QCOMPARE(CheckRanges(doc_, true), 1);
            QCOMPARE(prompts.texts().last(), kRangeHead + list);
            QCOMPARE(doc_.outOfRange, list);
        }
        QCOMPARE(prompts.texts().size(), 2);
    }

    void rangeReport_data()
    {
        QTest::addColumn<bool>("groupsActive");
        QTest::addColumn<ParameterSet>("params");
        QTest::addColumn<QString>("list");  // empty: passes
        QTest::newRow("worked example") << true
            << ValidWith([](auto &p) { p.Acc2 = 12; p.HomingPulse = 700; })
            << "\r\nPosition 2 - ACC,\r\nHoming parameters - Homing Pulse,\r\n";
        QTest::newRow("sensor alone opens with an empty line") << true
            << ValidWith([](auto &p) { p.SeparateTimer = 0; p.Sp1 = 0; })
            << "\r\nSensor parameters - Separate timer,\r\n";
        QTest::newRow("two of one group on one line") << true
            << ValidWith([](auto &p) { p.Vel1 = 0; p.Position1 = 16777216; })
            << "Position 1 - VEL,Position(pulse),\r\n";
        QTest::newRow("sensor line in check order") << true
            << ValidWith([](auto &p) { p.NoWorkCounter = 0; p.SupplyCounter = 256; p.RevDir = -1; })
            << "\r\nSensor parameters - Supply counter,No work counter,"
               "The direction of rotation reversed,\r\n";
        QTest::newRow("homing line in check order") << true
            << ValidWith([](auto &p) { p.HomeOffset = 601; p.HomingVel = 0; })
            << "\r\nHoming parameters - Homing VEL,Home Position Offset,\r\n";
        QTest::newRow("every group") << true
            << ValidWith([](auto &p) { p.Vel1 = 31; p.Dec2 = 0; p.HomingVel = 17; p.Sp1 = 256; })
            << "\r\n\r\nPosition 1 - VEL,\r\nPosition 2 - DEC,\r\nSensor parameters - SP1,\r\n"
               "Homing parameters - Homing VEL,\r\n";
        QTest::newRow("positions beyond what typing allows") << true
            << ValidWith([](auto &p) { p.Position1 = 401; p.Position2 = 16777215; })
            << "";
        QTest::newRow("groups inactive ignore sensor and homing") << false
            << ValidWith([](auto &p) { p.SeparateTimer = 0; p.HomingPulse = 700; p.RevDir = 5; })
            << "";
        QTest::newRow("groups inactive still check positions") << false
            << ValidWith([](auto &p) { p.SeparateTimer = 0; p.HomingPulse = 700; p.Vel2 = 31; })
            << "Position 2 - VEL,\r\n";
    }

    void rangeReport()
    {
        QFETCH(bool, groupsActive);
        QFETCH(ParameterSet, params);
        QFETCH(QString, list);
        test::ScriptedPrompts prompts;
        doc_.current = params;
        QCOMPARE(CheckRanges(doc_, groupsActive), list.isEmpty() ? 0 : 1);
        QCOMPARE(prompts.texts(), list.isEmpty() ? QStringList{} : QStringList{kRangeHead + list});
        QCOMPARE(doc_.outOfRange, list);
        QCOMPARE(doc_.current, params);
    }

    void rangeCheckListsOnlyCurrentFailures()
    {
        test::ScriptedPrompts prompts;
        doc_.outOfRange = QStringLiteral("Position 1 - left from a verification\r\n");
        doc_.current = ValidWith([](auto &p) { p.Vel1 = 0; });
        QCOMPARE(CheckRanges(doc_, true), 1);
        doc_.current = ValidWith([](auto &p) { p.Acc1 = 0; });
        QCOMPARE(CheckRanges(doc_, true), 1);
        doc_.current = ScreenSet();
        QCOMPARE(CheckRanges(doc_, true), 0);
        QCOMPARE(prompts.texts(), (QStringList{kRangeHead + "Position 1 - VEL,\r\n",
                                               kRangeHead + "Position 1 - ACC,\r\n"}));
        QCOMPARE(doc_.outOfRange, QString());
    }

    void rangeReportInJapanese()
    {
        LangOffset = 0;
        test::ScriptedPrompts prompts;
        doc_.current = ValidWith([](auto &p) { p.Acc2 = 12; p.HomingPulse = 700; });
        QCOMPARE(CheckRanges(doc_, true), 1);
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("以下に示す設定の数値が有効範囲にありません。\r\n"
                                            "数値を確認し、再度実行してください。\r\n"
                                            "\r\n位置２ - 加速,\r\n原点復帰ﾊﾟﾗﾒｰﾀ - 原点復帰ﾊﾟﾙｽ,\r\n")});
    }
};

QTEST_MAIN(TestParams)
#include "test_params.moc"
