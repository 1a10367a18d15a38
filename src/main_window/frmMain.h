#pragma once
// The main window: the parameter screen in edit mode, the test-move controls in move mode, the
// status area with the port and alarm lamps, and the menu bar. Every operation starts here.
//
//   frmMain.cpp         load, modes, enabling routines, lamps, show-parameters layout, exit
//   field_rules.cpp     what the parameter fields accept, the Enter chain, the screen fill
//   (operation files)   read, write, files, verification, move, mode and version

#include "core/prompts.h"
#include "io_monitor/io_state.h"
#include "link/controller_session.h"
#include "params/check_chain.h"
#include "params/parameter_document.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QComboBox;

namespace Ui {
class frmMain;
}

namespace kz {

class FieldRules;

// The show-parameters option and the homing-parameters option (Options dialog).
extern bool ShowParametersOption;
extern bool HomingParametersOption;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // The one main window while it exists (the Options dialog calls back into it).
    static frmMain *instance();

    Ui::frmMain *form() const { return ui.get(); }

    // The data the screen shows, where they came from, and what the operations built from them.
    ParameterDocument &document() { return document_; }
    const ParameterDocument &document() const { return document_; }

    // Modes. Edit mode while lblEditMode is enabled.
    bool isEditMode() const;
    void cmdModeChange_Click();
    void EditModeLayout();
    void MoveModeLayout();

    // Enabling routines.
    void disableCommandButtons();
    void enableCommandButtons();
    void disableFileMenu();
    void enableFileMenu();
    void disableMoveControls();
    void enableMoveControls();
    void enableHomingParameters();
    void disableHomingParameters();

    // Port lamp, every 100 ms.
    void updatePortLamp();

    // Options dialog, then the show-parameters layout.
    void mnuViewOption_Click();
    // Height and parameter frames after the options have changed; shown again, the sensor and homing
    // fields show the values the tool holds for them when a read or an open came while they were
    // hidden.
    void ApplyShowParametersLayout();
    // The communication log window, beside this window.
    void mnuViewCommLog_Click();
    // The top windows the menus open, set by the application (tests set their own): the Options
    // dialog, the About box, and help on a topic.
    std::function<void()> showOptionsDialog;
    std::function<void()> showAboutBox;
    std::function<void(const QString &)> showHelp;

    // Exit.
    void mnuFileExit_Click();
    // The Save button's operation: 0 when the data were saved, 1 when not (cancelled, failed).
    // Set by the file operations; the exit question uses it.
    std::function<int()> saveData;

    // Data files (file_ops.cpp).
    void cmdFileOpen_Click();
    // Open's work once a file is chosen (also a file named at start-up): the file into the staged
    // copy, then onto the screen with its data name. 0 shown; 1 after the reader's message, nothing
    // changed.
    int OpenDataFile(const QString &path);
    int cmdSaveFile_Click();          // 0: saved
    int mnuFileSaveAs_Click();        // 0: saved
    void mnuFileNew_Click();
    // Writes the current copy to target (a bare name resolves against the working folder); sets the
    // data name and path and clears the data-changed flag. 0 written, 1 not (the system's reason in
    // error); shows no message.
    int SaveFileAs(const QString &target, QString *error = nullptr);
    // With the data-changed flag set, asks whether to save first (Yes saves). True when the screen
    // may be replaced: saved, not wanted, or nothing to save.
    bool AskSaveBeforeDiscard();
    // The data name of a file: its name without folder and without its last four characters.
    static QString DataNameOf(const QString &fileName);

    // The window's controller: the session every operation talks through, on the numbered port.
    ControllerSession &session() { return *session_; }
    Link &link() { return *link_; }
    // True while an operation runs (a close request waits for it) or an exchange is in flight.
    bool talking() const { return isBusy() || link_->inProgress(); }

    // Controller read and write (ct_ops.cpp). Each returns at once; the operation runs on the
    // event loop with the command buttons and the File menu off until it ends.
    void cmdGetfromCt_Click();
    void readAtStartup();
    void cmdLoadtoCt_Click();

    // Verification (verify_ops.cpp).
    void cmdShogoCt_Click();
    void cmdShogoFile_Click();
    void mnuShogoFile_Click();
    void verifyWithController();
    void verifyWithFile();

    // Move mode (move_ops.cpp).
    void cmdSelectMove_Click();
    // Set by Stop while a move runs; a Repeat run ends at its next arrival at position 1.
    bool moveStopRequested() const { return moveStopRequested_; }
    void cmdHome_Click();
    void cmdStop_Click();
    void cmdReset_Click();

    // Controller mode and version (mode_ops.cpp).
    void mnuModeGaibu_Click();
    void mnuModeTrancefer_Click();
    void mnuViewCtVersion_Click();

    // True (with a beep) while an operation is talking to the controller: commands that stay
    // reachable during its waits (View, Mode, Reset) must not start a second conversation.
    bool refuseWhileBusy();

    // The check chain over the screen: blank check, take-in, range check. 0 when all pass. A blank
    // that cannot be typed into (SP1, the homing fields while their change is not allowed) is
    // refused with what to do instead.
    int TakeScreen();
    // Runs the leave check of the focused parameter field as if the focus had left it, before a
    // command acts on the screen's data. False (and the user told why) when a value was refused.
    bool AcceptFocusedField();

    // The sensor and homing groups take part: show-parameters option on and framParameta enabled.
    bool ParameterGroupsActive() const;
    // What the parameter controls hold, for the check chain.
    ScreenTexts screenTexts() const;
    // The current copy onto the screen; clears the data-changed flag.
    void ScreenFill();
    // Shows the data name beside "File Name".
    void ShowDataName();

    // Height of the window in twips at the screen's logical DPI.
    static constexpr int kShortHeightTwips = 6585;
    static constexpr int kTallHeightTwips = 8950;
    static constexpr int kWidthTwips = 9960;

    // While an operation talks to the controller a close request is held back and carried out
    // when it ends. Operations hold one of these for their whole length.
    class Busy {
    public:
        explicit Busy(frmMain *window);
        ~Busy();
        Busy(const Busy &) = delete;
        Busy &operator=(const Busy &) = delete;

    private:
        frmMain *window_;
    };
    bool isBusy() const { return busy_ > 0; }

    // The alarm lamp, code and text of the status area.
    void showAlarm(const QString &code, const QString &text);
    void clearAlarm();

signals:
    // The close was refused because an operation was running; it will be retried when it ends.
    void closeDeferred();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void loadForm();
    void connectMenus();
    void setHeightTwips(int twips);
    // The rows both layouts switch, to the edit-mode state (edit) or its opposite.
    void ModeLayout(bool edit);
    void setModeLabel(QLabel *label, bool active);
    void setFrameCaptionBold(QWidget *frame, bool bold);
    void applyIcons();
    // closeAllowed: true when the close may go on.
    bool closeAllowed();
    void unloadForm();

    enum class SaveOutcome { Saved, Cancelled, Failed };
    // Save As; a failure's message ends with consequence (what else did not happen).
    SaveOutcome saveAs(const QString &consequence);

    // The shared file dialog: each use sets only what it names, the rest stays from the last use.
    FileDialogResult showFileDialog(bool save);
    void readAndShow(bool ask);
    // An operation's hold on the window: the command buttons and File menu off (bracketed) or
    // only a close held back, until the last copy is gone.
    using Hold = std::shared_ptr<void>;
    Hold holdBracketed();
    Hold holdBusy();
    // Reads the controller's blocks into the staging set behind the transfer window, then calls
    // done(true); after a failure the link's message has been shown and done(false, outcome) runs.
    void readControllerBlocks(std::function<void(const Outcome &)> done);
    // The write's blocks behind the transfer window.
    void writeControllerBlocks(std::function<void(const Outcome &)> done);
    // The link's message for a failed outcome, where it has one.
    void showFailure(const Outcome &outcome);
    // What the port's open failure adds to a message (empty unless the port failed to open).
    QString portFailureDetail(const Outcome &outcome) const;
    // The port or the communication mode failed before a command: the link's message, if any,
    // then "Communication error occurs!" with what the port's failure adds.
    void sayNotConnected(const Outcome &outcome);
    // Closes the port unless port occupy keeps it open.
    void closePort();
    void moveStep(const Hold &hold, int target);

    ParameterDocument document_;
    FileDialogRequest CommonDialog1;
    // The folder of the last file chosen in a file dialog; bare names of Save resolve against it.
    QString workingFolder_;
    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<FieldRules> rules_;
    QTimer portLampTimer_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<ControllerSession> session_;
    // What the I/O monitor last saw and the output changes it has yet to write, from one opening
    // of the monitor to the next.
    InputOutputState ioMonitorState_;
    bool moveStopRequested_ = false;
    int busy_ = 0;
    // The sensor and homing fields do not show the current copy: it was filled while they were
    // hidden.
    bool groupFieldsBehind_ = false;
    bool closePending_ = false;
    bool closing_ = false;
};

}  // namespace kz
