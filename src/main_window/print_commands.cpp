// The main window's File > Print, File > Save Report as PDF and File > Printer commands: the
// selection of the data, the dialogs, and what the user is told.

#include "main_window/print_commands.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "files/data_file.h"
#include "main_window/frmMain.h"
#include "printing/frmPrintSelect.h"
#include "printing/print_ops.h"
#include "printing/report.h"

#include <QFileInfo>
#include <QPrinter>

namespace kz {

namespace {

// The command buttons stay off for the whole command, whichever way it ends.
class ButtonsOff {
public:
    explicit ButtonsOff(frmMain &w) : w_(w) { w_.disableCommandButtons(); }
    ~ButtonsOff() { w_.enableCommandButtons(); }
    ButtonsOff(const ButtonsOff &) = delete;
    ButtonsOff &operator=(const ButtonsOff &) = delete;

private:
    frmMain &w_;
};

// The screen into the current copy through the check chain, then into the staged one. 1 when a
// check stopped it.
int StageScreenData(frmMain &w)
{
    if (w.TakeScreen() == 1)
        return 1;
    w.document().stageCurrent();
    return 0;
}

// The file into the staged copy. Reading a file only to print it leaves the screen's edits unsaved,
// so the data-changed flag keeps its value.
int StageFileData(ParameterDocument &document, const QString &path)
{
    const bool changed = document.changed;
    const int result = ReadDataFile(path, document);
    document.changed = changed;
    return result;
}

// A failure's first line with the reason, when there is one, on a line of its own.
QString WithReason(int id, const QString &reason)
{
    return reason.isEmpty() ? Str(id) : Str(id) + QStringLiteral("\r\n") + reason;
}

// Whether the print or save dialog comes before the chosen data is staged, or after it.
enum class Ask { BeforeStaging, AfterStaging };

// The selection dialog, then ask (the print or save dialog) and the chosen data staged in the
// window's document, in the order given. False when one of them ended the command; each has said
// why where there was something to say.
bool SelectAndStage(frmMain &w, Ask order, const std::function<bool()> &ask)
{
    {
        frmPrintSelect select(&w);
        select.exec();
    }
    if (frmPrintSelect::PrintCancelled)
        return false;
    if (order == Ask::BeforeStaging && !ask())
        return false;
    if (frmPrintSelect::PrintScreenData && StageScreenData(w) == 1)
        return false;
    if (frmPrintSelect::PrintFileData && StageFileData(w.document(), frmPrintSelect::PrintFilePath) == 1)
        return false;
    return order == Ask::BeforeStaging || ask();
}

}  // namespace

void mnuFilePrint_Click(frmMain &w)
{
    if (!w.AcceptFocusedField())
        return;
    // The print dialog offers no file output, so without a printer it could only fail.
    if (!PrinterInstalled()) {
        MsgOk(StrLines({3153, 3154}));
        return;
    }
    ButtonsOff off(w);
    if (!SelectAndStage(w, Ask::BeforeStaging, [] { return prompts().printDialog(&ReportPrinter()); }))
        return;
    QString reason;
    if (!PrintSetData(w.document().staged, ReportPrinter(), &reason))
        MsgOk(WithReason(3150, reason));
}

void mnuFileSavePdf_Click(frmMain &w)
{
    if (!w.AcceptFocusedField())
        return;
    ButtonsOff off(w);
    FileDialogResult chosen;
    const auto ask = [&chosen, &w] {
        FileDialogRequest request;
        request.title = Str(3155);
        request.filter = Str(3156);
        request.defaultExt = Str(3157);
        // Named after the data the report shows: the chosen file's, or the screen's.
        request.fileName = ReportPdfName(frmPrintSelect::PrintFileData
                                             ? QFileInfo(frmPrintSelect::PrintFilePath).completeBaseName()
                                             : w.document().name);
        request.confirmOverwrite = true;
        chosen = prompts().saveFile(request);
        return chosen.accepted && !chosen.fullPath.isEmpty();
    };
    // The data is checked first: a file that cannot be read, or a screen with a blank field, ends
    // the command before the user has chosen where the report would go.
    if (!SelectAndStage(w, Ask::AfterStaging, ask))
        return;
    QString reason;
    if (!WriteReportPdf(w.document().staged, chosen.fullPath, &reason))
        MsgOk(WithReason(3152, reason));
}

void mnuFilePageSetup_Click(frmMain &w)
{
    Q_UNUSED(w);
    prompts().pageSetupDialog(&ReportPrinter());
}

}  // namespace kz
