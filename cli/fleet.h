#pragma once
// kzpc-cli's work: one job per port, each on its own link, all on one event loop. A job is a list
// of exchanges; between two of them it may stop (Ctrl+C) and its outcome says what was done.

#include "link/link.h"
#include "params/parameter_set.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace kzcli {

enum class Result { Running, Ok, Failed, Stopped };

// One frame of a job. after (if any) runs on the good reply (or, for a frame that awaits none,
// once it is sent) and returns an error text to fail.
struct Step {
    QString cmd;
    int replyLength = 0;
    QString arg;
    int timeoutMs = 5000;
    bool sendOnly = false;
    QString block;  // a "0WD" frame: the block it writes
    std::function<QString()> after;
};

class PortJob : public QObject {
    Q_OBJECT
public:
    explicit PortJob(const QString &portName, QObject *parent = nullptr);

    kz::Link &link() { return link_; }
    QString portName() const { return link_.name(); }
    void add(Step step) { steps_.append(std::move(step)); }
    // The message of a successful end, once the last step is done.
    void setDoneMessage(std::function<QString()> message) { doneMessage_ = std::move(message); }

    void start();
    // Stops at once: a connection or a reply still awaited is given up, and no further frame goes out.
    void requestStop();

    Result result() const { return result_; }
    QString message() const { return message_; }
    int stepsDone() const { return next_; }
    int stepCount() const { return int(steps_.size()); }
    // The blocks of the job's "0WD" frames: acknowledged, sent without an acknowledgement (a
    // stop or a failure while its reply was awaited), and not sent.
    QStringList written() const { return written_; }
    QStringList unacknowledged() const { return unacknowledged_; }
    QStringList notWritten() const;
    // Why the job failed, as the link saw it (None for a check that failed after a good reply).
    kz::LinkFailure linkFailure() const { return linkFailure_; }

    // Filled by the steps: the reply to each "0RD", and extras for the JSON output.
    QStringList replies;
    QString version;
    struct Difference {
        QString group;
        QString field;  // "group / caption"
        qint32 file = 0;
        qint32 controller = 0;
    };
    QList<Difference> differences;
    bool readBackCompared = false;
    bool resetSent = false;
    QString savedFile;   // read: where the data went ("-": standard output)
    bool replaced = false;  // read: an earlier file of that name was replaced
    QString failureKind;    // set by a step's check that failed: "differs", "save", "bad-reply"

signals:
    void progressed();
    void finished();

private:
    void runNext();
    void end(Result result, const QString &message);

    kz::Link link_;
    QList<Step> steps_;
    int next_ = 0;
    bool stopRequested_ = false;
    Result result_ = Result::Running;
    QString message_;
    QStringList written_;
    QStringList unacknowledged_;
    kz::LinkFailure linkFailure_ = kz::LinkFailure::None;
    std::function<QString()> doneMessage_;
};

// Steps of the operations, shared by every port of a run.
void AddCommMode(PortJob &job);
// The five "0RD" frames; the replies land in job.replies, and afterAll (if any) runs on the last.
void AddReadBlocks(PortJob &job, std::function<QString()> afterAll = {});
// Turns job.replies into a parameter set; false when they hold no data.
bool SetFromReplies(const QStringList &replies, kz::ParameterSet *set);

}  // namespace kzcli
