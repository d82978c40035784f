// libFuzzer target for the raw import: any received text goes into tables that already hold a few articles.
#include "platform/Clock.h"
#include "tables/InventoryTables.h"
#include "terminal/RawImport.h"
#include "values/Windows1252.h"
#include "workbook/DataControl.h"

#include <cstddef>
#include <cstdint>

#include "QuietInteraction.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Tables at full capacity take a while to make: one set, put back after each input.
    static QuietInteraction ui;
    static Clock clock;
    static InventoryTables tables = [] {
        InventoryTables t(ui, clock);
        for (const char* code : { "1", "2", "100" })
            t.AdicionaArtigo(CellValue::text(QString::fromLatin1(code)), CellValue::text(QStringLiteral("61")),
                CellValue::number(46000), CellValue::text(QStringLiteral("Artigo")), CellValue::number(1),
                CellValue::text(QStringLiteral("CX")), CellValue::text(QStringLiteral("Kilo")), CellValue::number(12),
                CellValue(), CellValue(), CellValue::number(1), 0, 3);
        return t;
    }();
    static const InventoryTables start = tables.snapshot();
    tables.restore(start);
    DataControl data1;
    QString error;
    const QString entries = Windows1252::decode(reinterpret_cast<const char*>(data), qsizetype(size));
    if (!RawImport(tables, data1, ui, clock).addRecords(entries, &error) && error.isEmpty())
        __builtin_trap();
    if (tables.NLeituras() > int(size / 55) + 1)
        __builtin_trap();
    return 0;
}
