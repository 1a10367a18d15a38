#pragma once
// The I/O monitor: five inputs and four outputs of the controller as lamps, polled every 200 ms
// while monitoring runs; a double-click on an output lamp, or Space or Enter on its focused name,
// switches that output at the next tick.
//
// Modal over the main window only: the communication log beside it stays usable, and the monitor
// opens it too. The user's close box is refused; only Close (disabled while polling) unloads it.
// What the monitor last saw and the output changes not yet written outlive the window: they are
// kept in a state its owner holds.

#include "io_monitor/io_block.h"
#include "io_monitor/io_state.h"
#include "link/controller_session.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QTimer;
class QStandardItemModel;

namespace Ui {
class frmInputOutput;
}

namespace kz {

// Shows the I/O monitor modally over owner and returns when the user closes it. The monitor polls
// through link and keeps what it sees in state. showCommLog opens the communication log beside
// owner (by default with owner's own frame to keep clear).
void ShowInputOutput(QWidget *owner, Link &link, InputOutputState &state, std::function<void()> showCommLog = {});

class frmInputOutput : public QDialog {
    Q_OBJECT
public:
    // Loads captions, places itself 500 twips right of and below owner's top-left corner and
    // shows the lamps as they were last seen. Monitoring is stopped.
    // Polls through link (the main window's); without one, through a numbered-port link of its own.
    // Keeps what it sees in state (the main window's); without one, in a state of its own.
    explicit frmInputOutput(QWidget *owner, Link *link = nullptr, InputOutputState *state = nullptr);
    Link &link() { return *link_; }
    InputOutputState &state() { return *state_; }
    ~frmInputOutput() override;

    void cmdMonitor_Click();
    void cmdTojiru_Click();
    // One polling tick: it starts the poll and returns; the exchanges run on the event loop, and the
    // next tick is timed from the end of this one.
    void pollTick();
    // True from the start of a tick until its last exchange has ended.
    bool tickRunning() const { return ticking_; }
    // The history panel: shown or collapsed, and saved as CSV (a failure says why).
    void cmdHistory_Toggled(bool open);
    void cmdSaveHistory_Click();
    // Opens the communication log beside the main window.
    void cmdCommLog_Click();
    std::function<void()> showCommLog;

protected:
    void closeEvent(QCloseEvent *event) override;  // closeAllowed
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Reads the I/O block through the session; done(true) once the bytes are in the state. After a
    // failure the lamps and the states stay as they are: they are never refreshed from bytes that
    // were not read.
    // done(read, lineFailed): lineFailed when the exchange itself failed (no good reply).
    void readIoState(std::function<void(bool, bool)> done);
    // The link's failure message, where it has one.
    void showFailure(const Outcome &outcome);
    void showIoState();
    void writeOutputChange(std::function<void()> done);
    // The tick's second half: the output change asked for (then a fresh read), a stop asked for,
    // and the next tick.
    void finishTick();
    void endTick();
    void StopMonitorDisplay();
    // The port could not be opened for a poll: monitoring stops, with a message.
    void PortLost();
    // Lamps in full colour (current) or greyed (the last state seen, no longer current).
    void setLampsCurrent(bool current);
    // A double-click on either image of an output row (1-based), or Space or Enter on its name.
    void imgOutput_DblClick(int row);
    // The output row (1-based) whose name label is watched, or 0.
    int outputRowOfName(const QObject *watched) const;

    // Shows row's red lamp when its stored state is on.
    void showLamp(int row);
    void setTimerEnabled(bool enabled);
    void unload();
    // Brings the history panel up to date with the monitor's history.
    void refreshHistory();
    void sizeHistoryColumns();

    QLabel *redImage(int row) const;
    QLabel *whiteImage(int row) const;

    std::unique_ptr<Ui::frmInputOutput> ui;
    QTimer *timerInputOutput;
    QStandardItemModel *historyModel_;
    // The timer is stopped while a tick runs, so that the next tick comes 200 ms after this one
    // ends; this says whether it runs again then.
    bool timerEnabled_ = false;
    bool ticking_ = false;
    // The monitor talks to the controller through the main window's link.
    std::unique_ptr<Link> ownLink_;
    Link *link_;
    // What the monitor sees, kept by the main window so that it outlives this window.
    std::unique_ptr<InputOutputState> ownState_;
    InputOutputState *state_;
    std::unique_ptr<ControllerSession> session_;
    bool unloading_ = false;
    bool unloadRequested_ = false;
};

}  // namespace kz
