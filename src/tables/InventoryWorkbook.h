#pragma once
#include "tables/Sheets.h"

#include <QString>

#include <vector>

struct XlsWorkbook;

// A new, empty inventory workbook.
namespace InventoryWorkbook {

// An Excel 97-2003 workbook with these sheets and their bold headings, in memory.
XlsWorkbook withSheets(const std::vector<Sheets::Layout>& definitions);
// The same with the six sheets of an inventory workbook.
XlsWorkbook empty();
// Writes an empty inventory workbook to path, an .xlsx when its name says so and an Excel 97-2003 workbook
// otherwise; refuses to overwrite a file that exists.
bool create(const QString& path, QString* error);

} // namespace InventoryWorkbook
