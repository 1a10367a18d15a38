#pragma once
// One controller on one port, and what can be done with it. Every operation is asynchronous: it
// runs its frames one after another on the event loop and ends by calling its completion with a
// typed outcome. A session shows nothing: the window, the I/O monitor or kzpc-cli turns the
// outcome into what the user sees. One operation at a time; many sessions side by side.
//
//   readParameters   "0CM1", then "0RD" 02, 04, 05, 00, 01: the parameter set the controller holds
//   writeParameters  "0CM1", then "0WD" with each block (00 and 01 only with the groups active,
//                    1F last): which blocks were acknowledged
//   reset            "0CM1", then "0CM3" (no reply)
//   setCommunicationMode  "0CM1"        setExternalMode  "0CM0"        readVersion  "0RV"
//   move             "0MP" + target ("1" or "2"), answered once the axis has arrived
//   home             "0MP0"
//   resetAlarm       "0%C", then "0CM1"
//   readInputsOutputs  "0RD20": the I/O block's reply, for the monitor to decode
//   switchOutputs    "0WS" + the four output bits
//
// The frames themselves come from link/ct_frames.h.

#include "link/link.h"
#include "params/parameter_set.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace kz {

// How an operation ended.
struct Outcome {
    enum class Kind {
        Success,
        PortFailure,   // the port did not open; reason says why
        SendFailed,    // a frame could not be written
        Timeout,       // no reply within the time-out
        LineLost,      // the line went away during a wait; reason is the system's, if any
        Alarm,         // the controller answered with an alarm: alarmCode, alarmText
        EchoMismatch,  // a reply did not echo its frame (the recovery frame was sent)
        LengthError,   // a reply had the wrong length (the recovery frame was sent)
        BadData,       // the replies passed the link's checks but hold no usable data
        Stopped,       // stop() ended it
    };
    Kind kind = Kind::Success;
    QString reason;      // as a user would be told it, on one line
    QString lostReason;  // LineLost: the system's reason, if it gave one
    QString alarmCode;
    QString alarmText;
    bool ok() const { return kind == Kind::Success; }
};

// How the link's last exchange ended.
Outcome OutcomeOf(const Link &link);

// The message a window shows for a failed exchange: the time-out, the lost line, the alarm, the
// echo or length error. Empty where the caller says it in its own words (a port that did not open,
// a frame that could not be written, data that make no sense, a stop).
QString FailureMessage(const Outcome &outcome);

// What a write did: the blocks acknowledged, the one sent whose reply never came, and those not sent.
struct WriteAccount {
    QStringList written;
    QStringList unacknowledged;
    QStringList notWritten;
};

class ControllerSession : public QObject {
    Q_OBJECT
public:
    // A session on portName: "COM3", a device path or "tcp://host:port".
    explicit ControllerSession(const QString &portName, QObject *parent = nullptr);
    // A session on a link owned elsewhere (the main window's, which shows the link's messages).
    explicit ControllerSession(Link &link, QObject *parent = nullptr);
    // An operation still running ends here, without calling its completion.
    ~ControllerSession() override;

    QString portName() const { return link_.name(); }
    QString device() const { return link_.device(); }
    Link &link() { return link_; }
    bool busy() const { return busy_; }

    // Starts opening the port in the background where that can wait (a network connection).
    void prepare() { link_.prepare(); }
    // Ends the operation in flight at once (a connection or a reply still awaited is given up);
    // it completes as Outcome::Kind::Stopped. No further frame goes out.
    void stop();
    // Closes the port.
    void close() { link_.forceClose(); }

    void readParameters(std::function<void(const Outcome &, const ParameterSet &)> done);
    // The whole replies of the last read's blocks, as far as it came.
    QStringList readReplies() const { return readReplies_; }
    void writeParameters(const ParameterSet &set, bool groupsActive,
                         std::function<void(const Outcome &, const WriteAccount &)> done);
    void reset(std::function<void(const Outcome &)> done);
    void setCommunicationMode(std::function<void(const Outcome &)> done);
    void setExternalMode(std::function<void(const Outcome &)> done);
    void readVersion(std::function<void(const Outcome &, const QString &version)> done);
    void move(int target, std::function<void(const Outcome &)> done);
    void home(std::function<void(const Outcome &)> done);
    void resetAlarm(std::function<void(const Outcome &)> done);
    void readInputsOutputs(std::function<void(const Outcome &, const QString &reply)> done);
    void switchOutputs(int value, std::function<void(const Outcome &)> done);

signals:
    // One frame of the operation in flight has been answered (or, for the reset, sent).
    void stepDone(int done, int total);

private:
    struct Step {
        QString command;
        QString argument;
        int replyLength = 0;  // 0: no reply awaited
        int timeoutMs = 5000;
        QString block;        // a write's block number
    };
    // Runs steps in turn; onReply sees each good reply (index, reply). done gets the outcome.
    void run(QList<Step> steps, std::function<void(int, const QString &)> onReply,
             std::function<void(const Outcome &)> done);
    void runNext();
    void finish(const Outcome &outcome);

    std::unique_ptr<Link> ownLink_;
    Link &link_;
    bool busy_ = false;
    bool stopRequested_ = false;
    QList<Step> steps_;
    int next_ = 0;
    std::function<void(int, const QString &)> onReply_;
    std::function<void(const Outcome &)> done_;
    WriteAccount account_;
    QStringList readReplies_;
};

}  // namespace kz
