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

// One frame of a job. after (if any) runs on the good reply and returns an error text to fail.
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
    // Stops before the next frame.
    void requestStop() { stopRequested_ = true; }

    Result result() const { return result_; }
    QString message() const { return message_; }
    int stepsDone() const { return next_; }
    int stepCount() const { return int(steps_.size()); }
    // The blocks of the job's "0WD" frames, acknowledged and not.
    QStringList written() const { return written_; }
    QStringList notWritten() const;

    // Filled by the steps: the reply to each "0RD", and extras for the JSON output.
    QStringList replies;
    QString version;
    QList<QPair<QString, QPair<qint32, qint32>>> differences;  // caption, (file, controller)

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
    std::function<QString()> doneMessage_;
};

// Steps of the operations, shared by every port of a run.
void AddCommMode(PortJob &job);
// The five "0RD" frames; the replies land in job.replies, and afterAll (if any) runs on the last.
void AddReadBlocks(PortJob &job, std::function<QString()> afterAll = {});
// Turns job.replies into a parameter set; false when they hold no data.
bool SetFromReplies(const QStringList &replies, kz::ParameterSet *set);

}  // namespace kzcli
