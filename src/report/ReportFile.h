#pragma once
#include <QString>

// The report file as the viewer shows and saves it: Windows-1252 text with CR LF line ends, as the report
// writer makes it.
namespace ReportFile {

// The file's text with "\n" line ends. False with a message naming the file and the cause when it cannot be read.
bool read(const QString& path, QString* text, QString* error);
// Writes text with one atomic replace; on failure the old file stays and error names the file and the cause.
bool write(const QString& path, const QString& text, QString* error);

} // namespace ReportFile
