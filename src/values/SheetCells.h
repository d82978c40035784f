#pragma once
#include "values/CellValue.h"

#include <QString>

#include <utility>
#include <vector>

// The cells of one worksheet as values, by row and column, whatever file format they came in.
struct SheetCells
{
    // A cell is its value, with its column and format beside it: built on the value, they take its spare bytes,
    // 32 bytes a cell rather than 40 for the million cells of a full workbook.
    struct Cell : CellValue
    {
        Cell() = default;
        Cell(quint16 column, quint16 format, bool written, CellValue v)
            : CellValue(std::move(v))
            , col(column)
            , style(format)
            , rewritten(written)
        {
        }
        const CellValue& value() const { return *this; }

        quint16 col = 0;
        // An XF index in .xls, a cellXfs index (the s attribute) in .xlsx.
        quint16 style = 0; // Excel holds at most 64,000 formats
        // Set when the program wrote the cell; the others go back to the file as they were read.
        bool rewritten = false;
        // The last result of a formula: the same value written over it still takes the formula's place.
        bool formula = false;
    };

    QString name;
    bool isWorksheet = false; // charts and macro sheets are only carried along
    std::vector<std::vector<Cell>> rows; // each row's cells by column, up to the last row with cells
    int rowCount = 0; // rows 0..rowCount-1 belong to the sheet, blank ones included
    bool modified = false;

    // The cell at row and col, nullptr when the sheet holds none there. Inline: a save asks for every cell.
    const Cell* cell(int row, int col) const
    {
        if (row < 0 || size_t(row) >= rows.size())
            return nullptr;
        const auto& cells = rows[size_t(row)];
        // A table's rows hold a cell in every column from A: the cell is then at its column's place.
        if (col >= 0 && size_t(col) < cells.size() && cells[size_t(col)].col == col)
            return &cells[size_t(col)];
        return searchRow(cells, col);
    }
    Cell* cell(int row, int col) { return const_cast<Cell*>(std::as_const(*this).cell(row, col)); }
    // Puts cell in row, in its column's place, replacing the one there; the row is added when missing.
    void setCell(int row, const Cell& cell);

private:
    static const Cell* searchRow(const std::vector<Cell>& cells, int col);
};

// The sheet named so among sheets, with or without the "$" a record source ends in: the same case first,
// then any case; nullptr when there is none.
template <typename Sheets> auto findSheet(Sheets& sheets, const QString& name) -> decltype(&sheets.front())
{
    const QString wanted = name.endsWith(u'$') ? name.chopped(1) : name;
    for (auto& s : sheets) {
        if (s.name == wanted)
            return &s;
    }
    for (auto& s : sheets) {
        if (s.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}
