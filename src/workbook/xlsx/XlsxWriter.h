#pragma once
#include <QString>

class QByteArray;
struct XlsxWorkbook;

// Writes an .xlsx back: the worksheets the program changed are rewritten from their parts as read, keeping
// everything in them but the cells written (which go out as values, texts inline); the styles get the date
// style when one was added; a calculation chain is dropped, as it may name cells that are no longer formulas,
// and Excel is asked to recalculate; every other part goes out as it came, byte for byte.
namespace XlsxWriter {

bool toBytes(const XlsxWorkbook& book, QByteArray* bytes, QString* error);
// The package written to path as one atomic replace.
bool save(const XlsxWorkbook& book, const QString& path, QString* error);

} // namespace XlsxWriter
