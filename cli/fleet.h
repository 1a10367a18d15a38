#pragma once
// kzpc-cli's work: one run per port, each on a controller session of its own, all on one event
// loop. A run chains the session's operations; a stop (Ctrl+C) ends the one in flight at once, and
// the run's record says what was and was not done.

#include "link/controller_session.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace kzcli {

enum class Result { Running, Ok, Failed, Stopped };

class PortRun : public QObject {
    Q_OBJECT
public:
    PortRun(const QString &portName, int frameCount, QObject *parent = nullptr);

    kz::ControllerSession &session() { return session_; }
    QString portName() const { return session_.portName(); }

    // Starts the run: first(this) begins the chain of session operations; each step ends with
    // succeed(), fail() or failWith().
    void start(std::function<void(PortRun *)> first);
    // Stops at once: a connection or a reply still awaited is given up, no further frame goes out.
    void requestStop();
    bool stopRequested() const { return stopRequested_; }

    // Continues the chain with next unless a stop came in the meantime.
    void then(std::function<void()> next);
    void succeed(const QString &message);
    // A session operation that did not succeed: its outcome decides result and message.
    void fail(const kz::Outcome &outcome);
    // A check after a good exchange that failed: kind is the JSON failure word.
    void failWith(const QString &kind, const QString &message);

    Result result() const { return result_; }
    QString message() const { return message_; }
    QString failureKind() const { return failureKind_; }
    int framesDone() const { return framesDone_; }
    int frameCount() const { return frameCount_; }

    // The record, filled by the steps.
    QString alarmCode;
    QString version;
    struct Difference {
        QString group;
        QString field;  // "group / caption"
        qint32 file = 0;
        qint32 controller = 0;
    };
    QList<Difference> differences;
    kz::WriteAccount account;
    bool readBackCompared = false;
    bool resetSent = false;
    QString savedFile;      // read: where the data went ("-": standard output)
    bool replaced = false;  // read: an earlier file of that name was replaced

signals:
    void progressed();
    void finished();

private:
    void end(Result result, const QString &message);

    kz::ControllerSession session_;
    int frameCount_;
    int framesDone_ = 0;
    int framesBefore_ = 0;  // frames of the operations that have ended
    bool stopRequested_ = false;
    Result result_ = Result::Running;
    QString message_;
    QString failureKind_;
};

}  // namespace kzcli
