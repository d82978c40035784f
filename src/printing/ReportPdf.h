#pragma once
#include <QString>

class PrintedReport;

namespace ReportPdf {

// Writes every page of report to a PDF at path (searchable text, the font embedded) with one atomic replace.
// False with a message naming the file and the cause, and the old file as it was, on failure.
bool write(const PrintedReport& report, const QString& path, QString* error);

} // namespace ReportPdf
