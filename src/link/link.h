#pragma once
// One controller on one port: the port, the reply timer, the outcome flags and the last reply of
// its exchanges. Several links run side by side on one event loop; each has at most one exchange
// in flight.
//
// The window talks through the default link, Link::Default(): the port COMn chosen by PortNo, the
// messages shown in message boxes, the alarm and the lamps on the main window. The free functions
// of link/port.h and link/exchange.h forward to it. A link made for an address ("COM3",
// "/dev/ttyUSB0", "tcp://host:4001") is quiet: it shows nothing and keeps the text of its last
// failure instead (failureText()).

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace kz {

enum class TrafficKind;

class CommPort;

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
    // The window's link.
    static Link &Default();

    // A quiet link to address, owning its own port. The port opens on the first exchange and
    // stays open until close() or forceClose().
    explicit Link(const QString &address, QObject *parent = nullptr);
    ~Link() override;
    Link(const Link &) = delete;
    Link &operator=(const Link &) = delete;

    // The exchange's state, read and set by the callers as the window always has.
    int TimeoutMs = 5000;      // reply time-out of the next exchange
    bool TimeoutFlag = false;  // set when the reply timer expired
    bool CommErrFlag = false;  // set when an exchange failed
    QString RecvData;          // the last good reply, CR LF included

    // The name the user gave ("COM3", a device path, a network address); for the default link
    // "COMn" by PortNo.
    QString name() const;
    // What the name resolves to: a device path or "tcp://host:port".
    QString device() const;
    bool quiet() const { return quiet_; }
    CommPort &port();

    // 0: the port is open and configured; 1: it could not be opened (nothing shown). A quiet
    // link keeps the reason in failureText().
    int open();
    // Starts opening the port in the background where that is possible (a network port's
    // connection); the first exchange then waits only for what is left of it.
    void prepare();
    // Closes the port; the default link keeps it open while PortOccupy is on.
    void close();
    // Closes the port whatever PortOccupy says.
    void forceClose();

    // Sends cmd + arg and calls done(0) once a good reply is in RecvData, done(1) after a failure
    // (shown, or kept in failureText() by a quiet link). The wait runs on the event loop; done may
    // run before start returns (port not openable, an exchange already in flight).
    void start(const QString &cmd, int expectedLength, const QString &arg, std::function<void(int)> done);
    // start() waited for on a local event loop, window events running meanwhile.
    int sendRecv(const QString &cmd, int expectedLength, const QString &arg);
    // Sends cmd + arg and waits for nothing.
    int sendOnly(const QString &cmd, const QString &arg);
    // "0CM" + "1" with a 1000 ms time-out, waited for.
    int setCommMode();
    // The same without waiting.
    void startCommMode(std::function<void(int)> done);
    // Communication mode, then the reset frame "0CM3"; the port is closed (honouring occupy).
    int reset();

    bool inProgress() const { return inProgress_; }
    // Ends the exchange in flight at once, whether it waits for a network connection or for a
    // reply: it fails as LinkFailure::Stopped, nothing shown, and the port is closed. A frame
    // already sent may still have reached the controller. Nothing happens between exchanges.
    void stop();
    LinkFailure lastFailure() const { return failure_; }
    // Installs t (not owned) as the reply timer; nullptr restores the link's own.
    void setReplyTimer(ReplyTimer *t) { testTimer_ = t; }
    // A quiet link's last failure: what the window would have shown, lines joined by spaces.
    QString failureText() const { return failureText_; }
    // The code and text of the last alarm reply this link received.
    QString alarmCode() const { return alarmCode_; }
    QString alarmText() const { return alarmText_; }

private:
    Link();
    struct Wait;
    enum class BadReply { Length, Echo };

    void openThen(std::function<void(bool)> next);
    void send(const QString &cmd, int expectedLength, const QString &arg);
    void quietOpenFailed();
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

    const bool default_;
    const bool quiet_;
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
