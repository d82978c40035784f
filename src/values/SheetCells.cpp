#include "values/SheetCells.h"

#include <algorithm>

namespace {

// Where col stands, or would stand, among a row's cells, which are kept in column order.
template <typename Cells> auto placeOf(Cells& cells, int col)
{
    return std::lower_bound(
        cells.begin(), cells.end(), col, [](const SheetCells::Cell& c, int wanted) { return c.col < wanted; });
}

} // namespace

const SheetCells::Cell* SheetCells::searchRow(const std::vector<Cell>& cells, int col)
{
    const auto it = placeOf(cells, col);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

void SheetCells::setCell(int row, const Cell& cell)
{
    if (size_t(row) >= rows.size())
        rows.resize(size_t(row) + 1);
    auto& cells = rows[size_t(row)];
    const auto it = placeOf(cells, cell.col);
    if (it != cells.end() && it->col == cell.col)
        *it = cell;
    else
        cells.insert(it, cell);
}
