#include "workbook/Workbook.h"

#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWriter.h"
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <QFile>

namespace {

int defaultStyleOf(const XlsWorkbook&)
{
    return Biff::kDefaultCellXf;
}

int defaultStyleOf(const XlsxWorkbook&)
{
    return 0;
}

// An .xls sheet's records hold its cells' strings and formats: it goes over whole.
void takeSheet(XlsSheet& theirs, const XlsSheet& ours)
{
    theirs = ours;
}

// An .xlsx sheet is rewritten from the part as they saved it: only the cells we wrote go onto theirs, so
// their cells that ours do not replace (a note in a column we do not write, a row they added) stay.
void takeSheet(XlsxSheet& theirs, const XlsxSheet& ours)
{
    for (size_t r = 0; r < ours.rows.size(); ++r) {
        for (const SheetCells::Cell& cell : ours.rows[r]) {
            if (cell.rewritten)
                theirs.setCell(int(r), cell);
        }
    }
    theirs.rowCount = std::max(theirs.rowCount, ours.rowCount);
    theirs.modified = true;
}

bool sameKind(const XlsWorkbook& a, const XlsWorkbook& b)
{
    return a.version == b.version;
}

bool sameKind(const XlsxWorkbook&, const XlsxWorkbook&)
{
    return true;
}

template <typename Book> bool merge(const Book& ours, Book& fresh)
{
    auto ourFormats = ours.xfFormats;
    ourFormats.resize(ours.formatsRead());
    bool mergeable = sameKind(fresh, ours) && fresh.date1904 == ours.date1904 && fresh.xfFormats == ourFormats;
    // The same format number may now show something else: a date format turned into a plain number.
    for (size_t i = 0; mergeable && i < ourFormats.size(); ++i)
        mergeable = fresh.formats.value(ourFormats[i]) == ours.formats.value(ourFormats[i]);
    for (const auto& sheet : ours.sheets) {
        if (!mergeable || !sheet.modified)
            continue;
        auto* theirs = fresh.sheet(sheet.name);
        mergeable = theirs && theirs->isWorksheet;
        if (mergeable)
            takeSheet(*theirs, sheet);
    }
    return mergeable && (ours.addedDateXf < 0 || fresh.dateXf() == ours.addedDateXf);
}

} // namespace

bool Workbook::read(const QString& path, Workbook* book, QString* error)
{
    book->m_book = XlsWorkbook();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Não foi possível ler o ficheiro %1: %2.").arg(path, file.errorString());
        return false;
    }
    if (file.peek(4) != QByteArray("PK\x03\x04", 4) && file.peek(4) != QByteArray("PK\x05\x06", 4)) {
        file.close();
        return XlsReader::read(path, &book->m_book.emplace<XlsWorkbook>(), error);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("Não foi possível ler o ficheiro %1: %2.").arg(path, file.errorString());
        return false;
    }
    if (XlsxReader::readBytes(bytes, path, &book->m_book.emplace<XlsxWorkbook>(), error))
        return true;
    book->m_book = XlsWorkbook();
    return false;
}

SheetCells* Workbook::worksheet(const QString& name)
{
    return const_cast<SheetCells*>(std::as_const(*this).worksheet(name));
}

const SheetCells* Workbook::worksheet(const QString& name) const
{
    return std::visit(
        [&](const auto& book) -> const SheetCells* {
            const auto* sheet = book.sheet(name);
            return sheet && sheet->isWorksheet ? sheet : nullptr;
        },
        m_book);
}

int Workbook::dateStyle()
{
    return std::visit([](auto& book) { return book.dateXf(); }, m_book);
}

int Workbook::defaultStyle() const
{
    return std::visit([](const auto& book) { return defaultStyleOf(book); }, m_book);
}

bool Workbook::moveChangesInto(Workbook& fresh) const
{
    return std::visit(
        [&](const auto& ours) {
            using Book = std::decay_t<decltype(ours)>;
            Book* theirs = std::get_if<Book>(&fresh.m_book);
            return theirs && merge(ours, *theirs);
        },
        m_book);
}

bool Workbook::save(const QString& path, QString* error)
{
    if (XlsWorkbook* book = std::get_if<XlsWorkbook>(&m_book))
        return XlsWriter::save(*book, path, error);
    return XlsxWriter::save(std::get<XlsxWorkbook>(m_book), path, error);
}
