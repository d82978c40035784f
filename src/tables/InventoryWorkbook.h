#pragma once
#include <QString>
#include <QStringList>

#include <vector>

struct XlsWorkbook;

// The sheets of an inventory workbook and their column headings, and a new, empty one.
namespace InventoryWorkbook {

struct Sheet
{
    QString name;
    QStringList columns;
};

const std::vector<Sheet>& sheets();
// An Excel 97-2003 workbook with these sheets and their bold headings, in memory.
XlsWorkbook withSheets(const std::vector<Sheet>& definitions);
// The same with the six sheets of an inventory workbook.
XlsWorkbook empty();
// Writes an empty inventory workbook to path; refuses to overwrite a file that exists.
bool create(const QString& path, QString* error);

} // namespace InventoryWorkbook
