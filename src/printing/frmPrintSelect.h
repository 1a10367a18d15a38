#pragma once
// The print selection dialog: what the settings report prints, the data on the main window or a data
// file chosen with Browse. It prints nothing itself; the Print command reads the choice from the five
// members below after the dialog has closed, and they keep their values after it is gone.

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui {
class frmPrintSelect;
}

namespace kz {

class frmPrintSelect : public QDialog {
    Q_OBJECT
public:
    // Loads its captions, places itself 500 twips right of and below owner's top-left corner, and
    // clears PrintCancelled and PrintFilePath.
    explicit frmPrintSelect(QWidget *owner);
    ~frmPrintSelect() override;

    Ui::frmPrintSelect *form() const { return ui.get(); }

    // The choice, read by the Print command.
    static inline bool PrintCancelled = false;   // Cancel, the close box or Escape
    static inline bool PrintScreenData = false;  // print the main window's data
    static inline bool PrintFileData = false;    // print the data file PrintFilePath
    static inline QString PrintFilePath;         // full path of the chosen file
    static inline QString PrintFileTitle;        // its name without the folder, printed in the report

    // Option 1 (file data) enables the file label and Browse; option 0 disables them.
    void optPrintPosi_Click();
    // Browse: a file-open dialog; a chosen file becomes PrintFilePath / PrintFileTitle and is shown.
    void cmdSelectPosiFile_Click();
    // OK: sets the choice flags and closes, or shows the invalid-file message and stays open.
    void cmdPrintSet_Click();
    // Cancel.
    void cmdPrintCancel_Click();

protected:
    // The close box and Escape end here: they count as Cancel, so a closed dialog never prints with
    // the choice of an earlier print.
    void reject() override;

private:
    bool fileOptionSelected() const;

    std::unique_ptr<Ui::frmPrintSelect> ui;
};

}  // namespace kz
