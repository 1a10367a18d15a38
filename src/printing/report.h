#pragma once
// The settings report: one page listing a parameter set.
//
// The report is computed first as a list of draw operations, each a text at a position in twips
// (1/1440 inch) from the top-left of the printable area, and then painted onto a printer. The list is
// what the tests read; the painter only converts twips to device units.
//
//   0, 0         "KZ PC-Software", the date and time on the next line
//   1500, 900    file name line (only when a file is printed)
//   1500, 1200   moving settings heading and rule
//   1600..2400   column heads, the Position 1 and Position 2 rows (x = 1500 ... 7000)
//   3600 ...     sensor heading and its seven rows, then the homing heading and its four rows
//
// A text printed "with line end" moves the next line down by one line height of the report font;
// the sensor and homing rows are placed relative to that. The rotation direction is not printed.

#include "params/parameter_set.h"

#include <QDateTime>
#include <QList>
#include <QString>

class QPdfWriter;
class QPrinter;

namespace kz {

inline constexpr int kReportPointSize = 11;

struct DrawOp {
    int x = 0;  // twips from the left of the printable area
    int y = 0;  // twips from its top, to the top of the text's line
    QString text;
    QString fontFamily;  // the family painted (see ReportFontFamily)
    int pointSize = kReportPointSize;
    int maxWidth = 0;    // twips the text may take before the next column; 0: up to the page's edge

    bool operator==(const DrawOp &) const = default;
};

// What the report shows besides the parameter set.
struct ReportSource {
    bool screenData = false;  // the main window's data is printed
    bool fileData = false;    // a data file is printed: adds the file name line
    QString fileTitle;        // the file's name without its folder
    QDateTime printedAt;
};

// The family the report uses for the requested one (string 224): the requested family when it is
// installed, else an installed family with Japanese glyphs, a Mincho for a Mincho and a Gothic
// otherwise, so that Japanese captions never print as boxes.
QString ReportFontFamily(const QString &requested);

// Height of one printed line of the family at the size, in twips.
int ReportLineHeight(const QString &family, int pointSize = kReportPointSize);

// A number as the report prints it: one leading space in the place of the sign, one trailing space.
QString ReportNumber(qint32 value);

// The whole report for set, with captions in the current language. With neither screenData nor
// fileData only the title and the date line are listed.
QList<DrawOp> ComputeReport(const ParameterSet &set, const ReportSource &source);

// Paints ops on one page of printer and ends the document. A text wider than its room (maxWidth, and
// never past the printable area's right edge) is condensed to fit, so that a long caption neither runs
// into the next column nor off the page. False when the printer could not be started or did not take
// the page; then *reason (if given) says why where that is known (an output file that cannot be
// written), and is left empty where the printer tells nothing.
bool PaintReport(const QList<DrawOp> &ops, QPrinter &printer, QString *reason = nullptr);

// The same on one page of a PDF writer. False when the page could not be painted.
bool PaintReport(const QList<DrawOp> &ops, QPdfWriter &writer);

// The report of set (the staged copy of the data chosen for printing) with the choice of the print
// selection dialog, dated now.
QList<DrawOp> SetDataReport(const ParameterSet &set);

// Prints SetDataReport(set). False as PaintReport.
bool PrintSetData(const ParameterSet &set, QPrinter &printer, QString *reason = nullptr);

}  // namespace kz
