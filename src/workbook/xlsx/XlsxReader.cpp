#include "workbook/xlsx/XlsxReader.h"

#include "values/Conversions.h"
#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/XmlScanner.h"

#include <QDateTime>

#include <charconv>
#include <cmath>
#include <future>

namespace {

using Token = XmlScanner::Token;

// Days between the 1900 and the 1904 date systems.
constexpr double kDate1904Offset = 1462;
constexpr int kMaxColumns = 16384;

struct Damaged
{
    QString why;
};

struct Relationship
{
    QString type; // the last segment of the type URI: "worksheet", "styles", "officeDocument", ...
    QString target; // the part it names, resolved
};

// Transitional and Strict name relationship types under different roots; the last segment is the same.
QString lastSegment(const QString& uri)
{
    return uri.mid(uri.lastIndexOf(u'/') + 1);
}

void check(const XmlScanner& xml, const QString& part)
{
    if (xml.token() == Token::Invalid)
        throw Damaged { QStringLiteral("a parte %1 não é XML válido: %2").arg(part, xml.error()) };
}

QByteArray readPart(const XlsxPackage& package, const QString& part)
{
    QByteArray data;
    QString why;
    if (!package.read(part, &data, &why))
        throw Damaged { why };
    return data;
}

QHash<QString, Relationship> relationships(const XlsxPackage& package, const QString& source)
{
    QHash<QString, Relationship> found;
    const QString part = XlsxPackage::relationshipsOf(source);
    if (!package.contains(part))
        return found;
    const QByteArray data = readPart(package, part);
    XmlScanner xml(data);
    while (xml.next() != Token::End) {
        check(xml, part);
        if (xml.token() != Token::StartElement || !xml.isNamed("Relationship"))
            continue;
        if (xml.attribute("TargetMode").compare(u"External", Qt::CaseInsensitive) == 0)
            continue;
        Relationship r { lastSegment(xml.attribute("Type")), QString() };
        if (!XlsxPackage::resolveTarget(source, xml.attribute("Target"), &r.target))
            throw Damaged { QStringLiteral("uma relação de %1 aponta para fora do pacote (%2)")
                                .arg(source, xml.attribute("Target").left(80)) };
        found.insert(xml.attribute("Id"), r);
    }
    return found;
}

// Whether a value's text holds an entity or character reference. Values are short: a loop beats memchr.
bool hasReference(QByteArrayView text)
{
    for (const char c : text) {
        if (c == '&')
            return true;
    }
    return false;
}

// A piece of a part quoted in a message, kept short.
QString shown(QByteArrayView text)
{
    return QString::fromUtf8(text.first(std::min<qsizetype>(text.size(), 30)));
}

int toInt(QByteArrayView text, int fallback)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.begin(), text.end(), value);
    return ec == std::errc() && end == text.end() ? value : fallback;
}

// "AB12" -> column 27, row 11 (both from 0); false when it is no cell reference.
bool parseReference(QByteArrayView ref, int* col, int* row)
{
    qsizetype i = 0;
    int c = 0;
    while (i < ref.size() && i < 4) {
        const char ch = ref.at(i);
        const char upper = ch >= 'a' && ch <= 'z' ? char(ch - 32) : ch;
        if (upper < 'A' || upper > 'Z')
            break;
        c = c * 26 + (upper - 'A' + 1);
        ++i;
    }
    if (i == 0 || c > kMaxColumns)
        return false;
    const int r = toInt(ref.sliced(i), 0);
    if (r < 1 || r > XlsxWorkbook::kMaxRows)
        return false;
    *col = c - 1;
    *row = r - 1;
    return true;
}

// Text in an attribute-free string type may carry _xHHHH_ escapes for characters XML cannot hold.
void unescapeXstring(QString& text)
{
    qsizetype at = text.indexOf(QLatin1String("_x"));
    if (at < 0)
        return;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (at >= 0) {
        bool ok = at + 7 <= text.size() && text.at(at + 6) == u'_';
        const uint code = ok ? QStringView(text).sliced(at + 2, 4).toUInt(&ok, 16) : 0;
        if (ok) {
            out.append(QStringView(text).sliced(from, at - from));
            out.append(QChar(char16_t(code)));
            from = at + 7;
            at = text.indexOf(QLatin1String("_x"), from);
        } else {
            at = text.indexOf(QLatin1String("_x"), at + 1);
        }
    }
    out.append(QStringView(text).sliced(from));
    text = std::move(out);
}

// An ISO 8601 date, date and time, or time (t="d") as a day number; read as written, with no time zone, so
// that no moment falls in a change of clocks. Text that is none of them stays text.
CellValue isoDate(QByteArrayView raw)
{
    const QString text = QString::fromLatin1(raw.trimmed());
    const qsizetype t = text.indexOf(u'T');
    const bool timeOnly = t < 0 && text.contains(u':');
    const QDate day
        = timeOnly ? QDate(1899, 12, 30) : QDate::fromString(text.left(t < 0 ? text.size() : t), Qt::ISODate);
    QString clock = timeOnly ? text : t < 0 ? QString() : text.mid(t + 1);
    while (clock.endsWith(u'Z'))
        clock.chop(1);
    const QTime time = clock.isEmpty() ? QTime(0, 0) : QTime::fromString(clock, Qt::ISODateWithMs);
    if (!day.isValid() || !time.isValid())
        return CellValue::text(text);
    return CellValue::date(Conversions::dayNumberFromDateTime(QDateTime(day, time, Qt::UTC)));
}

quint8 errorCode(QByteArrayView text)
{
    if (text == "#NULL!")
        return 0x00;
    if (text == "#DIV/0!")
        return 0x07;
    if (text == "#VALUE!")
        return 0x0F;
    if (text == "#REF!")
        return 0x17;
    if (text == "#NAME?")
        return 0x1D;
    if (text == "#NUM!")
        return 0x24;
    return 0x2A; // #N/A and whatever else
}

// A string item (<si>, <is>): its text, runs joined, phonetic readings left out; the scanner on its start.
QString stringItem(XmlScanner& xml, const QString& part)
{
    QString text;
    const int depth = xml.depth();
    while (xml.nextChild(depth)) {
        if (xml.isNamed("rPh") || xml.isNamed("rPr") || xml.isNamed("phoneticPr")) {
            xml.skipElement();
            check(xml, part);
        } else if (xml.isNamed("t")) {
            while (xml.next() == Token::Text)
                text += xml.text();
            check(xml, part);
        }
    }
    check(xml, part);
    unescapeXstring(text);
    return text;
}

class SheetReader
{
public:
    SheetReader(const XlsxWorkbook& book, const std::vector<QString>& strings, XlsxSheet* sheet)
        : m_book(book)
        , m_strings(strings)
        , m_sheet(sheet)
    {
    }

    void run(QByteArrayView data, const QString& part)
    {
        XmlScanner xml(data);
        int row = -1;
        int lastRowWithCells = -1;
        bool inSheetData = false;
        qsizetype copied = 0; // of the XML before sheetData, into beforeData
        while (xml.next() != Token::End) {
            check(xml, part);
            if (xml.token() == Token::EndElement) {
                if (inSheetData && xml.depth() == 1) {
                    inSheetData = false;
                    m_sheet->sheetDataEnd = xml.tokenEnd();
                    m_sheet->afterData = data.sliced(xml.tokenEnd()).toByteArray();
                }
                continue;
            }
            if (xml.token() != Token::StartElement)
                continue;
            if (!inSheetData) {
                if (xml.depth() == 2 && xml.isNamed("sheetData")) {
                    inSheetData = true;
                    m_sheet->beforeData += data.sliced(copied, xml.tokenStart() - copied).toByteArray();
                    m_sheet->prefix = xml.prefix().isEmpty() ? QByteArray() : xml.prefix().toByteArray() + ':';
                } else if (xml.depth() == 2 && xml.isNamed("dimension") && m_sheet->sheetDataEnd < 0) {
                    m_sheet->beforeData = data.sliced(0, xml.tokenStart()).toByteArray();
                    m_sheet->dimensionAt = xml.tokenStart();
                    xml.skipElement();
                    check(xml, part);
                    copied = xml.tokenEnd();
                }
                continue;
            }
            if (xml.isNamed("row")) {
                const QByteArrayView r = xml.rawAttribute("r");
                const int number = r.isNull() ? row + 2 : toInt(r, 0);
                if (number < 1 || number > XlsxWorkbook::kMaxRows || number - 1 <= row)
                    throw Damaged { QStringLiteral("a folha %1 tem uma linha %2 fora de ordem ou do limite")
                                        .arg(m_sheet->name, shown(r)) };
                row = number - 1;
                m_col = -1;
                if (m_sheet->rowTags.size() <= size_t(row)) {
                    m_sheet->rowTags.resize(size_t(row) + 1, XlsxSheet::kNoRow);
                    m_sheet->rowAttributes.resize(size_t(row) + 1);
                }
                m_sheet->rowTags[size_t(row)] = quint32(xml.tokenStart());
                m_sheet->rowAttributes[size_t(row)] = rowAttributes(xml);
            } else if (xml.isNamed("c")) {
                if (row < 0)
                    throw Damaged { QStringLiteral("a folha %1 tem uma célula fora de uma linha").arg(m_sheet->name) };
                cell(xml, part, row);
                lastRowWithCells = row;
            } else {
                xml.skipElement();
                check(xml, part);
            }
        }
        if (m_sheet->sheetDataEnd < 0)
            throw Damaged { QStringLiteral("a folha %1 não tem dados (sheetData)").arg(m_sheet->name) };
        m_sheet->rows.resize(size_t(lastRowWithCells + 1));
        m_sheet->rowCount = lastRowWithCells + 1;
    }

private:
    QByteArray rowAttributes(const XmlScanner& xml)
    {
        QByteArray kept;
        for (const XmlScanner::Attribute& attribute : xml.attributes()) {
            if (!XmlScanner::same(attribute.name, "r") && !XmlScanner::same(attribute.name, "spans")) {
                kept += ' ';
                kept += attribute.whole;
            }
        }
        if (kept.isEmpty())
            return kept;
        const auto seen = m_rowAttributes.constFind(kept);
        if (seen != m_rowAttributes.cend())
            return *seen;
        m_rowAttributes.insert(kept, kept);
        return kept;
    }

    void cell(XmlScanner& xml, const QString& part, int row)
    {
        int col = m_col + 1;
        int refRow = row;
        const QByteArrayView ref = xml.rawAttribute("r");
        if (!ref.isNull() && (!parseReference(ref, &col, &refRow) || refRow != row || col <= m_col))
            throw Damaged {
                QStringLiteral("a folha %1 tem a referência de célula %2 fora do lugar").arg(m_sheet->name, shown(ref))
            };
        if (col >= kMaxColumns)
            throw Damaged { QStringLiteral("a folha %1 passa da última coluna").arg(m_sheet->name) };
        m_col = col;
        const int style = toInt(xml.rawAttribute("s"), 0);
        const QByteArrayView type = xml.rawAttribute("t");
        CellValue value;
        // Most values are one run of text without references: read in place.
        QByteArrayView raw;
        QByteArray decoded;
        bool haveRaw = false;
        bool hasFormula = false;
        const int depth = xml.depth();
        while (xml.nextChild(depth)) {
            if (xml.isNamed("v")) {
                // A cell has one value; should a damaged one have several, the last counts.
                haveRaw = true;
                raw = QByteArrayView();
                decoded.clear();
                while (xml.next() == Token::Text) {
                    if (raw.isEmpty() && decoded.isEmpty() && !hasReference(xml.rawText())) {
                        raw = xml.rawText();
                    } else {
                        decoded = raw.toByteArray() + decoded + xml.text().toUtf8();
                        raw = QByteArrayView();
                    }
                }
                check(xml, part);
                if (!decoded.isEmpty())
                    raw = decoded;
            } else if (xml.isNamed("is")) {
                value = CellValue::text(stringItem(xml, part));
            } else {
                hasFormula = hasFormula || xml.isNamed("f");
                if (xml.isNamed("f") && xml.rawAttribute("t") == "shared" && xml.hasAttribute("ref"))
                    m_sheet->sharedFormulas.push_back({ toInt(xml.rawAttribute("si"), -1), row, col });
                xml.skipElement();
                check(xml, part);
            }
        }
        check(xml, part);
        if (haveRaw)
            value = decodeValue(type, raw, style);
        // A formula not worked out yet has no value, but must stay in the sheet.
        if (!value.isNull() || style != 0 || hasFormula) {
            if (size_t(row) >= m_sheet->rows.size())
                m_sheet->rows.resize(size_t(row) + 1);
            auto& cells = m_sheet->rows[size_t(row)];
            // Rows of a table are as wide as the one before: room for that many, rather than growth by doubling.
            if (cells.empty())
                cells.reserve(m_lastWidth);
            cells.emplace_back(quint16(col), quint16(style), false, std::move(value));
            m_lastWidth = std::max(cells.size(), size_t(1));
        }
    }

    CellValue decodeValue(QByteArrayView type, QByteArrayView raw, int style)
    {
        if (type == "s") {
            const int index = toInt(raw.trimmed(), -1);
            if (index < 0 || size_t(index) >= m_strings.size())
                throw Damaged { QStringLiteral("a folha %1 aponta para o texto partilhado %2, que não existe")
                                    .arg(m_sheet->name, shown(raw)) };
            return CellValue::text(m_strings[size_t(index)]);
        }
        if (type == "str" || type == "inlineStr") {
            QString text = QString::fromUtf8(raw);
            unescapeXstring(text);
            return CellValue::text(text);
        }
        if (type == "b")
            return CellValue::boolean(raw.trimmed() != "0" && raw.trimmed() != "false");
        if (type == "e")
            return CellValue::error(errorCode(raw.trimmed()));
        if (type == "d")
            return isoDate(raw);
        QByteArrayView number = raw.trimmed();
        if (number.isEmpty())
            return CellValue();
        if (number.front() == '+')
            number = number.sliced(1);
        double v = 0;
        const auto [end, ec] = std::from_chars(number.begin(), number.end(), v);
        if (ec != std::errc() || end != number.end() || !std::isfinite(v))
            throw Damaged {
                QStringLiteral("a folha %1 tem o número %2, que não se pode ler").arg(m_sheet->name, shown(raw))
            };
        if (m_book.isDateXf(style))
            return CellValue::date(m_book.date1904 ? v + kDate1904Offset : v);
        return CellValue::number(v);
    }

    const XlsxWorkbook& m_book;
    const std::vector<QString>& m_strings;
    XlsxSheet* m_sheet;
    int m_col = -1;
    size_t m_lastWidth = 1; // cells in the last row read
    QHash<QByteArray, QByteArray> m_rowAttributes; // so that rows written alike share one copy
};

class Reader
{
public:
    Reader(XlsxWorkbook* book)
        : m_book(book)
    {
    }

    void run()
    {
        const XlsxPackage& package = m_book->package;
        if (package.contains(QStringLiteral("mimetype"))) {
            if (readPart(package, QStringLiteral("mimetype")).startsWith("application/vnd.oasis.opendocument"))
                throw OpenDocument {};
        }
        QString workbookPart;
        for (const Relationship& r : relationships(package, QString())) {
            if (r.type == u"officeDocument")
                workbookPart = r.target;
        }
        if (workbookPart.isEmpty())
            throw NotWorkbook {};
        if (workbookPart.endsWith(QStringLiteral(".bin"), Qt::CaseInsensitive))
            throw Binary {};
        m_book->workbookPart = package.partName(workbookPart);
        if (m_book->workbookPart.isEmpty())
            throw Damaged { QStringLiteral("falta a parte %1").arg(workbookPart) };
        const QHash<QString, Relationship> rels = relationships(package, m_book->workbookPart);
        for (auto r = rels.cbegin(); r != rels.cend(); ++r) {
            if (r->type == u"styles") {
                m_book->stylesPart = package.partName(r->target);
            } else if (r->type == u"sharedStrings") {
                m_book->sharedStringsPart = package.partName(r->target);
            } else if (r->type == u"calcChain") {
                m_book->calcChainPart = package.partName(r->target);
                m_book->calcChainRelationship = r.key();
            }
        }
        readWorkbook(rels);
        if (!m_book->stylesPart.isEmpty())
            readStyles();
        m_book->classifyFormats();
        readSheets();
    }

    struct OpenDocument
    {
    };
    struct Binary
    {
    };
    struct NotWorkbook
    {
    };

private:
    void readWorkbook(const QHash<QString, Relationship>& rels)
    {
        const QString part = m_book->workbookPart;
        const QByteArray data = readPart(m_book->package, part);
        XmlScanner xml(data);
        while (xml.next() != Token::End) {
            check(xml, part);
            if (xml.token() != Token::StartElement)
                continue;
            if (xml.isNamed("workbookPr")) {
                const QString date1904 = xml.attribute("date1904");
                m_book->date1904 = date1904 == u"1" || date1904 == u"true";
            } else if (xml.isNamed("sheet")) {
                XlsxSheet sheet;
                sheet.name = xml.attribute("name");
                const auto rel = rels.constFind(xml.attribute("id"));
                if (rel != rels.cend()) {
                    sheet.part = m_book->package.partName(rel->target);
                    sheet.isWorksheet = rel->type == u"worksheet" && !sheet.part.isEmpty();
                }
                m_book->sheets.push_back(std::move(sheet));
            }
        }
    }

    void readStyles()
    {
        const QString& part = m_book->stylesPart;
        const QByteArray data = readPart(m_book->package, part);
        XmlScanner xml(data);
        // The formats of conditional formats (dxfs) have numFmt elements too, numbered on their own.
        bool inCellXfs = false;
        bool inNumFmts = false;
        while (xml.next() != Token::End) {
            check(xml, part);
            if (xml.token() == Token::EndElement && xml.isNamed("cellXfs"))
                inCellXfs = false;
            if (xml.token() == Token::EndElement && xml.isNamed("numFmts"))
                inNumFmts = false;
            if (xml.token() != Token::StartElement)
                continue;
            if (xml.isNamed("numFmts")) {
                inNumFmts = true;
            } else if (xml.isNamed("numFmt") && inNumFmts) {
                m_book->formats.insert(toInt(xml.rawAttribute("numFmtId"), -1), xml.attribute("formatCode"));
            } else if (xml.isNamed("cellXfs")) {
                inCellXfs = true;
            } else if (xml.isNamed("xf") && inCellXfs) {
                m_book->xfFormats.push_back(toInt(xml.rawAttribute("numFmtId"), 0));
                xml.skipElement();
                check(xml, part);
            }
        }
    }

    void readSharedStrings()
    {
        const QString& part = m_book->sharedStringsPart;
        const QByteArray data = readPart(m_book->package, part);
        XmlScanner xml(data);
        while (xml.next() != Token::End) {
            check(xml, part);
            if (xml.token() == Token::StartElement && xml.isNamed("sst"))
                m_strings.reserve(std::min(toInt(xml.rawAttribute("uniqueCount"), 0), 1 << 20));
            else if (xml.token() == Token::StartElement && xml.isNamed("si"))
                m_strings.push_back(stringItem(xml, part));
        }
    }

    // The largest worksheet is read on a second thread while this one reads the others.
    // A second thread reads the shared strings and then the largest sheet, while this one inflates the
    // other sheets and, once the strings are there, reads them.
    void readSheets()
    {
        std::vector<XlsxSheet*> worksheets;
        size_t largest = 0;
        for (XlsxSheet& sheet : m_book->sheets) {
            if (!sheet.isWorksheet)
                continue;
            worksheets.push_back(&sheet);
            if (m_book->package.partSize(sheet.part) > m_book->package.partSize(worksheets[largest]->part))
                largest = worksheets.size() - 1;
        }
        const auto readOne = [&](size_t i, const QByteArray& data) {
            SheetReader(*m_book, m_strings, worksheets[i]).run(data, worksheets[i]->part);
        };
        std::promise<void> stringsRead;
        const std::shared_future<void> stringsReady = stringsRead.get_future().share();
        std::future<void> second = std::async(std::launch::async, [&] {
            try {
                if (!m_book->sharedStringsPart.isEmpty())
                    readSharedStrings();
                stringsRead.set_value();
            } catch (...) {
                stringsRead.set_exception(std::current_exception());
                throw;
            }
            if (!worksheets.empty())
                readOne(largest, readPart(m_book->package, worksheets[largest]->part));
        });
        std::vector<QByteArray> data(worksheets.size());
        for (size_t i = 0; i < worksheets.size(); ++i) {
            if (i != largest)
                data[i] = readPart(m_book->package, worksheets[i]->part);
        }
        stringsReady.get();
        for (size_t i = 0; i < worksheets.size(); ++i) {
            if (i != largest) {
                readOne(i, data[i]);
                data[i] = QByteArray();
            }
        }
        second.get();
    }

    XlsxWorkbook* m_book;
    std::vector<QString> m_strings;
};

QString damagedMessage(const QString& name, const QString& why)
{
    return QStringLiteral("O livro %1 está danificado (%2). Abra-o no Excel ou no LibreOffice para o reparar.")
        .arg(name, why);
}

} // namespace

namespace XlsxReader {

bool readBytes(const QByteArray& bytes, const QString& name, XlsxWorkbook* book, QString* error)
{
    *book = XlsxWorkbook();
    QString why;
    if (!book->package.open(bytes, &why)) {
        *error = damagedMessage(name, why);
        return false;
    }
    try {
        Reader(book).run();
        return true;
    } catch (const Damaged& damaged) {
        *error = damagedMessage(name, damaged.why);
    } catch (const Reader::OpenDocument&) {
        *error = QStringLiteral("O ficheiro %1 é uma folha de cálculo OpenDocument (.ods). Abra-o no LibreOffice e "
                                "grave-o como Livro do Excel (.xlsx).")
                     .arg(name);
    } catch (const Reader::Binary&) {
        *error = QStringLiteral("O livro %1 está no formato binário do Excel (.xlsb). Abra-o no Excel e grave-o como "
                                "Livro do Excel (.xlsx).")
                     .arg(name);
    } catch (const Reader::NotWorkbook&) {
        *error = QStringLiteral("O ficheiro %1 é um arquivo zip, mas não é um livro do Excel.").arg(name);
    }
    *book = XlsxWorkbook();
    return false;
}

bool readSheetXml(const QByteArray& xml, XlsxWorkbook* book, QString* error)
{
    *book = XlsxWorkbook();
    book->sheets.push_back(XlsxSheet());
    book->sheets.back().name = QStringLiteral("Folha1");
    book->sheets.back().isWorksheet = true;
    const std::vector<QString> noStrings;
    try {
        SheetReader(*book, noStrings, &book->sheets.back()).run(xml, QStringLiteral("folha"));
        return true;
    } catch (const Damaged& damaged) {
        *error = damaged.why;
        return false;
    }
}

} // namespace XlsxReader
