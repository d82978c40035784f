#pragma once
#include "values/SheetCells.h"

#include <QHash>
#include <QString>

// A sheet read as a table: its first used row names the columns and every row under it is a record. Only
// reads the sheet, so cursors on different sheets of one workbook may run on different threads.
class SheetCursor
{
public:
    SheetCursor() = default;
    explicit SheetCursor(const SheetCells& sheet);

    bool hasRecords() const { return m_end > m_headingRow + 1; }
    int headingRow() const { return m_headingRow; }
    int row() const { return m_row; }
    int end() const { return m_end; }
    // The column under that heading, or -1.
    int column(const QString& heading) const { return m_columns.value(heading.toLower(), -1); }

    void MoveFirst();
    void MoveNext();
    // Goes to the last record; on a sheet without records it leaves RecordCount at 0.
    void MoveLast();
    bool Eof() const { return m_row >= m_end; }
    int RecordCount() const { return m_visited; }
    // A record added after the last one.
    void extendTo(int end) { m_end = end; }
    // The same place in another copy of the sheet, the one a save merged our changes into; with none (another
    // program took the sheet away), no cell is read any more.
    void retarget(const SheetCells* sheet) { m_sheet = sheet; }

    // A Null value when there is no such cell or no current record. Inline: a load reads a million fields.
    const CellValue& field(int column) const
    {
        const SheetCells::Cell* cell = column < 0 || Eof() ? nullptr : cellAt(m_row, column);
        return cell ? cell->value() : null();
    }
    const SheetCells::Cell* cellAt(int row, int col) const { return m_sheet ? m_sheet->cell(row, col) : nullptr; }

private:
    static const CellValue& null();
    // Asks for the texts of a row the cursor will soon reach: read row by row, a large sheet would otherwise
    // wait on each text's memory, scattered over the heap.
    void prefetchTexts(int row) const;

    const SheetCells* m_sheet = nullptr;
    int m_headingRow = 0;
    QHash<QString, int> m_columns; // lower-case heading -> column
    int m_row = 0; // current sheet row
    int m_end = 0; // one past the last data row
    int m_visited = 0;
};
