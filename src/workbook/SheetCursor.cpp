#include "workbook/SheetCursor.h"

#include <algorithm>

SheetCursor::SheetCursor(const SheetCells& sheet)
    : m_sheet(&sheet)
{
    const auto blank = [&sheet](int row) {
        return size_t(row) >= sheet.rows.size()
            || std::none_of(sheet.rows[size_t(row)].begin(), sheet.rows[size_t(row)].end(),
                [](const SheetCells::Cell& c) { return !c.value().isNull(); });
    };
    while (m_headingRow < sheet.rowCount && blank(m_headingRow))
        ++m_headingRow;
    if (m_headingRow < sheet.rowCount && !blank(m_headingRow)) {
        for (const SheetCells::Cell& c : sheet.rows[size_t(m_headingRow)]) {
            const QString name = c.value().toText().trimmed().toLower();
            if (!name.isEmpty() && !m_columns.contains(name))
                m_columns.insert(name, c.col);
        }
    }
    m_row = m_headingRow + 1;
    m_end = std::max(sheet.rowCount, m_row);
}

void SheetCursor::MoveFirst()
{
    m_row = m_headingRow + 1;
    m_visited = std::max(m_visited, 1);
}

void SheetCursor::prefetchTexts(int row) const
{
#if defined(__GNUC__)
    if (!m_sheet || row < 0 || size_t(row) >= m_sheet->rows.size())
        return;
    for (const SheetCells::Cell& c : m_sheet->rows[size_t(row)]) {
        if (c.value().isText())
            __builtin_prefetch(c.value().storedText().constData());
    }
#else
    Q_UNUSED(row);
#endif
}

void SheetCursor::MoveNext()
{
    constexpr int kPrefetchRows = 8;
    if (m_row < m_end)
        ++m_row;
    prefetchTexts(m_row + kPrefetchRows);
    m_visited = std::max(m_visited, std::min(m_row, m_end - 1) - m_headingRow);
}

void SheetCursor::MoveLast()
{
    if (!hasRecords()) {
        m_visited = 0;
        return;
    }
    m_row = m_end - 1;
    m_visited = m_end - 1 - m_headingRow;
}

const CellValue& SheetCursor::null()
{
    static const CellValue none;
    return none;
}
