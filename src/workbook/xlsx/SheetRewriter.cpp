#include "workbook/xlsx/SheetRewriter.h"

#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/XmlScanner.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

using Token = XmlScanner::Token;

constexpr double kDate1904Offset = 1462;

QByteArrayView errorText(double code)
{
    switch (int(code)) {
    case 0x00:
        return "#NULL!";
    case 0x07:
        return "#DIV/0!";
    case 0x0F:
        return "#VALUE!";
    case 0x17:
        return "#REF!";
    case 0x1D:
        return "#NAME?";
    case 0x24:
        return "#NUM!";
    default:
        return "#N/A";
    }
}

} // namespace

SheetRewriter::SheetRewriter(const QByteArray& xml, const XlsxSheet& sheet, bool date1904)
    : m_xml(xml)
    , m_sheet(sheet)
    , m_date1904(date1904)
    , m_out(1 << 20, &m_deflater)
{
    for (const XlsxSheet::SharedFormula& shared : sheet.sharedFormulas) {
        const SheetCells::Cell* cell = sheet.cell(shared.row, shared.col);
        if (cell && cell->rewritten)
            m_lostFormulas.push_back(shared.si);
    }
}

bool SheetRewriter::needsPart(const XlsxSheet& sheet)
{
    for (const auto& row : sheet.rows) {
        for (const auto& cell : row) {
            if (!cell.rewritten)
                return true;
        }
    }
    return false;
}

bool SheetRewriter::run(QByteArray* archive, QString* why)
{
    if (needsPart(m_sheet) && m_sheet.sheetDataEnd > m_xml.size()) {
        *why = QStringLiteral("a folha %1 mudou desde que foi lida").arg(m_sheet.name);
        return false;
    }
    const QByteArrayView before = m_sheet.beforeData;
    if (m_sheet.dimensionAt >= 0) {
        m_out.append(before.first(m_sheet.dimensionAt));
        writeDimension();
        m_out.append(before.sliced(m_sheet.dimensionAt));
    } else {
        m_out.append(before);
    }
    if (!writeSheetData(why))
        return false;
    m_out.append(m_sheet.afterData);
    m_out.flush();
    if (!m_deflater.finish(archive)) {
        *why = QStringLiteral("a folha %1 ficaria com mais de %2 MB de XML, mais do que um livro pode ler")
                   .arg(m_sheet.name)
                   .arg(XlsxPackage::kMaxPartSize >> 20);
        return false;
    }
    return true;
}

void SheetRewriter::copy(qsizetype from, qsizetype to)
{
    m_out.append(QByteArrayView(m_xml.constData() + from, to - from));
}

void SheetRewriter::open(QByteArrayView name)
{
    m_out.append('<');
    m_out.append(m_sheet.prefix);
    m_out.append(name);
}

void SheetRewriter::close(QByteArrayView name)
{
    m_out.append("</");
    m_out.append(m_sheet.prefix);
    m_out.append(name);
    m_out.append('>');
}

void SheetRewriter::writeDimension()
{
    int lastRow = 0;
    int lastCol = 0;
    for (size_t r = 0; r < m_sheet.rows.size(); ++r) {
        if (!m_sheet.rows[r].empty()) {
            lastRow = int(r);
            lastCol = std::max(lastCol, int(m_sheet.rows[r].back().col));
        }
    }
    open("dimension");
    m_out.append(" ref=\"A1");
    if (lastRow > 0 || lastCol > 0) {
        m_out.append(':');
        m_out.appendReference(lastCol, lastRow);
    }
    m_out.append("\"/>");
}

bool SheetRewriter::readRow(qsizetype at, std::vector<OriginalCell>* cells, QString* why)
{
    cells->clear();
    XmlScanner xml(QByteArrayView(m_xml).sliced(at, m_sheet.sheetDataEnd - at));
    xml.next();
    if (xml.token() != Token::StartElement || !xml.isNamed("row")) {
        *why = QStringLiteral("a folha %1 mudou desde que foi lida").arg(m_sheet.name);
        return false;
    }
    int col = -1;
    while (xml.next() == Token::StartElement || xml.token() == Token::Text) {
        if (xml.token() == Token::Text)
            continue;
        OriginalCell cell { col + 1, at + xml.tokenStart(), 0, 0, false };
        // Where a missing r attribute goes: after "<", the element's own prefix and "c".
        cell.nameEnd = cell.start + 1 + (xml.prefix().isEmpty() ? 0 : xml.prefix().size() + 1) + 1;
        const QByteArrayView r = xml.rawAttribute("r");
        if (!r.isNull()) {
            int c = 0;
            for (qsizetype i = 0; i < r.size() && std::isalpha(static_cast<unsigned char>(r.at(i))); ++i)
                c = c * 26 + (std::toupper(static_cast<unsigned char>(r.at(i))) - 'A' + 1);
            cell.col = c - 1;
            cell.hasReference = true;
        }
        col = cell.col;
        const bool isCell = xml.isNamed("c");
        const int depth = xml.depth();
        while (xml.nextChild(depth)) {
            const bool lost = xml.isNamed("f") && xml.rawAttribute("t") == "shared" && !xml.hasAttribute("ref")
                && std::find(m_lostFormulas.begin(), m_lostFormulas.end(), xml.rawAttribute("si").toInt())
                    != m_lostFormulas.end();
            if (lost)
                cell.formulaStart = at + xml.tokenStart();
            xml.skipElement();
            if (lost)
                cell.formulaEnd = at + xml.tokenEnd();
        }
        cell.end = at + xml.tokenEnd();
        if (isCell && xml.token() != Token::Invalid)
            cells->push_back(cell);
    }
    if (xml.token() == Token::Invalid) {
        *why = QStringLiteral("a folha %1 não é XML válido: %2").arg(m_sheet.name, xml.error());
        return false;
    }
    return true;
}

void SheetRewriter::copyCell(const OriginalCell& cell, int row)
{
    qsizetype from = cell.start;
    if (!cell.hasReference) {
        // A cell that had its place from the one before it is given its reference: cells may now come
        // before it.
        copy(cell.start, cell.nameEnd);
        m_out.append(" r=\"");
        m_out.appendReference(cell.col, row);
        m_out.append('"');
        from = cell.nameEnd;
    }
    // Without a formula shared from a cell written over, the cell keeps its value, as Excel would show it.
    if (cell.formulaStart >= 0) {
        copy(from, cell.formulaStart);
        from = cell.formulaEnd;
    }
    copy(from, cell.end);
}

void SheetRewriter::openRow(int row, bool empty)
{
    open("row");
    m_out.append(" r=\"");
    m_out.appendInt(row + 1);
    m_out.append('"');
    if (size_t(row) < m_sheet.rowAttributes.size())
        m_out.append(m_sheet.rowAttributes[size_t(row)]);
    m_out.append(empty ? "/>" : ">");
}

void SheetRewriter::writeCell(const SheetCells& sheet, size_t index, int row)
{
    const SheetCells::Cell& cell = sheet.rows[size_t(row)][index];
    const CellValue& value = cell.value();
    if (value.isNull() && cell.style == 0)
        return;
    open("c");
    m_out.append(" r=\"");
    m_out.appendReference(cell.col, row);
    m_out.append('"');
    if (cell.style != 0) {
        m_out.append(" s=\"");
        m_out.appendInt(cell.style);
        m_out.append('"');
    }
    const auto valueElement = [&](const auto& write) {
        open("v");
        m_out.append('>');
        write();
        close("v");
        close("c");
    };
    double number = value.numberValue();
    switch (value.type()) {
    case CellValue::Type::Null:
        m_out.append("/>");
        return;
    case CellValue::Type::Text:
        m_out.append(" t=\"inlineStr\">");
        open("is");
        m_out.append('>');
        open("t");
        // Blanks at either end are kept only when asked.
        if (const QString& text = value.storedText();
            !text.isEmpty() && (text.front().isSpace() || text.back().isSpace()))
            m_out.append(" xml:space=\"preserve\"");
        m_out.append('>');
        m_out.appendText(value.storedText());
        close("t");
        close("is");
        close("c");
        return;
    case CellValue::Type::Boolean:
        m_out.append(" t=\"b\">");
        return valueElement([&] { m_out.append(number != 0 ? '1' : '0'); });
    case CellValue::Type::Error:
        m_out.append(" t=\"e\">");
        return valueElement([&] { m_out.append(errorText(number)); });
    case CellValue::Type::Date:
        if (m_date1904)
            number -= kDate1904Offset;
        [[fallthrough]];
    case CellValue::Type::Number:
        if (!std::isfinite(number)) {
            m_out.append(" t=\"e\">");
            return valueElement([&] { m_out.append("#NUM!"); });
        }
        m_out.append('>');
        return valueElement([&] { m_out.appendNumber(number); });
    }
}

bool SheetRewriter::writeSheetData(QString* why)
{
    open("sheetData");
    m_out.append('>');
    std::vector<OriginalCell> original;
    const size_t rowCount = std::max(m_sheet.rowTags.size(), m_sheet.rows.size());
    for (size_t r = 0; r < rowCount; ++r) {
        const bool modelled = r < m_sheet.rows.size();
        const auto* first = modelled ? m_sheet.rows[r].data() : nullptr;
        const auto* last = modelled ? first + m_sheet.rows[r].size() : nullptr;
        const bool inPart = r < m_sheet.rowTags.size() && m_sheet.rowTags[r] != XlsxSheet::kNoRow;
        // Only a row holding cells the program did not write needs the part's cells.
        const bool keepsCells = inPart && std::any_of(first, last, [](const auto& c) { return !c.rewritten; });
        original.clear();
        if (keepsCells && !readRow(m_sheet.rowTags[r], &original, why))
            return false;
        const bool any = std::any_of(
            first, last, [](const auto& c) { return !c.rewritten || !c.value().isNull() || c.style != 0; });
        if (!any && !inPart)
            continue;
        openRow(int(r), !any);
        if (!any)
            continue;
        // The written cells and the cells kept, by column; a written cell takes the place of the one read.
        size_t b = 0;
        for (size_t i = 0; first + i != last; ++i) {
            const SheetCells::Cell& cell = first[i];
            while (b < original.size() && original[b].col < cell.col)
                copyCell(original[b++], int(r));
            const bool sameColumn = b < original.size() && original[b].col == cell.col;
            if (cell.rewritten)
                writeCell(m_sheet, i, int(r));
            else if (sameColumn)
                copyCell(original[b], int(r));
            if (sameColumn)
                ++b;
        }
        while (b < original.size())
            copyCell(original[b++], int(r));
        close("row");
    }
    close("sheetData");
    return true;
}
