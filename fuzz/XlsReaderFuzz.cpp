// libFuzzer target for the workbook reader and writer: the first byte picks a whole compound file or a bare
// BIFF stream, so the fuzzer reaches the records without first having to build a valid compound file. A
// workbook that reads is written back with a cell changed in its first two worksheets (the others copied as
// they came), and what is written must read again.
#include "workbook/xls/XlsReader.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "ChangedWorksheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
    XlsWorkbook book;
    QString error;
    const bool ok = data[0] & 1 ? XlsReader::readStream(bytes, QStringLiteral("fuzz.xls"), &book, &error)
                                : XlsReader::readBytes(bytes, QStringLiteral("fuzz.xls"), &book, &error);
    // A refusal must say why; a success must give sheets whose rows the loaders can walk.
    if (!ok && error.isEmpty())
        __builtin_trap();
    for (const XlsSheet& sheet : book.sheets) {
        if (ok && (sheet.rowCount > 65536 || sheet.rows.size() > size_t(sheet.rowCount)))
            __builtin_trap();
    }
    if (!ok)
        return 0;
    changeFirstWorksheets(book.sheets, book.dateXf(), CellValue::text(QStringLiteral("é")));
    writtenReadsAgain(book, XlsWriter::writeStream, [](const QByteArray& bytes, XlsWorkbook* again, QString* e) {
        return XlsReader::readStream(bytes, QStringLiteral("again.xls"), again, e);
    });
    return 0;
}
