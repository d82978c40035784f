#pragma once
#include <QString>

class QByteArray;
struct XlsWorkbook;

// Writes a workbook's BIFF stream in the version it was read in. Sheets the program did not change go out
// record for record; the workbook-wide records go out as they came but for the shared strings, rebuilt from
// the strings still used, and the stream positions, recomputed.
namespace XlsWriter {

// False, with a message naming the sheet and the limit, when a sheet has more rows than the version holds, or
// saying so when a record is too damaged to write.
bool writeStream(const XlsWorkbook& book, QByteArray* stream, QString* error);
// The stream put into the workbook's compound file and written to path as one atomic replace.
bool save(XlsWorkbook& book, const QString& path, QString* error);

} // namespace XlsWriter
