// The link end to end: the real QSerialPort on a kz-sim pseudo-terminal, with the simulator's
// frame log telling what went on the line.

#include "core/strings.h"
#include "link/alarm.h"
#include "link/comm_port.h"
#include "link/controller_session.h"
#include "link/exchange.h"
#include "link/port.h"
#include "support/messages.h"
#include "support/scripted_prompts.h"
#include "support/sim_runner.h"
#include "support/test_env.h"
#include "support/window_link.h"

#include <QElapsedTimer>
#include <QTest>
#include <optional>

using namespace kz;
using namespace kz::test;

class TestLinkE2E : public QObject {
    Q_OBJECT

private slots:
    void exchanges_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QString>("cmd");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("arg");
        QTest::addColumn<int>("result");
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("messages");

        const QStringList none;
        QTest::newRow("read block") << none << "0RD" << 23 << "02" << 0 << QStringList{"0RD02"} << none;
        QTest::newRow("version") << none << "0RV" << 11 << "" << 0 << QStringList{"0RV"} << none;
        QTest::newRow("no reply") << QStringList{"--fault", "0RD05:noreply"} << "0RD" << 23 << "05" << 1
                                  << QStringList{"0RD05"} << QStringList{kTimeoutEn};
        QTest::newRow("alarm 03") << QStringList{"--fault", "0RD02:alarm=03"} << "0RD" << 23 << "02" << 1
                                  << QStringList{"0RD02"}
                                  << QStringList{"Communication error occurs!\r\n[Communication command error]"};
        QTest::newRow("alarm 0b") << QStringList{"--fault", "0RV:alarm=0b"} << "0RV" << 11 << "" << 1
                                  << QStringList{"0RV"} << QStringList{"Communication error occurs!\r\n[]"};
        QTest::newRow("alarm 1F") << QStringList{"--fault", "0MP:alarm=1F"} << "0MP" << 12 << "1" << 1
                                  << QStringList{"0MP1"} << QStringList{"Communication error occurs!\r\n[]"};
        QTest::newRow("wrong echo") << QStringList{"--fault", "0RV:echo"} << "0RV" << 11 << "" << 1
                                    << QStringList{"0RV", "0CM0"} << QStringList{kEchoEn};
        QTest::newRow("wrong length") << QStringList{"--fault", "0RD02:length"} << "0RD" << 23 << "02" << 1
                                      << QStringList{"0RD02", "0CM0"} << QStringList{kLengthEn};
        QTest::newRow("recovery answered by an alarm")
            << QStringList{"--fault", "0RD02:length", "--fault", "0CM0:alarm=05"} << "0RD" << 23 << "02" << 1
            << QStringList{"0RD02", "0CM0"} << QStringList{"Communication error occurs!\r\n[EEPROM writing error]"};
        QTest::newRow("reply in pieces") << QStringList{"--fault", "0RD02:pieces=4/40"} << "0RD" << 23 << "02"
                                         << 0 << QStringList{"0RD02"} << none;
        QTest::newRow("garbage with NUL and 8-bit bytes")
            << QStringList{"--fault", "0RV:garbage=32"} << "0RV" << 11 << "" << 1 << QStringList{"0RV", "0CM0"}
            << QStringList{kEchoEn};
        QTest::newRow("10 kB without CR LF") << QStringList{"--fault", "0RV:flood=10240"} << "0RV" << 11 << ""
                                             << 1 << QStringList{"0RV"} << QStringList{kTimeoutEn};
        QTest::newRow("reply to communication mode as version")
            << QStringList{"--fault", "0RV:echo"} << "0CM" << 6 << "1" << 0 << QStringList{"0CM1"} << none;
    }

    void exchanges()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QString, cmd);
        QFETCH(int, length);
        QFETCH(QString, arg);
        QFETCH(int, result);
        QFETCH(QStringList, frames);
        QFETCH(QStringList, messages);
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim(simArgs);
        QVERIFY2(sim.ready(), qPrintable(sim.output()));
        test::windowLink().link.timeoutMs = 700;
        QCOMPARE(test::windowLink().exchange(cmd, length, arg), result);
        QCOMPARE(sim.waitForFrames(int(frames.size())), frames);
        QCOMPARE(prompts.texts(), messages);
        QCOMPARE(test::windowLink().failed(), result == 1);
        if (result == 0)
            QCOMPARE(test::windowLink().link.reply().size(), length);
        else
            QVERIFY(test::windowLink().link.reply().isEmpty());
    }

    void timeoutClosesAnOccupiedPortAndTheNextExchangeReopens()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD05#1:noreply")});
        QVERIFY(sim.ready());
        test::windowLink().link.portChoice().keepOpen = true;
        test::windowLink().link.timeoutMs = 300;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("05")), 1);
        QVERIFY(!Port().isOpen());
        test::windowLink().link.timeoutMs = 5000;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("05")), 0);
        QVERIFY(Port().isOpen());
        QCOMPARE(sim.waitForFrames(2), (QStringList{QStringLiteral("0RD05"), QStringLiteral("0RD05")}));
    }

    void lateReplyIsNotTakenForTheNextCommand()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD02:late=400")});
        QVERIFY(sim.ready());
        test::windowLink().link.timeoutMs = 200;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QTest::qWait(400);  // the late reply lands in the port's buffer
        test::windowLink().link.timeoutMs = 5000;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QVERIFY2(test::windowLink().link.reply().startsWith(QLatin1String("0RV")), qPrintable(test::windowLink().link.reply()));
    }

    void trailingBytesDoNotSpillIntoTheNextReply()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD02:trailing=XY")});
        QVERIFY(sim.ready());
        test::windowLink().link.timeoutMs = 300;
        // Whether the extra bytes arrive with the reply (time-out) or just after it (the reply
        // stands), they never reach the next exchange.
        test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02"));
        test::windowLink().link.timeoutMs = 5000;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 0);
        QCOMPARE(test::windowLink().link.reply().left(3), QStringLiteral("0RV"));
        QCOMPARE(test::windowLink().link.reply().size(), 11);
    }

    void hangUpMidReplyClosesThePortAndTheNextOperationReopens()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RD02#1:hangup")});
        QVERIFY(sim.ready());
        // A time-out far longer than the test: only the vanished line can end this wait.
        test::windowLink().link.timeoutMs = 120000;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 1);
        QVERIFY2(clock.elapsed() < test::windowLink().link.timeoutMs / 2, "a vanished line must not wait for the whole time-out");
        test::windowLink().link.timeoutMs = 5000;
        QVERIFY(!Port().isOpen());
        // Said as a lost line, not as a silent controller.
        QCOMPARE(prompts.texts(), QStringList{kLineLostEn});
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RD"), 23, QStringLiteral("02")), 0);
    }

    void resetFramesAndPortOccupyOff()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim;
        QVERIFY(sim.ready());
        test::windowLink().link.portChoice().keepOpen = false;
        ControllerSession session(test::windowLink().link);
        std::optional<Outcome> reset;
        session.reset([&](const Outcome &o) {
            reset = o;
            test::windowLink().link.close();
        });
        QTRY_VERIFY(reset.has_value());
        QVERIFY(reset->ok());
        QCOMPARE(sim.waitForFrames(2), (QStringList{QStringLiteral("0CM1"), QStringLiteral("0CM3")}));
        QVERIFY(!Port().isOpen());
        QVERIFY(prompts.shown.isEmpty());
    }

    void japaneseAlarmMessage()
    {
        test::TestEnv env;
        test::ScriptedPrompts prompts;
        test::SimRunner sim({QStringLiteral("--fault"), QStringLiteral("0RV:alarm=0B")});
        QVERIFY(sim.ready());
        LangOffset = 0;
        QCOMPARE(test::windowLink().exchange(QStringLiteral("0RV"), 11, QString()), 1);
        QCOMPARE(prompts.texts(), QStringList{QStringLiteral("エラーが発生しました！\r\n[原点ＬＳ未検出]")});
        QCOMPARE(test::windowLink().alarmNo, QStringLiteral("0B"));
    }
};

QTEST_MAIN(TestLinkE2E)
#include "test_link_e2e.moc"
