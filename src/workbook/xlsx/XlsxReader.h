#pragma once
#include <QString>

class QByteArray;
struct XlsxWorkbook;

// Reads Office Open XML workbooks (.xlsx, .xlsm; Transitional or Strict) as Excel, LibreOffice and other
// programs write them. On failure the message names the file, says what it is (damaged, a binary or
// OpenDocument workbook, not a workbook) and what to do.
namespace XlsxReader {

bool readBytes(const QByteArray& bytes, const QString& name, XlsxWorkbook* book, QString* error);
// One worksheet's XML alone, with no shared strings and no styles (for the fuzzer).
bool readSheetXml(const QByteArray& xml, XlsxWorkbook* book, QString* error);

} // namespace XlsxReader
