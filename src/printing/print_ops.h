#pragma once
// The main window's File > Print and File > Printer commands.

class QPrinter;

namespace kz {

class frmMain;

// The one printer of the run: the page setup and the printer chosen in the print dialog stay from
// one print to the next.
QPrinter &ReportPrinter();

// Print: the selection dialog, the print dialog, the chosen data staged in Temp, the report. The
// command buttons are off from the start to every end; the menus stay on.
void mnuFilePrint_Click(frmMain &w);

// Printer setup on ReportPrinter(); a cancelled dialog changes nothing.
void mnuFilePageSetup_Click(frmMain &w);

}  // namespace kz
