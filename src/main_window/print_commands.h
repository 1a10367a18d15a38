#pragma once
// The main window's File > Print, File > Save Report as PDF and File > Printer commands.

namespace kz {

class frmMain;

// Print: the selection dialog, the print dialog, the chosen data staged in the window's document,
// the report. The command buttons are off from the start to every end; the menus stay on. Without a
// printer it only says so and points to Save Report as PDF. A print that fails after the print dialog
// says so, with the reason where one is known.
void mnuFilePrint_Click(frmMain &w);

// Save Report as PDF: the same selection and staging as Print, the report's file chosen in a save
// dialog (the data name + ".pdf"), then the page Print would print written there as PDF on A4.
void mnuFileSavePdf_Click(frmMain &w);

// Printer setup on ReportPrinter(); a cancelled dialog changes nothing.
void mnuFilePageSetup_Click(frmMain &w);

}  // namespace kz
