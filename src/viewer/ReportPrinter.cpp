#include "viewer/ReportPrinter.h"

#include "printing/PrintedReport.h"
#include "report/ReportPages.h"

#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>

namespace ReportPrinter {

bool choose(QPrinter& printer, QWidget* parent)
{
    printer.setPageLayout(PrintedReport::defaultLayout());
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    return dialog.exec() == QDialog::Accepted;
}

bool print(const ReportPages& pages, const SettingsStore& settings, QPrinter& printer)
{
    const PrintedReport printed(pages, settings, printer.pageLayout());
    int first = 0;
    int last = pages.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::min(printer.fromPage() - 1, last);
        last = std::clamp(printer.toPage() - 1, first, last);
    }
    return printed.print(printer, first, last) && printer.printerState() != QPrinter::Error;
}

} // namespace ReportPrinter
