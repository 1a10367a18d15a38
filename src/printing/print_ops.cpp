#include "printing/print_ops.h"

#include "core/prompts.h"
#include "core/save_file.h"
#include "core/strings.h"
#include "core/version.h"
#include "params/parameter_set.h"
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

namespace kz {

namespace {

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

QString ReportPdfName(const QString &dataName)
{
    QString name = dataName;
    for (QChar &c : name)
        if (QStringLiteral("/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = QLatin1Char('_');
    return name + QStringLiteral(".pdf");
}

bool WriteReportPdf(const ParameterSet &set, const QString &path, QString *reason)
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
        if (!PaintReport(SetDataReport(set), pdf))
            return fail(QString());
    }
    const QByteArray &bytes = painted.data();
    if (bytes.isEmpty())
        return fail(QString());

    QString why;
    if (!SaveWholeFile(path, bytes, &why))
        return fail(QDir::toNativeSeparators(path) + QStringLiteral(": ") + why);
    return true;
}

}  // namespace kz
