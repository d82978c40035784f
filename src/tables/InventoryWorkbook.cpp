#include "tables/InventoryWorkbook.h"

#include "workbook/xls/EmptyXlsWorkbook.h"
#include "workbook/xls/XlsWorkbook.h"
#include "workbook/xls/XlsWriter.h"

#include <QDir>
#include <QFileInfo>

namespace InventoryWorkbook {

const std::vector<Sheet>& sheets()
{
    static const std::vector<Sheet> all {
        { QStringLiteral("Artigos"),
            { QStringLiteral("CodArtigo"), QStringLiteral("FamiliaContabilistica"), QStringLiteral("DataRecepcao"),
                QStringLiteral("DescArtigo"), QStringLiteral("PrecoCompraUnitario"), QStringLiteral("UnidadeDeCompra"),
                QStringLiteral("UnidadeDeStock"), QStringLiteral("ConversaoCompraStock"),
                QStringLiteral("DescFamiliaContabilistica"), QStringLiteral("DataUltimaImportacao"),
                QStringLiteral("Posicao") } },
        { QStringLiteral("CodBarras"),
            { QStringLiteral("CodArtigo"), QStringLiteral("Unidade"), QStringLiteral("CodBarras") } },
        { QStringLiteral("Contabilistica"),
            { QStringLiteral("CONTA"), QStringLiteral("DESCRICAO CONTA"), QStringLiteral("CONTACONTABILISTICA") } },
        { QStringLiteral("Inventario"),
            { QStringLiteral("CodArtigo"), QStringLiteral("FamiliaContabilistica"), QStringLiteral("CentroCusto"),
                QStringLiteral("Unidade"), QStringLiteral("QtEmUnidadeInventario"),
                QStringLiteral("LeituraDuvidosa") } },
        { QStringLiteral("Correccoes"),
            { QStringLiteral("CodArtigo"), QStringLiteral("DescArtigo"), QStringLiteral("FamiliaContabilistica"),
                QStringLiteral("DescFamiliaContabilistica"), QStringLiteral("PrecoCompraUnitario"),
                QStringLiteral("UnidadeDeCompra"), QStringLiteral("UnidadeDeStock"),
                QStringLiteral("ConversaoCompraStock") } },
        { QStringLiteral("ArtigosSemCodBarras"), { QStringLiteral("CODARTIGO"), QStringLiteral("DESCARTIGO") } },
    };
    return all;
}

XlsWorkbook empty()
{
    return withSheets(sheets());
}

XlsWorkbook withSheets(const std::vector<Sheet>& definitions)
{
    std::vector<EmptyXlsWorkbook::Sheet> xlsSheets;
    xlsSheets.reserve(definitions.size());
    for (const Sheet& def : definitions)
        xlsSheets.push_back({ def.name, def.columns });
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
    XlsWorkbook book = empty();
    return XlsWriter::save(book, path, error);
}

} // namespace InventoryWorkbook
