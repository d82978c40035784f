// libFuzzer target for the .xlsx reader and writer: the first byte picks a whole package or a bare worksheet's
// XML, so the fuzzer reaches the cells without first having to build a valid zip. A package that reads is
// written back with a cell changed in its first two worksheets, and what is written must read again.
#include "workbook/xlsx/XlsxReader.h"
#include "workbook/xlsx/XlsxWorkbook.h"
#include "workbook/xlsx/XlsxWriter.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "ChangedWorksheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    XlsxWorkbook book;
    QString error;
    const bool ok = data[0] & 1 ? XlsxReader::readSheetXml(bytes, &book, &error)
                                : XlsxReader::readBytes(bytes, QStringLiteral("fuzz.xlsx"), &book, &error);
    // A refusal must say why; a success must give sheets whose rows the loaders can walk.
    if (!ok && error.isEmpty())
        __builtin_trap();
    for (const XlsxSheet& sheet : book.sheets) {
        if (ok && (sheet.rowCount > XlsxWorkbook::kMaxRows || sheet.rows.size() > size_t(sheet.rowCount)))
            __builtin_trap();
    }
    if (!ok || data[0] & 1)
        return 0;
    if (changeFirstWorksheets(book.sheets, book.dateXf(), CellValue::date(46000)) == 0)
        return 0;
    writtenReadsAgain(book, XlsxWriter::toBytes, [](const QByteArray& bytes, XlsxWorkbook* again, QString* e) {
        return XlsxReader::readBytes(bytes, QStringLiteral("again.xlsx"), again, e);
    });
    return 0;
}
