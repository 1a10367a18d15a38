#pragma once
// The main window's File > Print, File > Save Report as PDF and File > Printer commands.

#include <QString>

#include <functional>

class QPrinter;

namespace kz {

class frmMain;

// The one printer of the run: the page setup and the printer chosen in the print dialog stay from
// one print to the next.
QPrinter &ReportPrinter();

// Whether the system has a printer at all. Production asks QPrinterInfo; tests install their own
// answer (an empty function restores the production one).
bool PrinterInstalled();
void SetPrinterQuery(std::function<bool()> query);

// Print: the selection dialog, the print dialog, the chosen data staged in Temp, the report. The
// command buttons are off from the start to every end; the menus stay on. Without a printer it only
// says so and points to Save Report as PDF. A print that fails after the print dialog says so, with
// the reason where one is known.
void mnuFilePrint_Click(frmMain &w);

// Save Report as PDF: the same selection and staging as Print, the report's file chosen in a save
// dialog (the data name + ".pdf"), then the page Print would print written there as PDF on A4.
void mnuFileSavePdf_Click(frmMain &w);

// Writes the report of Temp, as PrintSetData prints it, to a PDF file at path. An existing file is
// replaced only once the new one is complete. False with *reason on failure.
bool WriteReportPdf(const QString &path, QString *reason = nullptr);

// The default file name of the report's PDF for a data name: characters that cannot stand in a file
// name become "_".
QString ReportPdfName(const QString &dataName);

// Printer setup on ReportPrinter(); a cancelled dialog changes nothing.
void mnuFilePageSetup_Click(frmMain &w);

}  // namespace kz
