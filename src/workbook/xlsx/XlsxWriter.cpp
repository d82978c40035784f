#include "workbook/xlsx/XlsxWriter.h"

#include "platform/AtomicFile.h"
#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/XmlScanner.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <map>

namespace {

using Token = XmlScanner::Token;

constexpr double kDate1904Offset = 1462;
const QByteArray kStylesType = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

void appendColumn(QByteArray& out, int col)
{
    char letters[4];
    int n = 0;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters[n++] = char('A' + (c - 1) % 26);
    while (n > 0)
        out.append(letters[--n]);
}

void appendInt(QByteArray& out, long long value)
{
    char digits[24];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end - digits);
}

void appendReference(QByteArray& out, int col, int row)
{
    appendColumn(out, col);
    appendInt(out, row + 1);
}

// Text for an element or attribute: the markup characters as references, the characters XML 1.0 cannot
// hold (and a literal "_x" that would read as one) as _xHHHH_ escapes.
void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    qsizetype from = 0;
    const auto flush = [&](qsizetype at, const char* replacement) {
        out.append(utf8.constData() + from, at - from);
        out.append(replacement);
        from = at + 1;
    };
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8.at(i));
        if (c == '&')
            flush(i, "&amp;");
        else if (c == '<')
            flush(i, "&lt;");
        else if (c == '>')
            flush(i, "&gt;");
        else if (c == '"')
            flush(i, "&quot;");
        else if (c == '_' && i + 1 < utf8.size() && utf8.at(i + 1) == 'x')
            flush(i, "_x005F_");
        else if (c < 0x20 && c != '\t' && c != '\n') {
            char escape[8];
            std::snprintf(escape, sizeof escape, "_x%04X_", c);
            flush(i, escape);
        }
    }
    out.append(utf8.constData() + from, utf8.size() - from);
}

QByteArray errorText(double code)
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

// Writes rewritten cells in the sheet's own namespace prefix.
class CellWriter
{
public:
    CellWriter(QByteArray& out, const QByteArray& prefix, bool date1904)
        : m_out(out)
        , m_prefix(prefix)
        , m_date1904(date1904)
    {
    }

    void open(const char* name)
    {
        m_out.append('<');
        m_out.append(m_prefix);
        m_out.append(name);
    }
    void close(const char* name)
    {
        m_out.append("</");
        m_out.append(m_prefix);
        m_out.append(name);
        m_out.append('>');
    }

    void cell(const SheetCells::Cell& cell, int row)
    {
        const CellValue& value = cell.value;
        if (value.isNull() && cell.style == 0)
            return;
        open("c");
        m_out.append(" r=\"");
        appendReference(m_out, cell.col, row);
        m_out.append('"');
        if (cell.style != 0) {
            m_out.append(" s=\"");
            appendInt(m_out, cell.style);
            m_out.append('"');
        }
        double number = value.numberValue();
        if (value.isDate() && m_date1904)
            number -= kDate1904Offset;
        switch (value.type()) {
        case CellValue::Type::Null:
            m_out.append("/>");
            return;
        case CellValue::Type::Text:
            m_out.append(" t=\"inlineStr\">");
            open("is");
            m_out.append('>');
            open("t");
            m_out.append(" xml:space=\"preserve\">");
            appendEscaped(m_out, value.storedText());
            close("t");
            close("is");
            close("c");
            return;
        case CellValue::Type::Boolean:
            m_out.append(" t=\"b\">");
            return valueElement(value.numberValue() != 0 ? "1" : "0");
        case CellValue::Type::Error:
            m_out.append(" t=\"e\">");
            return valueElement(errorText(value.numberValue()));
        case CellValue::Type::Number:
        case CellValue::Type::Date:
            if (!std::isfinite(number)) {
                m_out.append(" t=\"e\">");
                return valueElement("#NUM!");
            }
            char digits[32];
            const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, number);
            m_out.append('>');
            return valueElement(QByteArray(digits, end - digits));
        }
    }

private:
    void valueElement(const QByteArray& text)
    {
        open("v");
        m_out.append('>');
        m_out.append(text);
        close("v");
        close("c");
    }

    QByteArray& m_out;
    const QByteArray& m_prefix;
    bool m_date1904;
};

struct OriginalCell
{
    int col;
    qsizetype start; // the cell's element in the part, start tag to end tag
    qsizetype end;
    qsizetype nameEnd; // just after "<c", where a missing r attribute goes
    bool hasReference;
};

struct OriginalRow
{
    qsizetype tagStart = -1; // the row's start tag
    qsizetype tagEnd = -1;
    bool selfClosing = false;
    std::vector<OriginalCell> cells;
};

class SheetRewriter
{
public:
    SheetRewriter(const QByteArray& xml, const XlsxSheet& sheet, bool date1904)
        : m_xml(xml)
        , m_sheet(sheet)
        , m_date1904(date1904)
    {
    }

    bool run(QByteArray* out, QString* why)
    {
        m_out.reserve(m_xml.size() + m_xml.size() / 4 + 4096);
        XmlScanner xml(m_xml);
        qsizetype copied = 0;
        while (xml.next() != Token::End) {
            if (xml.token() == Token::Invalid) {
                *why = QStringLiteral("a folha %1 não é XML válido: %2").arg(m_sheet.name, xml.error());
                return false;
            }
            if (xml.token() != Token::StartElement || xml.depth() != 2)
                continue;
            if (xml.name() == "dimension") {
                m_out.append(m_xml.constData() + copied, xml.tokenStart() - copied);
                m_prefix = xml.prefix().toByteArray();
                if (!m_prefix.isEmpty())
                    m_prefix.append(':');
                writeDimension();
                xml.skipElement();
                copied = xml.tokenEnd();
            } else if (xml.name() == "sheetData") {
                m_out.append(m_xml.constData() + copied, xml.tokenStart() - copied);
                m_prefix = xml.prefix().toByteArray();
                if (!m_prefix.isEmpty())
                    m_prefix.append(':');
                if (!readRows(xml, why))
                    return false;
                writeSheetData();
                copied = xml.tokenEnd();
            }
        }
        m_out.append(m_xml.constData() + copied, m_xml.size() - copied);
        *out = std::move(m_out);
        return true;
    }

private:
    bool readRows(XmlScanner& xml, QString* why)
    {
        int row = -1;
        int col = -1;
        const int depth = xml.depth();
        while (xml.next() != Token::End) {
            if (xml.token() == Token::Invalid) {
                *why = QStringLiteral("a folha %1 não é XML válido: %2").arg(m_sheet.name, xml.error());
                return false;
            }
            if (xml.token() == Token::EndElement && xml.depth() < depth)
                return true;
            if (xml.token() != Token::StartElement)
                continue;
            if (xml.name() == "row") {
                const QByteArrayView r = xml.rawAttribute("r");
                int number = row + 2;
                if (!r.isNull())
                    std::from_chars(r.begin(), r.end(), number);
                row = std::max(row + 1, number - 1);
                col = -1;
                if (size_t(row) >= m_rows.size())
                    m_rows.resize(size_t(row) + 1);
                OriginalRow& original = m_rows[size_t(row)];
                original.tagStart = xml.tokenStart();
                original.tagEnd = xml.tokenEnd();
                original.selfClosing = m_xml.at(xml.tokenEnd() - 2) == '/';
            } else if (xml.name() == "c" && row >= 0) {
                OriginalCell cell { col + 1, xml.tokenStart(), 0, 0, false };
                const QByteArrayView r = xml.rawAttribute("r");
                if (!r.isNull()) {
                    int letters = 0;
                    int c = 0;
                    while (letters < r.size() && r.at(letters) >= 'A' && r.at(letters) <= 'Z')
                        c = c * 26 + (r.at(letters++) - 'A' + 1);
                    cell.col = c - 1;
                    cell.hasReference = true;
                }
                col = cell.col;
                cell.nameEnd = xml.tokenStart() + 1 + xml.prefix().size() + (xml.prefix().isEmpty() ? 0 : 1) + 1;
                xml.skipElement();
                cell.end = xml.tokenEnd();
                m_rows[size_t(row)].cells.push_back(cell);
            } else {
                xml.skipElement();
            }
        }
        *why = QStringLiteral("a folha %1 termina dentro dos dados").arg(m_sheet.name);
        return false;
    }

    void writeDimension()
    {
        int lastRow = 0;
        int lastCol = 0;
        for (size_t r = 0; r < m_sheet.rows.size(); ++r) {
            if (!m_sheet.rows[r].empty()) {
                lastRow = int(r);
                lastCol = std::max(lastCol, int(m_sheet.rows[r].back().col));
            }
        }
        m_out.append('<');
        m_out.append(m_prefix);
        m_out.append("dimension ref=\"A1");
        if (lastRow > 0 || lastCol > 0) {
            m_out.append(':');
            appendReference(m_out, lastCol, lastRow);
        }
        m_out.append("\"/>");
    }

    void copyCell(const OriginalCell& cell, int row)
    {
        if (cell.hasReference) {
            m_out.append(m_xml.constData() + cell.start, cell.end - cell.start);
            return;
        }
        m_out.append(m_xml.constData() + cell.start, cell.nameEnd - cell.start);
        m_out.append(" r=\"");
        appendReference(m_out, cell.col, row);
        m_out.append('"');
        m_out.append(m_xml.constData() + cell.nameEnd, cell.end - cell.nameEnd);
    }

    // The row's start tag as read, but for r (written again) and spans (which written cells may pass).
    void copyRowTag(const OriginalRow& original, int row, bool empty)
    {
        XmlScanner tag(QByteArrayView(m_xml).sliced(original.tagStart, original.tagEnd - original.tagStart));
        tag.next();
        m_out.append('<');
        m_out.append(m_prefix);
        m_out.append("row r=\"");
        appendInt(m_out, row + 1);
        m_out.append('"');
        for (const XmlScanner::Attribute& attribute : tag.attributes()) {
            if (attribute.name != "r" && attribute.name != "spans") {
                m_out.append(' ');
                m_out.append(attribute.whole);
            }
        }
        m_out.append(empty ? "/>" : ">");
    }

    void writeSheetData()
    {
        CellWriter writer(m_out, m_prefix, m_date1904);
        writer.open("sheetData");
        m_out.append('>');
        static const std::vector<SheetCells::Cell> noCells;
        static const OriginalRow noRow;
        const size_t rowCount = std::max(m_rows.size(), m_sheet.rows.size());
        for (size_t r = 0; r < rowCount; ++r) {
            const auto& cells = r < m_sheet.rows.size() ? m_sheet.rows[r] : noCells;
            const OriginalRow& original = r < m_rows.size() ? m_rows[r] : noRow;
            // The written cells and the cells read, by column; a written cell takes the place of the one read.
            bool any = false;
            size_t a = 0;
            size_t b = 0;
            const auto rowOpened = [&] {
                if (any)
                    return;
                any = true;
                if (original.tagStart >= 0)
                    copyRowTag(original, int(r), false);
                else {
                    writer.open("row");
                    m_out.append(" r=\"");
                    appendInt(m_out, qint64(r) + 1);
                    m_out.append("\">");
                }
            };
            while (a < cells.size() || b < original.cells.size()) {
                const bool takeWritten
                    = a < cells.size() && (b >= original.cells.size() || cells[a].col <= original.cells[b].col);
                if (takeWritten) {
                    const SheetCells::Cell& cell = cells[a++];
                    if (b < original.cells.size() && original.cells[b].col == cell.col) {
                        if (!cell.rewritten) {
                            rowOpened();
                            copyCell(original.cells[b++], int(r));
                            continue;
                        }
                        ++b;
                    }
                    if (cell.rewritten && !(cell.value.isNull() && cell.style == 0)) {
                        rowOpened();
                        writer.cell(cell, int(r));
                    }
                } else {
                    rowOpened();
                    copyCell(original.cells[b++], int(r));
                }
            }
            if (any)
                writer.close("row");
            else if (original.tagStart >= 0)
                copyRowTag(original, int(r), true);
        }
        writer.close("sheetData");
    }

    const QByteArray& m_xml;
    const XlsxSheet& m_sheet;
    bool m_date1904;
    QByteArray m_out;
    QByteArray m_prefix;
    std::vector<OriginalRow> m_rows;
};

// The XML of a part with one element's attribute set (added when missing), or the part unchanged when the
// element is not there.
QByteArray withAttribute(const QByteArray& xml, QByteArrayView element, QByteArrayView name, QByteArrayView value)
{
    XmlScanner scan(xml);
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement || scan.name() != element)
            continue;
        QByteArray out = xml.left(scan.tokenStart());
        const QByteArrayView tag = QByteArrayView(xml).sliced(scan.tokenStart(), scan.tokenEnd() - scan.tokenStart());
        const QByteArrayView old = scan.rawAttribute(name);
        if (!old.isNull()) {
            const qsizetype at = old.data() - xml.constData();
            out = xml.left(at) + value.toByteArray() + xml.mid(at + old.size());
            return out;
        }
        const qsizetype nameEnd = 1 + scan.prefix().size() + (scan.prefix().isEmpty() ? 0 : 1) + element.size();
        out.append(tag.first(nameEnd));
        out.append(' ');
        out.append(name);
        out.append("=\"");
        out.append(value);
        out.append('"');
        out.append(tag.sliced(nameEnd));
        out.append(xml.mid(scan.tokenEnd()));
        return out;
    }
    return xml;
}

// The part without the first element named so that has the attribute at that value (a relationship or a
// content type override).
QByteArray withoutElement(const QByteArray& xml, QByteArrayView element, QByteArrayView attribute, const QString& value)
{
    XmlScanner scan(xml);
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement || scan.name() != element || scan.attribute(attribute) != value)
            continue;
        const qsizetype start = scan.tokenStart();
        scan.skipElement();
        return xml.left(start) + xml.mid(scan.tokenEnd());
    }
    return xml;
}

// Puts text just before the end tag of the first element named so, raising its count attribute by one; when
// there is no such element, the element is made just after the start tag of `parent`.
bool appendChild(QByteArray& xml, QByteArrayView element, QByteArrayView parent, const QByteArray& child)
{
    XmlScanner scan(xml);
    qsizetype parentEnd = -1;
    QByteArray prefix;
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() != Token::StartElement)
            continue;
        if (scan.name() == parent && parentEnd < 0) {
            parentEnd = scan.tokenEnd();
            prefix = scan.prefix().isEmpty() ? QByteArray() : scan.prefix().toByteArray() + ':';
        }
        if (scan.name() != element)
            continue;
        const QByteArrayView count = scan.rawAttribute("count");
        const qsizetype countAt = count.isNull() ? -1 : count.data() - xml.constData();
        const qsizetype countSize = count.size();
        int n = 0;
        if (!count.isNull())
            std::from_chars(count.begin(), count.end(), n);
        const qsizetype tagStart = scan.tokenStart();
        const bool selfClosing = xml.at(scan.tokenEnd() - 2) == '/';
        QByteArray elementPrefix = scan.prefix().isEmpty() ? QByteArray() : scan.prefix().toByteArray() + ':';
        scan.skipElement();
        if (scan.token() == Token::Invalid)
            return false;
        if (selfClosing) {
            const qsizetype end = scan.tokenEnd();
            QByteArray tag = xml.mid(tagStart, end - tagStart - 2);
            xml = xml.left(tagStart) + tag + '>' + child + "</" + elementPrefix + element.toByteArray() + '>'
                + xml.mid(end);
        } else {
            xml.insert(scan.tokenStart(), child);
        }
        if (countAt >= 0)
            xml.replace(countAt, countSize, QByteArray::number(n + 1));
        return true;
    }
    if (parentEnd < 0)
        return false;
    xml.insert(parentEnd,
        '<' + prefix + element.toByteArray() + " count=\"1\">" + child + "</" + prefix + element.toByteArray() + '>');
    return true;
}

// The first cellXfs entry's font, fill, border and cell style, which the date style copies.
QByteArray defaultXfAttributes(const QByteArray& styles)
{
    XmlScanner scan(styles);
    bool inCellXfs = false;
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() == Token::StartElement && scan.name() == "cellXfs")
            inCellXfs = true;
        if (scan.token() == Token::StartElement && scan.name() == "xf" && inCellXfs) {
            QByteArray attributes;
            for (const char* name : { "fontId", "fillId", "borderId", "xfId" }) {
                const QByteArrayView value = scan.rawAttribute(name);
                if (!value.isNull())
                    attributes += ' ' + QByteArray(name) + "=\"" + value.toByteArray() + '"';
            }
            return attributes;
        }
    }
    return {};
}

bool addDateStyle(const XlsxWorkbook& book, QByteArray& styles, QString* why)
{
    const QByteArray format = QByteArray::number(book.xfFormats[size_t(book.addedDateXf)]);
    bool ok = true;
    if (book.addedFormat >= 0) {
        QByteArray code;
        appendEscaped(code, book.formats.value(book.addedFormat));
        ok = appendChild(
            styles, "numFmts", "styleSheet", "<numFmt numFmtId=\"" + format + "\" formatCode=\"" + code + "\"/>");
    }
    const QByteArray xf = "<xf numFmtId=\"" + format + '"' + defaultXfAttributes(styles) + " applyNumberFormat=\"1\"/>";
    if (!ok || !appendChild(styles, "cellXfs", "styleSheet", xf)) {
        *why = QStringLiteral("não foi possível acrescentar o formato de data aos estilos do livro");
        return false;
    }
    return true;
}

const QByteArray kMinimalStyles = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                  "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                  "<fonts count=\"1\"><font><sz val=\"10\"/><name val=\"Arial\"/></font></fonts>"
                                  "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                                  "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                                  "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border>"
                                  "</borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
                                  "borderId=\"0\"/></cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" "
                                  "fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs></styleSheet>";

struct Parts
{
    std::map<QString, QByteArray> replaced;
    std::vector<QString> removed;

    bool read(const XlsxWorkbook& book, const QString& part, QByteArray* data, QString* why)
    {
        const auto done = replaced.find(part);
        if (done != replaced.end()) {
            *data = done->second;
            return true;
        }
        return book.package.read(part, data, why);
    }
};

bool writeStyles(const XlsxWorkbook& book, Parts& parts, QString* why)
{
    QByteArray styles;
    QString stylesPart = book.stylesPart;
    if (stylesPart.isEmpty()) {
        // A package without styles gets the plainest, and the relationship and content type that name it.
        stylesPart = QStringLiteral("xl/tarvik-styles.xml");
        styles = kMinimalStyles;
        QByteArray rels;
        const QString relsPart = XlsxPackage::relationshipsOf(book.workbookPart);
        QByteArray types;
        if (!parts.read(book, relsPart, &rels, why)
            || !parts.read(book, QStringLiteral("[Content_Types].xml"), &types, why))
            return false;
        QString target;
        const QString relative = stylesPart.mid(book.workbookPart.lastIndexOf(u'/') + 1);
        if (!appendChild(rels, "Relationships", "Relationships",
                "<Relationship Id=\"rIdTarvikStyles\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships/styles\" Target=\""
                    + relative.toUtf8() + "\"/>")
            || !appendChild(types, "Types", "Types",
                "<Override PartName=\"/" + stylesPart.toUtf8() + "\" ContentType=\"" + kStylesType + "\"/>")) {
            *why = QStringLiteral("não foi possível acrescentar os estilos ao livro");
            return false;
        }
        parts.replaced[relsPart] = rels;
        parts.replaced[QStringLiteral("[Content_Types].xml")] = types;
    } else if (!book.package.read(stylesPart, &styles, why)) {
        return false;
    }
    if (!addDateStyle(book, styles, why))
        return false;
    parts.replaced[stylesPart] = styles;
    return true;
}

// Excel calls a workbook damaged whose calculation chain names cells that are no longer formulas.
bool dropCalculationChain(const XlsxWorkbook& book, Parts& parts, QString* why)
{
    const QString relsPart = XlsxPackage::relationshipsOf(book.workbookPart);
    QByteArray rels;
    if (!book.package.contains(relsPart) || !parts.read(book, relsPart, &rels, why))
        return book.package.contains(relsPart) ? false : true;
    XmlScanner scan(rels);
    QString target;
    QString id;
    while (scan.next() != Token::End && scan.token() != Token::Invalid) {
        if (scan.token() == Token::StartElement && scan.name() == "Relationship"
            && scan.attribute("Type").endsWith(QStringLiteral("/calcChain"))
            && XlsxPackage::resolveTarget(book.workbookPart, scan.attribute("Target"), &target))
            id = scan.attribute("Id");
    }
    if (id.isEmpty())
        return true;
    parts.replaced[relsPart] = withoutElement(rels, "Relationship", "Id", id);
    QByteArray types;
    if (!parts.read(book, QStringLiteral("[Content_Types].xml"), &types, why))
        return false;
    parts.replaced[QStringLiteral("[Content_Types].xml")]
        = withoutElement(types, "Override", "PartName", u'/' + book.package.partName(target));
    parts.removed.push_back(target);
    // Formulas over the cells written are worked out again when Excel opens the workbook.
    QByteArray workbook;
    if (!parts.read(book, book.workbookPart, &workbook, why))
        return false;
    parts.replaced[book.workbookPart] = withAttribute(workbook, "calcPr", "fullCalcOnLoad", "1");
    return true;
}

} // namespace

namespace XlsxWriter {

bool toBytes(const XlsxWorkbook& book, QByteArray* bytes, QString* error)
{
    Parts parts;
    QString why;
    for (const XlsxSheet& sheet : book.sheets) {
        if (!sheet.modified)
            continue;
        if (sheet.rowCount > XlsxWorkbook::kMaxRows) {
            *error = QStringLiteral("A folha %1 ficaria com %2 linhas, mas uma folha do Excel só leva %3 linhas.")
                         .arg(sheet.name)
                         .arg(sheet.rowCount)
                         .arg(XlsxWorkbook::kMaxRows);
            return false;
        }
        QByteArray original;
        QByteArray rewritten;
        if (!book.package.read(sheet.part, &original, &why)
            || !SheetRewriter(original, sheet, book.date1904).run(&rewritten, &why)) {
            *error = QStringLiteral("Não foi possível gravar o livro: %1. Nada foi gravado.").arg(why);
            return false;
        }
        parts.replaced[sheet.part] = std::move(rewritten);
    }
    const bool anySheet = !parts.replaced.empty();
    if ((book.dateXfAppended && !writeStyles(book, parts, &why))
        || (anySheet && !dropCalculationChain(book, parts, &why))
        || !book.package.compose(parts.replaced, parts.removed, bytes, &why)) {
        *error = QStringLiteral("Não foi possível gravar o livro: %1. Nada foi gravado.").arg(why);
        return false;
    }
    return true;
}

bool save(const XlsxWorkbook& book, const QString& path, QString* error)
{
    QByteArray bytes;
    return toBytes(book, &bytes, error) && AtomicFile::replace(path, bytes, error);
}

} // namespace XlsxWriter
