#include "printing/print_ops.h"

#include "core/prompts.h"
#include "core/strings.h"
#include "core/version.h"
#include "files/data_file.h"
#include "files/data_state.h"
#include "main_window/frmMain.h"
#include "params/parameter_set.h"
#include "printing/frmPrintSelect.h"
#include "printing/report.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

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
    if (w.TakeScreen() == 1)
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

// A failure's first line with the reason, when there is one, on a line of its own.
QString WithReason(int id, const QString &reason)
{
    return reason.isEmpty() ? Str(id) : Str(id) + QStringLiteral("\r\n") + reason;
}

// Whether the print or save dialog comes before the chosen data is staged, or after it.
enum class Ask { BeforeStaging, AfterStaging };

// The selection dialog, then ask (the print or save dialog) and the chosen data staged in Temp, in
// the order given. False when one of them ended the command; each has said why where there was
// something to say.
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
    if (frmPrintSelect::PrintFileData && StageFileData(frmPrintSelect::PrintFilePath) == 1)
        return false;
    return order == Ask::BeforeStaging || ask();
}

std::function<bool()> &PrinterQuery()
{
    static std::function<bool()> query;
    return query;
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

bool PrinterInstalled()
{
    if (const auto &query = PrinterQuery())
        return query();
    return !QPrinterInfo::availablePrinters().isEmpty();
}

void SetPrinterQuery(std::function<bool()> query)
{
    PrinterQuery() = std::move(query);
}

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
    if (!PrintSetData(ReportPrinter(), &reason))
        MsgOk(WithReason(3150, reason));
}

QString ReportPdfName(const QString &dataName)
{
    QString name = dataName;
    for (QChar &c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    return name + QStringLiteral(".pdf");
}

bool WriteReportPdf(const QString &path, QString *reason)
{
    const auto fail = [&](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    // The page is painted in memory, so that the only write to disk is the file's own, whose every
    // failure has a reason; the target is replaced only by a complete file. The page is laid out
    // as the printer lays out a PDF, so the file is the page Print prints.
    QPrinter layout(QPrinter::HighResolution);
    layout.setOutputFormat(QPrinter::PdfFormat);
    layout.setPageSize(QPageSize(QPageSize::A4));
    layout.setPageOrientation(QPageLayout::Portrait);
    QBuffer painted;
    painted.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&painted);
        pdf.setResolution(layout.resolution());
        pdf.setPageLayout(layout.pageLayout());
        pdf.setCreator(QLatin1String(kProductTitle));
        pdf.setTitle(QFileInfo(path).completeBaseName());
        if (!PaintReport(SetDataReport(), pdf))
            return fail(QString());
    }
    const QByteArray &bytes = painted.data();
    if (bytes.isEmpty())
        return fail(QString());

    QSaveFile target(path);
    const auto targetFailed = [&] {
        return fail(QDir::toNativeSeparators(path) + QStringLiteral(": ") + target.errorString());
    };
    if (!target.open(QIODevice::WriteOnly))
        return targetFailed();
    // The write lands in a buffer and only the flush reaches the disk; commit() would put a short
    // file in place even after a failed flush. Cancelled, no file is left behind.
    if (target.write(bytes) != bytes.size() || !target.flush()) {
        const bool failed = targetFailed();
        target.cancelWriting();
        return failed;
    }
    if (!target.commit())
        return targetFailed();
    return true;
}

void mnuFileSavePdf_Click(frmMain &w)
{
    if (!w.AcceptFocusedField())
        return;
    ButtonsOff off(w);
    FileDialogResult chosen;
    const auto ask = [&chosen] {
        FileDialogRequest request;
        request.title = Str(3155);
        request.filter = Str(3156);
        request.defaultExt = Str(3157);
        // Named after the data the report shows: the chosen file's, or the screen's.
        request.fileName = ReportPdfName(frmPrintSelect::PrintFileData
                                             ? QFileInfo(frmPrintSelect::PrintFilePath).completeBaseName()
                                             : DataName);
        request.confirmOverwrite = true;
        chosen = prompts().saveFile(request);
        return chosen.accepted && !chosen.fullPath.isEmpty();
    };
    // The data is checked first: a file that cannot be read, or a screen with a blank field, ends
    // the command before the user has chosen where the report would go.
    if (!SelectAndStage(w, Ask::AfterStaging, ask))
        return;
    QString reason;
    if (!WriteReportPdf(chosen.fullPath, &reason))
        MsgOk(WithReason(3152, reason));
}

void mnuFilePageSetup_Click(frmMain &w)
{
    Q_UNUSED(w);
    prompts().pageSetupDialog(&ReportPrinter());
}

}  // namespace kz
