#pragma once
// One controller on one port: the port, the reply timer, the outcome of its exchanges and the last
// reply. Several links run side by side on one event loop; each has at most one exchange in flight.
//
// A link shows nothing: it keeps why its last exchange failed (lastFailure(), failureText(), the
// alarm's code and text) and signals a good reply and an alarm, and its owner decides what the
// user sees. A link is made for an address ("COM3", "/dev/ttyUSB0", "tcp://host:4001"), or for the
// window's numbered port: COMn by the port number setting, kept open between operations while
// port occupy is on, its open failures described for the window (openFailureDetail()).

#include "link/port.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace kz {

enum class TrafficKind;
struct PortDiagnosis;

class CommPort;

// Tag of the window's numbered port.
struct NumberedPort {};

// The timer a link's reply wait ends by. Each link has a precise QTimer of its own; a test may
// put one of its own in its place, to run the wait on a clock it controls.
class ReplyTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Fires timeout() once, ms from now (or by the test's clock).
    virtual void start(int ms) = 0;
    virtual void stop() = 0;

signals:
    void timeout();
};

// Why a link's last exchange failed.
enum class LinkFailure {
    None,
    PortNotOpened,  // failureText() says why
    SendFailed,     // the frame could not be written
    Timeout,
    LineLost,       // the connection closed or the device vanished during the wait
    Alarm,          // alarmCode() / alarmText()
    EchoMismatch,
    LengthError,
    Stopped,        // stop() ended it
};

class Link : public QObject {
    Q_OBJECT
public:
    // A link to address, owning its own port. The port opens on the first exchange and stays open
    // until close() or forceClose().
    explicit Link(const QString &address, QObject *parent = nullptr);
    // The window's link to COMn by choice, on the port of link/port.h.
    explicit Link(NumberedPort, const PortChoice &choice = {}, QObject *parent = nullptr);
    ~Link() override;
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    // Reply time-out of the next exchange.
    int timeoutMs = 5000;
    // The last good reply, CR LF included.
    QString reply() const { return reply_; }

    // The numbered port's choice: which COMn, whether it stays open, the line speed. A link to an
    // address uses only its line speed.
    PortChoice &portChoice() { return choice_; }
    const PortChoice &portChoice() const { return choice_; }

    // The name the user gave ("COM3", a device path, a network address); for the numbered port
    // "COMn" by its choice.
    QString name() const;
    // What the name resolves to: a device path or "tcp://host:port".
    QString device() const;
    bool numbered() const { return numbered_; }
    CommPort &port();

    // 0: the port is open and configured; 1: it could not be opened (nothing shown); the reason
    // is in failureText() (for the numbered port also in openFailureDetail()).
    int open();
    // Starts opening the port in the background where that is possible (a network port's
    // connection); the first exchange then waits only for what is left of it.
    void prepare();
    // Closes the port; the numbered port stays open while its choice keeps it open.
    void close();
    // Closes the port whatever the choice says.
    void forceClose();

    // Sends cmd + arg and calls done(0) once a good reply is in reply(), done(1) after a failure
    // (lastFailure() and failureText() say which). The wait runs on the event loop; done may run
    // before start returns (port not openable, an exchange already in flight).
    void start(const QString &cmd, int expectedLength, const QString &arg, std::function<void(int)> done);
    // Sends cmd + arg and waits for nothing.
    int sendOnly(const QString &cmd, const QString &arg);

    bool inProgress() const { return inProgress_; }
    // Ends the exchange in flight at once, whether it waits for a network connection or for a
    // reply: it fails as LinkFailure::Stopped, nothing shown, and the port is closed. A frame
    // already sent may still have reached the controller. Nothing happens between exchanges.
    void stop();
    LinkFailure lastFailure() const { return failure_; }
    // Installs t (not owned) as the reply timer; nullptr restores the link's own.
    void setReplyTimer(ReplyTimer *t) { testTimer_ = t; }
    // Why the numbered port's last open failed, as lines each preceded by "\r\n" in the current
    // language, so that a message takes them on as it is: Str(215) + openFailureDetail(). Empty
    // when the last open succeeded, and for a link to an address (failureText() says it).
    QString openFailureDetail() const;

    // The last failure as a user would be told it, lines joined by spaces.
    QString failureText() const { return failureText_; }
    // When the line was lost: the system's reason, if it gave one.
    QString lostReason() const { return lostReason_; }
    // The code and text of the last alarm reply this link received.
    QString alarmCode() const { return alarmCode_; }
    QString alarmText() const { return alarmText_; }

signals:
    // A reply passed every check.
    void replyAccepted();
    // The controller answered with an alarm (code: two hex digits; text: empty outside the table).
    void alarmReceived(const QString &code, const QString &text);

private:
    struct Wait;
    enum class BadReply { Length, Echo };

    void openThen(std::function<void(bool)> next);
    void send(const QString &cmd, int expectedLength, const QString &arg);
    void addressOpenFailed();
    // Ends a wait that stop() cut short.
    void stopped();
    void openFailed(const QString &reason);
    void report(TrafficKind kind, const QByteArray &bytes = {}, const QString &detail = {}, const QString &text = {});
    void fail(const QString &message);
    bool sendFrame(const QString &frame);
    void beginWait(std::function<void()> then);
    void endWait();
    void checkReply();
    void recover(BadReply why);
    void finish(int result);
    void takeAlarm(const QString &reply);
    ReplyTimer &timer();

    const bool numbered_;
    PortChoice choice_;
    QString address_;
    QString device_;
    std::unique_ptr<CommPort> ownPort_;
    std::unique_ptr<ReplyTimer> timer_;
    ReplyTimer *testTimer_ = nullptr;
    std::unique_ptr<Wait> wait_;
    bool inProgress_ = false;
    bool opening_ = false;
    bool waiting_ = false;
    bool stopRequested_ = false;
    LinkFailure failure_ = LinkFailure::None;
    QString failureText_;
    QString alarmCode_;
    QString alarmText_;
    QString lostReason_;
    std::unique_ptr<PortDiagnosis> openFailure_;
    QString reply_;
    bool timedOut_ = false;
    // The exchange in flight.
    QString echoKey_;
    int expectedLength_ = 0;
    std::function<void(int)> done_;
};

// The device behind a port name as the user writes it: "COMn" (1 to 32) resolves as the window
// does; "tcp://host:port" and device paths stay as they are. Empty when name is none of these.
QString ResolvePortName(const QString &name);
// True when device names a network port "tcp://host:port".
bool IsNetworkAddress(const QString &device);

}  // namespace kz
