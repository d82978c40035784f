#pragma once
#include <QString>

class QByteArray;
struct XlsWorkbook;

// Reads .xls workbooks in BIFF5 (Excel 5.0/95) and BIFF8 (Excel 97-2003). On failure the message names the
// file, says what it is (missing, protected, an older or newer format, not a workbook, damaged) and what to do.
namespace XlsReader {

bool read(const QString& path, XlsWorkbook* book, QString* error);
bool readBytes(const QByteArray& bytes, const QString& name, XlsWorkbook* book, QString* error);
// The workbook stream alone, outside its compound file (for the fuzzer).
bool readStream(const QByteArray& stream, const QString& name, XlsWorkbook* book, QString* error);

} // namespace XlsReader
