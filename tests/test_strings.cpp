// The string table, the language offset, caption loading and Qt's own translations.

#include "core/captions.h"
#include "core/language.h"
#include "core/strings.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>

using namespace kz;

namespace {

QSet<int> Range(int from, int to)
{
    QSet<int> ids;
    for (int i = from; i <= to; ++i)
        ids.insert(i);
    return ids;
}

QSet<int> ExpectedIds()
{
    const QList<QPair<int, int>> japanese = {
        {1, 49}, {51, 75}, {77, 91}, {101, 113}, {121, 124}, {131, 133}, {141, 141}, {150, 153},
        {201, 249}, {260, 280}, {401, 401}, {403, 405}, {411, 422}, {425, 436}, {440, 450},
        {460, 464}, {1100, 1103}, {1105, 1109}, {2527, 2528}};
    const QList<QPair<int, int>> english = {
        {10001, 10049}, {10051, 10091}, {10101, 10113}, {10121, 10124}, {10131, 10133},
        {10141, 10141}, {10150, 10153}, {10201, 10249}, {10260, 10282}, {10285, 10288},
        {10290, 10292}, {10401, 10401}, {10403, 10405}, {10411, 10422}, {10425, 10436},
        {10440, 10450}, {10460, 10464}, {11100, 11103}, {11105, 11109}, {12527, 12528},
        {12541, 12542}};
    QSet<int> ids;
    for (const auto &r : japanese + english)
        ids += Range(r.first, r.second);
    ids += QSet<int>{21025, 21211, 21315, 21317};
    return ids;
}

QLabel *Label(QWidget *parent, const QString &name, const QString &text, const QString &tag,
              const QString &tip = {})
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setProperty("tag", tag);
    label->setToolTip(tip);
    return label;
}

}  // namespace

class TestStrings : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { LangOffset = kEnglishOffset; }

    void tableHoldsExactlyTheKnownIds()
    {
        QSet<int> expected = ExpectedIds();
        QCOMPARE(expected.size(), 494);
        expected += QSet<int>{3000, 13000, 3001, 13001, 3002, 13002, 3003, 13003, 3004, 13004, 3005, 13005, 3006, 13006, 3007, 13007, 3008, 13008, 3009, 13009, 3010, 13010};  // texts added beyond the original table
        for (int id : {3100, 3101, 3102, 3103, 3104, 3105, 3106, 3107, 3108, 3109, 3110, 3111, 3112, 3113, 3114,
                       3120, 3121, 3122, 3123, 3124, 3125, 3126, 3127, 3128, 3129, 3130, 3131, 3132, 3133, 3134})
            expected += QSet<int>{id, id + kEnglishOffset};  // port reasons, the serial device list
        // Printing failures, the report's PDF, the command line.
        for (int id : {3150, 3151, 3152, 3153, 3154, 3155, 3156, 3157, 3160, 3161, 3162})
            expected += QSet<int>{id, id + kEnglishOffset};
        // The communication log, the values of a verification, the I/O history.
        for (int id : {3200, 3201, 3202, 3203, 3204, 3205, 3206, 3207, 3208, 3209, 3210, 3211, 3212, 3213, 3214, 3215, 3216, 3217, 3218, 3219, 3220, 3230, 3231, 3232, 3233, 3234, 3235, 3236, 3237, 3250, 3251, 3252, 3253, 3254, 3255, 3256, 3257, 3258, 3259, 3260, 3261, 3262, 3263, 3264})
            expected += QSet<int>{id, id + kEnglishOffset};
        for (int id : {3300, 3301, 3302, 3303, 3304, 3305, 3306, 3307, 3308, 3309, 3310, 3311, 3312, 3313, 3314,
                       3315, 3316, 3317, 3319})
            expected += QSet<int>{id, id + kEnglishOffset};  // links by address, kzpc-cli
        // The lost line, the recovery frame's answer, what a write did and did not do.
        for (int id = 3320; id <= 3331; ++id)
            expected += QSet<int>{id, id + kEnglishOffset};
        for (int id : {3400, 3401, 3402})
            expected += QSet<int>{id, id + kEnglishOffset};  // a log file that stopped, blanks that take no input
        QSet<int> present;
        for (int id = 0; id < 30000; ++id) {
            if (auto text = LookupString(id)) {
                present.insert(id);
                QVERIFY2(!text->isEmpty(), qPrintable(QString::number(id)));
            }
        }
        QCOMPARE(present - expected, QSet<int>());
        QCOMPARE(expected - present, QSet<int>());
        QCOMPARE(StringCount(), expected.size());
    }

    void texts_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("text");
        QTest::newRow("mode select ja") << 1 << QStringLiteral("モード選択");
        QTest::newRow("write button en, its spaces") << 10025 << QStringLiteral("  Write to  C/T");
        QTest::newRow("full-width leading space") << 22 << QStringLiteral("　ファイル　読み込み");
        QTest::newRow("half-width kana") << 36 << QStringLiteral("ｾﾝｻﾊﾟﾗﾒｰﾀ");
        QTest::newRow("76 English only") << 10076 << QStringLiteral("SP1(unused)");
        QTest::newRow("inner quotes") << 10229 << QStringLiteral("Changed to \"External Start Mode\".");
        QTest::newRow("trailing space kept") << 10430 << QStringLiteral("RS-232C PORT : ");
        QTest::newRow("typo kept") << 10108 << QStringLiteral("Verfy Data");
        QTest::newRow("filter with full-width KZ") << 10226 << QStringLiteral("ＫＺ data file(*.kzd)|*.kzd|");
        QTest::newRow("leading space line") << 1102 << QStringLiteral(" １．コントローラーの電源が入っていますか？");
        QTest::newRow("alarm 0B ja") << 271 << QStringLiteral("原点ＬＳ未検出");
        QTest::newRow("two spaces") << 10449 << QStringLiteral("KZ PC-Software  Communication now...");
        QTest::newRow("no twin") << 21315 << QStringLiteral("The rotation direction reversed.");
        QTest::newRow("font ja") << 224 << QStringLiteral("ＭＳ 明朝");
    }

    void texts()
    {
        QFETCH(int, id);
        QFETCH(QString, text);
        QCOMPARE(LookupString(id).value_or(QStringLiteral("<missing>")), text);
    }

    void offsetSelectsLanguageAndMissingIdIsVisible()
    {
        LangOffset = 0;
        QCOMPARE(Str(24), QStringLiteral("コントローラ読み込み"));
        QCOMPARE(LookupString(76 + LangOffset), std::nullopt);
        LangOffset = kEnglishOffset;
        QCOMPARE(Str(24), QStringLiteral("Read from C/T"));
        QCOMPARE(StrLines({1105, 1106}),
                 QStringLiteral("Communication data length error occurs!\r\nLength of data is wrong."));
        QCOMPARE(LookupString(410 + LangOffset), std::nullopt);
    }

    void captions_data()
    {
        QTest::addColumn<int>("offset");
        QTest::newRow("English") << kEnglishOffset;
        QTest::newRow("Japanese") << 0;
    }

    void captions()
    {
        QFETCH(int, offset);
        LangOffset = offset;
        const bool en = offset == kEnglishOffset;

        QMainWindow window;
        window.setProperty("tag", QStringLiteral("425"));
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        auto *fileName = Label(central, "lblFileName", "x", "14");
        auto *untagged = Label(central, "lblAlarmNo", "designed", "");
        auto *notNumber = Label(central, "lblOdd", "designed", "abc");
        auto *missing = Label(central, "lblMissing", "designed", "9999", "9998");
        auto *hensu2 = Label(central, "lblHensu2", "x", "43", "76");
        auto *button = new QPushButton(QStringLiteral("x"), central);
        button->setProperty("tag", QStringLiteral("24"));
        button->setToolTip(QStringLiteral("61"));
        auto *plainButton = new QPushButton(QStringLiteral("keep"), central);
        plainButton->setProperty("tag", QStringLiteral("0"));
        plainButton->setToolTip(QStringLiteral("hello"));
        auto *group = new QGroupBox(QStringLiteral("x"), central);
        group->setProperty("tag", QStringLiteral("28"));
        QMenu *file = window.menuBar()->addMenu(QStringLiteral("101"));
        QAction *open = file->addAction(QStringLiteral("103"));
        QAction *named = file->addAction(QStringLiteral("Not a number"));

        LoadFormCaptions(&window);

        QCOMPARE(window.windowTitle(), en ? QStringLiteral("Options") : QStringLiteral("ｵﾌﾟｼｮﾝ"));
        QCOMPARE(fileName->text(), en ? QStringLiteral("File Name") : QStringLiteral("ファイル名"));
        QCOMPARE(untagged->text(), QStringLiteral("designed"));
        QCOMPARE(notNumber->text(), QStringLiteral("designed"));
        QCOMPARE(missing->text(), QStringLiteral("designed"));
        QCOMPARE(missing->toolTip(), QStringLiteral("9998"));
        QCOMPARE(hensu2->text(), QStringLiteral("SP1"));
        QCOMPARE(hensu2->toolTip(), en ? QStringLiteral("SP1(unused)") : QStringLiteral("76"));
        QCOMPARE(button->text(), en ? QStringLiteral("Read from C/T") : QStringLiteral("コントローラ読み込み"));
        QCOMPARE(button->toolTip(), en ? QStringLiteral("Read data from the controller.")
                                       : QStringLiteral("ｺﾝﾄﾛｰﾗｰからﾃﾞｰﾀを読み込みます"));
        QCOMPARE(plainButton->text(), QStringLiteral("keep"));
        QCOMPARE(plainButton->toolTip(), QStringLiteral("hello"));
        QCOMPARE(group->title(), en ? QStringLiteral("Moving Settings") : QStringLiteral("動作設定"));
        QCOMPARE(file->title(), en ? QStringLiteral("File(&F)") : QStringLiteral("ファイル(&F)"));
        QCOMPARE(open->text(), en ? QStringLiteral("Open(&O)") : QStringLiteral("開く(&O)"));
        QCOMPARE(named->text(), QStringLiteral("Not a number"));
    }

    void windowTagOfMissingIdEmptiesTheCaption()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("designed"));
        window.setProperty("tag", QStringLiteral("410"));
        LoadFormCaptions(&window);
        QCOMPARE(window.windowTitle(), QString());

        QWidget untagged;
        untagged.setWindowTitle(QStringLiteral("designed"));
        LoadFormCaptions(&untagged);
        QCOMPARE(untagged.windowTitle(), QStringLiteral("designed"));
    }

    void japaneseInstallsQtTranslations()
    {
        LangOffset = kEnglishOffset;
        QVERIFY(!InstallQtTranslator());
        LangOffset = 0;
        QVERIFY(InstallQtTranslator());
        QCOMPARE_NE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("found");
        QTest::newRow("plain") << "425" << 425 << true;
        QTest::newRow("blanks and tail") << "  76abc" << 76 << true;
        QTest::newRow("negative") << "-3" << -3 << true;
        QTest::newRow("none") << "abc" << 0 << false;
        QTest::newRow("empty") << "" << 0 << false;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(bool, found);
        bool any = !found;
        QCOMPARE(LeadingNumber(text, &any), value);
        QCOMPARE(any, found);
    }
};

QTEST_MAIN(TestStrings)
#include "test_strings.moc"
