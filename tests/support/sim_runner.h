#pragma once
// Runs kz-sim on a pseudo-terminal linked as COMn in the current settings folder, with its frame
// log, for end-to-end tests and benchmarks.

#include <QProcess>
#include <QStringList>

namespace kz::test {

class SimRunner {
public:
    // Starts kz-sim linked as COM<portNo> with the extra arguments; waits until it is ready.
    explicit SimRunner(const QStringList &extraArgs = {}, int portNo = 1);
    ~SimRunner();
    SimRunner(const SimRunner &) = delete;
    SimRunner &operator=(const SimRunner &) = delete;

    bool ready() const { return ready_; }
    QString linkPath() const { return link_; }
    // The frames received so far, as logged (without CR LF).
    QStringList frames() const;
    // Waits until at least n frames are logged (or ms pass); returns the frames.
    QStringList waitForFrames(int n, int ms = 3000) const;
    // Forgets the frames logged so far: frames() then lists only later ones.
    void clearLog();
    // Stops the simulator (SIGTERM) and waits for it.
    void stop();
    QString output() const;

private:
    QProcess process_;
    QString link_;
    QString log_;
    bool ready_ = false;
    int skip_ = 0;
};

}  // namespace kz::test
