#include "printing/ReportPdf.h"

#include "platform/AtomicFile.h"
#include "printing/PrintedReport.h"
#include "report/ReportPages.h"

#include <QBuffer>
#include <QPdfWriter>

namespace ReportPdf {

bool write(const PrintedReport& report, const QString& path, QString* error)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(1200);
        writer.setPageLayout(report.pageLayout());
        writer.setTitle(QStringLiteral("Relatório de inventário"));
        writer.setCreator(QStringLiteral("Tarvik"));
        if (!report.print(writer, 0, report.pages().pageCount() - 1)) {
            *error = AtomicFile::failureMessage(path, QStringLiteral("as páginas não puderam ser desenhadas"));
            return false;
        }
    }
    return AtomicFile::replace(path, pdf.data(), error);
}

} // namespace ReportPdf
