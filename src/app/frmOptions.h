#pragma once
// The Options dialog: the COM port (from the ports that could be opened), the port-occupy option,
// and whether the sensor and homing parameters are shown and the homing parameters may be changed.
// Each time it loads it probes COM1 to COM32 anew, which leaves the link's port closed.
//
// Beside the list of COM numbers the port page lists the serial devices the system has, each with
// the COM number it is, and the numbers whose device is not connected; an adapter without a
// number can be assigned one (a link in the ports folder) and an assignment removed.

#include "link/port_assign.h"

#include "link/port.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmOptions;
}

namespace kz {

class frmOptions : public QDialog {
    Q_OBJECT
public:
    // Loads the dialog over owner: captions, the current options, the port probe and the list.
    // Shows and changes choice (the main window's port).
    explicit frmOptions(PortChoice &choice, QWidget *owner = nullptr);
    ~frmOptions() override;
    Ui::frmOptions *form() const { return ui.get(); }

    // The port number named by the list's text (1 to 32), or -1.
    int GetChosenPort() const;
    // 0 when the list names a port (saved at once when it is another available port), 1 when not.
    int ApplyChosenPort();

    void cmdOK_Click();
    void chkParametaShow_Click();
    // Assigns the chosen device (a row without a number) to the number in spinAssignPortNo.
    void cmdAssign_Click();
    // Removes the chosen row's link.
    void cmdRemove_Click();
    void lstSerialDevices_SelectionChanged();

private:
    void loadForm(QWidget *owner);
    void FillPortList();
    void ShowPermissionNote();
    void FillDeviceList();
    // After an assignment changed: probe again, refill both lists, and choose portNo in the port
    // list when it can be opened.
    void Reprobe(int portNo);
    const PortRow *ChosenRow() const;

    QList<SerialDevice> devices_;
    QList<PortRow> rows_;

    std::unique_ptr<Ui::frmOptions> ui;
    PortChoice &choice_;
    int portNoAtLoad_ = 0;
};

// Shows the Options dialog modally over owner (the View menu's Options).
void ShowOptions(QWidget *owner, PortChoice &choice);

}  // namespace kz
