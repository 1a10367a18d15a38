// The three persisted settings: defaults, stored values and text that is not a number.

#include "core/paths.h"
#include "core/settings.h"
#include "link/port_settings.h"
#include "core/strings.h"
#include "link/port.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QFile>
#include <QSettings>
#include <QTest>

using namespace kz;


// The port choice these tests work on: the test link's.
PortChoice &Choice()
{
    return test::windowLink().link.portChoice();
}

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreGivesDefaults()
    {
        test::TestEnv env;
        Choice().number = 0;
        Choice().keepOpen = false;
        LoadPortNo(Choice());
        LoadLanguage();
        LoadPortOccupy(Choice());
        QCOMPARE(Choice().number, 1);
        QCOMPARE(LanguageSetting, 2);
        QCOMPARE(LangOffset, kEnglishOffset);
        QCOMPARE(Choice().keepOpen, true);
    }

    void language_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("offset");
        QTest::newRow("1 Japanese") << "1" << 0;
        QTest::newRow("0 English") << "0" << kEnglishOffset;
        QTest::newRow("2 English") << "2" << kEnglishOffset;
        QTest::newRow("3 English") << "3" << kEnglishOffset;
        QTest::newRow("garbage English") << "abc" << kEnglishOffset;
    }

    void language()
    {
        QFETCH(QString, stored);
        QFETCH(int, offset);
        test::TestEnv env;
        env.writeSetting(QStringLiteral("Language"), stored);
        LanguageSetting = 0;
        LoadLanguage();
        QCOMPARE(LangOffset, offset);
    }

    void portOccupy_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("occupy");
        QTest::newRow("0 off") << "0" << false;
        QTest::newRow("1 on") << "1" << true;
        QTest::newRow("7 on") << "7" << true;
        QTest::newRow("-1 on") << "-1" << true;
        QTest::newRow("garbage off") << "yes" << false;
    }

    void portOccupy()
    {
        QFETCH(QString, stored);
        QFETCH(bool, occupy);
        test::TestEnv env;
        env.writeSetting(QStringLiteral("PortOccupy"), stored);
        Choice().keepOpen = !occupy;
        LoadPortOccupy(Choice());
        QCOMPARE(Choice().keepOpen, occupy);
    }

    // Numbers written by hand read as every number the tool reads: rounded, ties to even. Text
    // that is no number at all keeps the value the tool had.
    void handWrittenNumbers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("portNo");
        QTest::newRow("3.6") << "3.6" << 4;
        QTest::newRow("2.5 ties to even") << "2.5" << 2;
        QTest::newRow("3.5 ties to even") << "3.5" << 4;
        QTest::newRow("blanks around") << "  7 " << 7;
        QTest::newRow("+5") << "+5" << 5;
        QTest::newRow("1e1") << "1e1" << 10;
        QTest::newRow(".6") << ".6" << 1;
        QTest::newRow("no number: kept") << "x3" << 99;
        QTest::newRow("empty: kept") << "" << 99;
        QTest::newRow("beyond 16 bits: kept") << "40000" << 99;
    }

    void handWrittenNumbers()
    {
        QFETCH(QString, stored);
        QFETCH(int, portNo);
        test::TestEnv env;
        env.writeSetting(QStringLiteral("PortNo"), stored);
        env.writeSetting(QStringLiteral("Language"), stored == QLatin1String("3.6") ? QStringLiteral("1.0") : stored);
        Choice().number = 99;
        LoadPortNo(Choice());
        QCOMPARE(Choice().number, portNo);
        // Exit writes back what was read, never 0 over a hand-written value.
        SavePortNo(Choice());
        Choice().number = 0;
        LoadPortNo(Choice());
        QCOMPARE(Choice().number, portNo);
        if (stored == QLatin1String("3.6")) {
            LoadLanguage();
            QCOMPARE(LangOffset, 0);  // "1.0" is Japanese
        }
    }

    void garbagePortNoKeepsTheOldValue()
    {
        test::TestEnv env;
        env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("abc"));
        Choice().number = 0;
        LoadPortNo(Choice());
        QCOMPARE(Choice().number, 0);
        Choice().number = 5;
        LoadPortNo(Choice());
        QCOMPARE(Choice().number, 5);
        // The first open reloads it, still fails to read a number, and the open fails.
        Choice().number = 0;
        QCOMPARE(test::windowLink().link.open(), 1);
        QCOMPARE(Choice().number, 0);
    }

    void savedAsDecimalTextInSectionSettings()
    {
        test::TestEnv env;
        Choice().number = 12;
        SavePortNo(Choice());
        Choice().keepOpen = false;
        SavePortOccupy(Choice());
        QFile file(SettingsFilePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QLatin1String("[Settings]")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("PortNo=12")), qPrintable(text));
        QVERIFY2(text.contains(QLatin1String("PortOccupy=0")), qPrintable(text));
        Choice().number = 0;
        Choice().keepOpen = true;
        LoadPortNo(Choice());
        LoadPortOccupy(Choice());
        QCOMPARE(Choice().number, 12);
        QCOMPARE(Choice().keepOpen, false);
    }

    void settingsFileFollowsXdgConfigHome()
    {
        SetConfigDirOverride(QString());
        const QByteArray old = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", "/tmp/kz-xdg-probe");
        QCOMPARE(SettingsFilePath(), QStringLiteral("/tmp/kz-xdg-probe/KZPC-Software/KZPC-Software.conf"));
        QCOMPARE(PortLinkDir(), QStringLiteral("/tmp/kz-xdg-probe/KZPC-Software/ports"));
        qputenv("XDG_CONFIG_HOME", old);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
