#pragma once
#include "workbook/xls/XlsWorkbook.h"

#include <QString>
#include <QStringList>

#include <vector>

// A new Excel 97-2003 workbook in memory.
namespace EmptyXlsWorkbook {

struct Sheet
{
    QString name;
    QStringList headings;
};

// The sheets in this order, each with its headings in bold on the first row, and a dd/mm/yyyy date format
// ready for the dates written. Names and headings are Latin-1.
XlsWorkbook make(const std::vector<Sheet>& sheets);

} // namespace EmptyXlsWorkbook
