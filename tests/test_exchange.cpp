// The command exchange of the window's numbered port against an in-process port: reply checks,
// recovery, the messages the window shows for them, the wait's edge cases and the
// one-exchange-at-a-time rule.

#include "core/paths.h"
#include "core/strings.h"
#include "link/controller_session.h"
#include "link/exchange.h"
#include "link/port.h"
#include "support/fake_port.h"
#include "support/messages.h"
#include "support/scripted_prompts.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QDir>
#include <optional>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace kz;
using namespace kz::test;
using kz::test::Piece;

namespace {
const QByteArray kBlock02 = "0RD020000000000000000\r\n";  // 23 characters
}  // namespace

class TestExchange : public QObject {
    Q_OBJECT

private slots:
    void goodReplyIsKept()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.alarmLamp = true;
        port.queueReply(kBlock02);
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 0);
        QCOMPARE(port.frames, QStringList{QStringLiteral("0RD02")});
        QCOMPARE(port.lineSettings, QStringLiteral("9600,N,8,1"));
        QCOMPARE(w.link.reply(), QString::fromLatin1(kBlock02));
        QVERIFY(!w.failed());
        QVERIFY(port.isOpen());  // the caller closes it
        QVERIFY(!w.alarmLamp);
        QCOMPARE(w.errorComment, QStringLiteral("No Error"));
        QVERIFY(prompts.shown.isEmpty());
    }

    // What arrives, and how the exchange ends.
    void replies_data()
    {
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<int>("length");
        QTest::addColumn<QList<Piece>>("reply");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QString>("message");

        const QStringList rd{QStringLiteral("0RD02")};
        const QStringList rdRecover{QStringLiteral("0RD02"), QStringLiteral("0CM0")};
        QTest::newRow("pieces end only on CR LF")
            << "0RD" << 23
            << QList<Piece>{{"0RD0200000", 10}, {"00000000000\r", 10}, {"\n", 10}} << 0 << rd << QString();
        QTest::newRow("CR LF inside a piece followed by more: wait goes on, times out")
            << "0RD" << 23 << QList<Piece>{{kBlock02 + "XY", 0}} << 1 << rd << kTimeoutEn;
        QTest::newRow("trailing bytes then CR LF: length error")
            << "0RD" << 23 << QList<Piece>{{kBlock02 + "XY", 0}, {"\r\n", 20}} << 1 << rdRecover << kLengthEn;
        QTest::newRow("short reply: length error")
            << "0RD" << 23 << QList<Piece>{{"0RD02\r\n", 0}} << 1 << rdRecover << kLengthEn;
        QTest::newRow("wrong echo")
            << "0RD" << 23 << QList<Piece>{{"0RX020000000000000000\r\n", 0}} << 1 << rdRecover << kEchoEn;
        QTest::newRow("NUL and non-ASCII bytes")
            << "0RD" << 23 << QList<Piece>{{QByteArray("\x00\xff\x80garbage", 10) + "\r\n", 0}} << 1
            << rdRecover << kEchoEn;
        QTest::newRow("10 kB without CR LF")
            << "0RD" << 23 << QList<Piece>{{QByteArray(10240, 'Z'), 0}} << 1 << rd << kTimeoutEn;
        QTest::newRow("10 kB then CR LF")
            << "0RD" << 23 << QList<Piece>{{"0RD", 0}, {QByteArray(10240, '0'), 5}, {"\r\n", 5}} << 1
            << rdRecover << kLengthEn;
        QTest::newRow("silence") << "0RD" << 23 << QList<Piece>{} << 1 << rd << kTimeoutEn;
    }

    void replies()
    {
        QFETCH(QString, cmd);
        QFETCH(int, length);
        QFETCH(QList<Piece>, reply);
        QFETCH(int, result);
        QFETCH(QStringList, frames);
        QFETCH(QString, message);
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.timeoutMs = 300;
        port.queueReply(reply);
        port.queueReply("0CM0\r\n");  // answer to the recovery frame, if sent
        QCOMPARE(w.exchange(cmd, length, QStringLiteral("02")), result);
        QCOMPARE(port.frames, frames);
        QCOMPARE(prompts.texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(w.failed(), result == 1);
        if (result == 1)
            QCOMPARE(w.link.reply(), QString());
    }

    void timeoutClosesThePortEvenWhenOccupied()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.portChoice().keepOpen = true;
        w.link.timeoutMs = 100;
        bool openWhenShown = true;
        SetPrompts(&prompts);
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
        openWhenShown = port.isOpen();
        QCOMPARE(w.link.lastFailure(), LinkFailure::Timeout);
        QVERIFY(!openWhenShown);
        // The next exchange opens it again.
        port.queueReply("0RV140XYZ\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QCOMPARE(port.openedDevices.size(), 2);
    }

    void timerThatExpiredWinsOverACompleteReply()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.timeoutMs = 50;
        port.queueReply(QList<Piece>{{"0CM1\r\n", 200}});
        QCOMPARE(w.exchange(QStringLiteral("0CM"), 6, QStringLiteral("1")), 1);
        QCOMPARE(prompts.texts(), QStringList{kTimeoutEn});
    }

    void alarms_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("00") << QByteArray("0%%00\r\n") << "00" << "No Error";
        QTest::newRow("03") << QByteArray("0%%03\r\n") << "03" << "Communication command error";
        QTest::newRow("0B") << QByteArray("0%%0B\r\n") << "0B" << "Unable to detect the home sensor";
        QTest::newRow("0b lower case") << QByteArray("0%%0b\r\n") << "0b" << "";
        QTest::newRow("1F") << QByteArray("0%%1F\r\n") << "1F" << "";
        QTest::newRow("short") << QByteArray("0%%\r\n") << "\r\n" << "";
    }

    void alarms()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, code);
        QFETCH(QString, text);
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.portChoice().keepOpen = false;
        port.queueReply(reply);
        QCOMPARE(w.exchange(QStringLiteral("0MP"), 12, QStringLiteral("1")), 1);
        QCOMPARE(port.frames, QStringList{QStringLiteral("0MP1")});  // no recovery frame
        QCOMPARE(w.link.alarmCode(), code);
        QCOMPARE(w.link.alarmText(), text);
        QCOMPARE(w.alarmNo, code);
        QVERIFY(w.alarmLamp);
        QCOMPARE(w.errorComment, text);
        QCOMPARE(prompts.texts(),
                 QStringList{QStringLiteral("Communication error occurs!\r\n[") + text + QLatin1Char(']')});
        QVERIFY(!port.isOpen());  // port occupy off
        QVERIFY(w.failed());
    }

    void alarmKeepsOccupiedPortOpenAndSuccessLeavesTheCode()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        port.queueReply("0%%05\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QVERIFY(port.isOpen());
        port.queueReply(kBlock02);
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 0);
        QVERIFY(!w.alarmLamp);
        QCOMPARE(w.alarmNo, QStringLiteral("05"));
        QCOMPARE(w.errorComment, QStringLiteral("No Error"));
    }

    void recoveryAnsweredByAnAlarm()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        port.queueReply("0RD02\r\n");
        port.queueReply("0%%05\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QCOMPARE(port.frames, (QStringList{QStringLiteral("0RD02"), QStringLiteral("0CM0")}));
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("Communication error occurs!\r\n[EEPROM writing error]")});
        QCOMPARE(w.alarmNo, QStringLiteral("05"));
    }

    void japaneseMessages()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        LangOffset = 0;
        w.link.timeoutMs = 50;
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
        port.queueReply("0%%02\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
        port.queueReply("0RV\r\n");
        port.queueReply("0CM0\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
        QCOMPARE(prompts.texts(),
                 (QStringList{QStringLiteral("通信タイムアウトエラー！\r\n以下の項目を確認してください。\r\n"
                                             " １．コントローラーの電源が入っていますか？\r\n"
                                             " ２．通信ケーブルが接続されていますか？"),
                              QStringLiteral("エラーが発生しました！\r\n[通信データの数値不適当]"),
                              QStringLiteral("通信データ長エラー！\r\n通信データのデータ長に異常が検出されました")}));
    }

    void lateReplyIsNotTakenForTheNextOne()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.timeoutMs = 50;
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        port.inject(kBlock02);  // arrives after the time-out, before the next frame
        port.queueReply("0CM1\r\n");
        QCOMPARE(w.exchange(QStringLiteral("0CM"), 6, QStringLiteral("1")), 0);
        QCOMPARE(w.link.reply(), QStringLiteral("0CM1\r\n"));
    }

    void vanishedLineEndsTheWaitAndClosesThePort()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        // A time-out far longer than the test: only the lost line can end this wait.
        w.link.timeoutMs = 120000;
        QTimer::singleShot(30, &port, [&] { port.loseLine(); });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QVERIFY2(clock.elapsed() < w.link.timeoutMs / 2, "the wait ran into the time-out");
        w.link.timeoutMs = 5000;
        QVERIFY(!port.isOpen());
        // Said as a lost line, not as a controller that never answered.
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("The line to the controller was lost!\r\n"
                                                             "Check the cable, the USB adapter or the network connection.")});
    }

    void aSecondExchangeDuringTheWaitIsRefused()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        port.queueReply(QList<Piece>{{kBlock02, 100}});
        int nested = -1;
        bool inProgress = false;
        QTimer::singleShot(20, &port, [&] {
            inProgress = w.link.inProgress();
            nested = w.exchange(QStringLiteral("0RV"), 11, QString());
        });
        QCOMPARE(w.exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 0);
        QVERIFY(inProgress);
        QCOMPARE(nested, 1);
        QCOMPARE(port.frames, QStringList{QStringLiteral("0RD02")});
        QVERIFY(!w.link.inProgress());
    }

    void portThatCannotOpenFailsSilently()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        port.failOpen = true;
        QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
        QVERIFY(prompts.shown.isEmpty());
        QCOMPARE(w.link.lastFailure(), LinkFailure::PortNotOpened);
        QVERIFY(port.frames.isEmpty());
        ControllerSession session(w.link);
        std::optional<Outcome> reset;
        session.reset([&](const Outcome &o) { reset = o; });
        QTRY_VERIFY(reset.has_value());
        QCOMPARE(reset->kind, Outcome::Kind::PortFailure);
        QVERIFY(port.frames.isEmpty());
    }

    // A port that opens but takes no line settings is not left open: the next attempt must not
    // find it open and talk at the wrong speed.
    void portThatRefusesItsSettingsIsNotLeftOpen()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        port.failConfigure = true;
        for (int attempt = 0; attempt < 2; ++attempt) {
            QCOMPARE(w.exchange(QStringLiteral("0RV"), 11, QString()), 1);
            QVERIFY(!port.isOpen());
        }
        QVERIFY(port.frames.isEmpty());
        QCOMPARE(port.openedDevices.size(), 2);
    }

    void resetSendsModeThenResetAndWaitsForNothing()
    {
        test::TestEnv env;
        test::FakePort port;
        test::ScriptedPrompts prompts;
        test::WindowLink w;
        w.link.portChoice().keepOpen = false;
        ControllerSession session(w.link);
        const auto reset = [&] {
            std::optional<Outcome> outcome;
            session.reset([&](const Outcome &o) { outcome = o; });
            [&] { QTRY_VERIFY(outcome.has_value()); }();
            w.link.close();
            return outcome.value_or(Outcome{});
        };
        port.queueReply("0CM1\r\n");
        QVERIFY(reset().ok());
        QCOMPARE(port.frames, (QStringList{QStringLiteral("0CM1"), QStringLiteral("0CM3")}));
        QCOMPARE(w.link.timeoutMs, 1000);
        QVERIFY(!port.isOpen());
        // Communication mode refused: no reset frame.
        port.frames.clear();
        port.queueReply("0%%01\r\n");
        QCOMPARE(reset().kind, Outcome::Kind::Alarm);
        QCOMPARE(port.frames, QStringList{QStringLiteral("0CM1")});
        QVERIFY(!port.isOpen());
    }

    void portNumberOutOfRangeIsReloaded_data()
    {
        QTest::addColumn<int>("portNo");
        QTest::newRow("0") << 0;
        QTest::newRow("33") << 33;
    }

    void portNumberOutOfRangeIsReloaded()
    {
        QFETCH(int, portNo);
        test::TestEnv env;
        test::FakePort port;
        env.writeSetting(QStringLiteral("PortNo"), QStringLiteral("7"));
        test::WindowLink w;
        w.link.portChoice().number = portNo;
        QCOMPARE(w.link.open(), 0);
        QCOMPARE(w.link.portChoice().number, 7);
        QCOMPARE(port.openedDevices, QStringList{PortDevicePath(7)});
        // Already open: nothing applied again.
        port.lineSettings.clear();
        QCOMPARE(w.link.open(), 0);
        QCOMPARE(port.openedDevices.size(), 1);
        QCOMPARE(port.lineSettings, QString());
    }

    void occupyDecidesTheClose()
    {
        test::TestEnv env;
        test::FakePort port;
        test::WindowLink w;
        QCOMPARE(w.link.open(), 0);
        w.link.portChoice().keepOpen = true;
        w.link.close();
        QVERIFY(port.isOpen());
        w.link.portChoice().keepOpen = false;
        w.link.close();
        QVERIFY(!port.isOpen());
        QCOMPARE(TestOpenPort(3), 0);
        QCOMPARE(w.link.portChoice().number, 1);
        w.link.portChoice().keepOpen = true;
        ForceClosePort();
        QVERIFY(!port.isOpen());
    }

    void lineSettingsByBaudIndex()
    {
        QCOMPARE(LineSettingsText(0), QStringLiteral("9600,N,8,1"));
        QCOMPARE(LineSettingsText(1), QStringLiteral("19200,N,8,1"));
        QCOMPARE(LineSettingsText(2), QStringLiteral("38400,N,8,1"));
        QCOMPARE(LineSettingsText(7), QStringLiteral("9600,N,8,1"));
    }

    void portNamesOnLinux()
    {
        test::TestEnv env;
        QCOMPARE(PortDevicePath(1), QStringLiteral("/dev/ttyS0"));
        QCOMPARE(PortDevicePath(32), QStringLiteral("/dev/ttyS31"));
        QDir().mkpath(PortLinkDir());
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), PortLinkDir() + QStringLiteral("/COM4")));
        QCOMPARE(PortDevicePath(4), QStringLiteral("/dev/null"));
        // A link whose device is absent (unplugged adapter) is not replaced by /dev/ttyS4.
        QVERIFY(QFile::link(QStringLiteral("/dev/ttyUSB-absent"), PortLinkDir() + QStringLiteral("/COM5")));
        QCOMPARE(PortDevicePath(5), PortLinkDir() + QStringLiteral("/COM5"));
    }
};

QTEST_MAIN(TestExchange)
#include "test_exchange.moc"
