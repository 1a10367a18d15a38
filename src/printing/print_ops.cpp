#include "printing/print_ops.h"

#include "app/prompts.h"
#include "files/data_file.h"
#include "files/data_state.h"
#include "main_window/frmMain.h"
#include "params/check_chain.h"
#include "params/parameter_set.h"
#include "printing/frmPrintSelect.h"
#include "printing/report.h"

#include <QCoreApplication>
#include <QPrinter>

namespace kz {

namespace {

// The command buttons stay off for the whole command, whichever way it ends.
class ButtonsOff {
public:
    explicit ButtonsOff(frmMain &w) : w_(w) { w_.CMDBTN_Muko(); }
    ~ButtonsOff() { w_.CMDBTN_Yuko(); }
    ButtonsOff(const ButtonsOff &) = delete;
    ButtonsOff &operator=(const ButtonsOff &) = delete;

private:
    frmMain &w_;
};

// The screen into Hensu through the check chain, then into Temp. 1 when a check stopped it.
int StageScreenData(frmMain &w)
{
    const bool groups = w.ParameterGroupsActive();
    const ScreenTexts screen = w.screenTexts();
    if (Check_DataUmu(screen, groups) == 1 || Torikomi_Data(screen, groups) == 1 || Check_DataRange(groups) == 1)
        return 1;
    CopyHensu2Temp();
    return 0;
}

// The file into Temp. Reading a file only to print it leaves the screen's edits unsaved, so the
// data-changed flag keeps its value.
int StageFileData(const QString &path)
{
    const bool changed = DataChanged;
    const int result = ReadDataFile(path);
    DataChanged = changed;
    return result;
}

}  // namespace

QPrinter &ReportPrinter()
{
    // Made on first use and released with the application: a printer must not outlive the
    // platform's print support.
    static QPrinter *printer = nullptr;
    if (!printer) {
        printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine([] {
            delete printer;
            printer = nullptr;
        });
    }
    return *printer;
}

void mnuFilePrint_Click(frmMain &w)
{
    if (!w.AcceptFocusedField())
        return;
    ButtonsOff off(w);
    {
        frmPrintSelect select(&w);
        select.exec();
    }
    if (frmPrintSelect::PrintCancelled)
        return;
    if (!prompts().printDialog(&ReportPrinter()))
        return;
    if (frmPrintSelect::PrintScreenData && StageScreenData(w) == 1)
        return;
    if (frmPrintSelect::PrintFileData && StageFileData(frmPrintSelect::PrintFilePath) == 1)
        return;
    // A printer that fails has no message of its own; the command just ends.
    PrintSetData(ReportPrinter());
}

void mnuFilePageSetup_Click(frmMain &w)
{
    Q_UNUSED(w);
    prompts().pageSetupDialog(&ReportPrinter());
}

}  // namespace kz
