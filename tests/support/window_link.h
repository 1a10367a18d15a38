#pragma once
// The numbered port's link as the main window uses it, for tests of single exchanges: each
// exchange is waited for, a failure's message is shown the way the window shows it, and the
// alarm display is kept as the window's status area would show it.

#include "core/prompts.h"
#include "link/controller_session.h"
#include "link/link.h"
#include "link/port_settings.h"

#include <QEventLoop>
#include <QTest>

#include <memory>
#include <optional>

namespace kz::test {

class WindowLink {
public:
    // On a numbered-port link of its own.
    WindowLink() : own_(std::make_unique<Link>(NumberedPort{})), link(*own_)
    {
        watch();
        clear();
    }
    // On a link owned elsewhere (a main window's, which shows the alarm itself).
    explicit WindowLink(Link &external) : link(external) { watch(); }
    WindowLink(const WindowLink &) = delete;
    WindowLink &operator=(const WindowLink &) = delete;

    void watch()
    {
        // Connected through an object of this one's own, so that a link that outlives it (a
        // window's) no longer calls into it once it is gone.
        QObject::connect(&link, &Link::replyAccepted, &context_, [this] {
            alarmLamp = false;
            errorComment = QStringLiteral("No Error");
        });
        QObject::connect(&link, &Link::alarmReceived, &context_, [this](const QString &code, const QString &text) {
            alarmNo = code;
            alarmLamp = true;
            errorComment = text;
        });
    }

    // One exchange, waited for: 0 with the reply in link.reply(), 1 after a failure whose message
    // (if it has one) has been shown.
    int exchange(const QString &cmd, int expectedLength, const QString &arg)
    {
        int result = -1;
        QEventLoop loop;
        link.start(cmd, expectedLength, arg, [&result, &loop](int r) {
            result = r;
            loop.quit();
        });
        // Woken by the exchange's end itself, so that a benchmark measures the link, not a poll.
        if (result < 0)
            loop.exec();
        if (result == 1) {
            const QString message = FailureMessage(OutcomeOf(link));
            if (!message.isEmpty())
                MsgOk(message);
        }
        return result;
    }
    bool failed() const { return link.lastFailure() != LinkFailure::None; }
    // As a new test finds it.
    void clear()
    {
        link.forceClose();
        link.timeoutMs = 5000;
        // As the window starts with nothing stored: COM1, kept open.
        link.portChoice() = PortChoice{};
        LoadPortNo(link.portChoice());
        LoadPortOccupy(link.portChoice());
        alarmLamp = false;
        alarmNo.clear();
        errorComment = QStringLiteral("No Error");
    }

private:
    QObject context_;
    std::unique_ptr<Link> own_;

public:
    Link &link;
    bool alarmLamp = false;
    QString alarmNo;
    QString errorComment = QStringLiteral("No Error");
};

// The one WindowLink of a test that needs no window (TestEnv resets it for every test).
inline WindowLink &windowLink()
{
    static WindowLink *w = new WindowLink;  // lives as long as the test program
    return *w;
}

// Runs one session operation to its end: start(done) starts it. True when it succeeded.
template <class Start>
bool RunToEnd(Start start)
{
    std::optional<bool> ok;
    QEventLoop loop;
    start([&ok, &loop](const Outcome &outcome, const auto &...) {
        ok = outcome.ok();
        loop.quit();
    });
    if (!ok)
        loop.exec();
    return ok.value_or(false);
}

// Waits until the window's operation has ended (its questions answered by the test's prompts).
// w is the window, a pointer to it or its owner.
template <class W>
bool WaitForIdle(W &w, int ms = 60000)
{
    if constexpr (requires { w.talking(); })
        return QTest::qWaitFor([&w] { return !w.talking(); }, ms);
    else
        return WaitForIdle(*w, ms);
}

}  // namespace kz::test
