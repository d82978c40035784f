#include "workbook/xls/EmptyXlsWorkbook.h"

#include "workbook/xls/BiffRecords.h"

namespace EmptyXlsWorkbook {

namespace {

constexpr int kDateXf = Biff::kDefaultCellXf + 1;
constexpr int kHeadingXf = Biff::kDefaultCellXf + 2;
constexpr quint16 kNormal = 400;
constexpr quint16 kBold = 700;
constexpr quint8 kUsesFont = 0x02;
constexpr quint8 kUsesNumberFormat = 0x04;

void addGlobals(XlsWorkbook& book)
{
    const QString datePattern = QStringLiteral("dd/mm/yyyy");
    auto& g = book.globals;
    g.push_back({ BiffId::Bof, BiffRecords::bof(Biff::kBofGlobals) });
    g.push_back({ BiffId::Codepage, BiffRecords::codepage(Biff::kCodepageUtf16) });
    g.push_back({ BiffId::Window1, BiffRecords::window1() });
    g.push_back({ BiffId::Font, BiffRecords::font(kNormal) });
    g.push_back({ BiffId::Font, BiffRecords::font(kBold) });
    g.push_back({ BiffId::Format, BiffRecords::format(true, Biff::kFirstCustomFormat, datePattern) });
    for (int i = 0; i < Biff::kDefaultCellXf; ++i)
        g.push_back({ BiffId::Xf, BiffRecords::xf(0, 0, true, 0) });
    g.push_back({ BiffId::Xf, BiffRecords::xf(0, 0, false, 0) });
    g.push_back({ BiffId::Xf, BiffRecords::xf(0, Biff::kFirstCustomFormat, false, kUsesNumberFormat) });
    g.push_back({ BiffId::Xf, BiffRecords::xf(1, 0, false, kUsesFont) });
    g.push_back({ BiffId::Style, BiffRecords::normalStyle() });
    book.xfFormats.assign(Biff::kDefaultCellXf + 1, 0);
    book.xfFormats.push_back(Biff::kFirstCustomFormat);
    book.xfFormats.push_back(0);
    book.formats.insert(Biff::kFirstCustomFormat, datePattern);
    book.classifyFormats();
    book.addedDateXf = kDateXf;
}

XlsSheet headingSheet(const Sheet& definition, bool first)
{
    XlsSheet sheet;
    sheet.name = definition.name;
    sheet.boundSheetFlags = QByteArray(2, '\0');
    sheet.isWorksheet = true;
    sheet.records = { { BiffId::Bof, BiffRecords::bof(Biff::kBofWorksheet) },
        { BiffId::Window2, BiffRecords::window2(first) }, { BiffId::Eof, {} } };
    sheet.rows.resize(1);
    for (int c = 0; c < definition.headings.size(); ++c)
        sheet.rows[0].push_back({ quint16(c), quint16(kHeadingXf), true, CellValue::text(definition.headings[c]) });
    sheet.rowCount = 1;
    sheet.modified = true;
    return sheet;
}

} // namespace

XlsWorkbook make(const std::vector<Sheet>& sheets)
{
    XlsWorkbook book;
    book.version = XlsWorkbook::Version::Biff8;
    book.streamName = QStringLiteral("Workbook");
    book.codepage = Biff::kCodepageUtf16;
    addGlobals(book);
    for (const Sheet& definition : sheets) {
        book.globals.push_back({ BiffId::BoundSheet, BiffRecords::boundSheet(definition.name) });
        book.sheets.push_back(headingSheet(definition, book.sheets.empty()));
    }
    book.globals.push_back({ BiffId::Eof, {} });
    return book;
}

} // namespace EmptyXlsWorkbook
