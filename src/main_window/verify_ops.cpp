// The main window's verification: the screen against the controller or a data file.

#include "core/prompts.h"
#include "core/strings.h"
#include "files/data_file.h"
#include "files/verify.h"
#include "main_window/frmMain.h"

namespace kz {

void frmMain::cmdShogoCt_Click()
{
    verifyWithController();
}

void frmMain::cmdShogoFile_Click()
{
    const Hold hold = holdBracketed();
    verifyWithFile();
}

void frmMain::mnuShogoFile_Click()
{
    verifyWithFile();
}

void frmMain::verifyWithController()
{
    Hold hold = holdBracketed();
    if (!AcceptFocusedField() || TakeScreen() == 1) {
        closePort();
        return;
    }
    readControllerBlocks([this, hold](const Outcome &outcome) {
        if (outcome.ok())
            VerifyReport(document_, ParameterGroupsActive());
        closePort();
    });
}

void frmMain::verifyWithFile()
{
    if (!AcceptFocusedField() || TakeScreen() == 1)
        return;
    CommonDialog1.title = Str(203);
    CommonDialog1.defaultExt = Str(204);
    CommonDialog1.initialDir.clear();
    CommonDialog1.mustExist = true;
    CommonDialog1.fileName.clear();
    CommonDialog1.filter = Str(205);
    const FileDialogResult chosen = showFileDialog(false);
    if (!chosen.accepted || chosen.fullPath.isEmpty())
        return;
    // The screen still holds what it held: reading the other side must not mark it as saved.
    const bool changed = document_.changed;
    const int read = ReadDataFile(chosen.fullPath, document_);
    document_.changed = changed;
    if (read == 0)
        VerifyReport(document_, ParameterGroupsActive(), VerifySource::File);
}

}  // namespace kz
