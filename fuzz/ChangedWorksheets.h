#pragma once
#include "values/SheetCells.h"

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
