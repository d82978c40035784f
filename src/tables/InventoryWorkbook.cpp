#include "tables/InventoryWorkbook.h"

#include "platform/AtomicFile.h"
#include "tables/Sheets.h"
#include "workbook/xls/EmptyXlsWorkbook.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"
#include "workbook/xlsx/EmptyXlsxWorkbook.h"

#include <QDir>
#include <QFileInfo>

namespace InventoryWorkbook {

XlsWorkbook empty()
{
    return withSheets(Sheets::all());
}

XlsWorkbook withSheets(const std::vector<Sheets::Layout>& definitions)
{
    std::vector<EmptyXlsWorkbook::Sheet> xlsSheets;
    xlsSheets.reserve(definitions.size());
    for (const Sheets::Layout& def : definitions)
        xlsSheets.push_back({ def.name, def.headings });
    return EmptyXlsWorkbook::make(xlsSheets);
}

bool create(const QString& path, QString* error)
{
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("O ficheiro %1 já existe; escolha outro nome.").arg(path);
        return false;
    }
    // A site's drive folder may not be there yet on a new machine.
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (path.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        std::vector<EmptyXlsxWorkbook::Sheet> sheets;
        for (const Sheets::Layout& def : Sheets::all())
            sheets.push_back({ def.name, def.headings });
        QByteArray bytes;
        return EmptyXlsxWorkbook::make(sheets, &bytes, error) && AtomicFile::replace(path, bytes, error);
    }
    XlsWorkbook book = empty();
    return XlsWriter::save(book, path, error);
}

} // namespace InventoryWorkbook
