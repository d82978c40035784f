#pragma once
#include "values/SheetCells.h"

#include <QByteArray>
#include <QString>

#include <algorithm>

// Writes value into a cell of the first two worksheets, as a command's save would; with two, both of the .xls
// save's sheet writers run. Returns how many were changed.
template <typename Sheets> int changeFirstWorksheets(Sheets& sheets, int style, const CellValue& value)
{
    int changed = 0;
    for (auto& sheet : sheets) {
        if (!sheet.isWorksheet)
            continue;
        sheet.setCell(1, SheetCells::Cell { 2, quint16(style), true, value });
        sheet.rowCount = std::max(sheet.rowCount, 2);
        sheet.modified = true;
        if (++changed == 2)
            break;
    }
    return changed;
}

// A workbook a save wrote must read again: traps when write gives bytes that read refuses.
template <typename Book, typename Write, typename Read> void writtenReadsAgain(const Book& book, Write write, Read read)
{
    QByteArray written;
    QString error;
    Book again;
    if (write(book, &written, &error) && !read(written, &again, &error))
        __builtin_trap();
}
