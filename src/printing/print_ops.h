#pragma once
// The settings report's printer and its PDF file.

#include "params/parameter_set.h"

#include <QString>

#include <functional>

class QPrinter;

namespace kz {

// The one printer of the run: the page setup and the printer chosen in the print dialog stay from
// one print to the next.
QPrinter &ReportPrinter();

// Whether the system has a printer at all. Production asks QPrinterInfo; tests install their own
// answer (an empty function restores the production one).
bool PrinterInstalled();
void SetPrinterQuery(std::function<bool()> query);

// Writes the report of set, as PrintSetData prints it, to a PDF file at path. An existing file is
// replaced only once the new one is complete. False with *reason on failure.
bool WriteReportPdf(const ParameterSet &set, const QString &path, QString *reason = nullptr);

// The default file name of the report's PDF for a data name: characters that cannot stand in a file
// name become "_".
QString ReportPdfName(const QString &dataName);

}  // namespace kz
