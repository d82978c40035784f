#include "tables/Sheets.h"

#include "workbook/DataControl.h"

namespace Sheets {

const std::vector<Layout>& all()
{
    static const std::vector<Layout> sheets {
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
    return sheets;
}

const Layout& artigos()
{
    return all()[0];
}

const Layout& codBarras()
{
    return all()[1];
}

const Layout& contabilistica()
{
    return all()[2];
}

const Layout& inventario()
{
    return all()[3];
}

const Layout& correccoes()
{
    return all()[4];
}

const Layout& artigosSemCodBarras()
{
    return all()[5];
}

namespace {

template <typename Cursor> void findColumns(const Cursor& rows, const Layout& sheet, std::vector<int>* columns)
{
    columns->clear();
    for (const QString& heading : sheet.headings)
        columns->push_back(rows.column(heading));
}

} // namespace

bool open(DataControl& data, const Layout& sheet, std::vector<int>* columns, QString* error, Rows rows)
{
    data.setRecordSource(sheet.source());
    if (!data.Refresh(error))
        return false;
    QString noRows;
    if (!data.MoveFirst(&noRows) && rows == Rows::Required) {
        *error = noRows;
        return false;
    }
    findColumns(data, sheet, columns);
    return true;
}

bool openBeside(
    const DataControl& data, const Layout& sheet, SheetCursor* cursor, std::vector<int>* columns, QString* error)
{
    if (!data.cursorOn(sheet.source(), cursor, error))
        return false;
    if (cursor->hasRecords())
        cursor->MoveFirst();
    findColumns(*cursor, sheet, columns);
    return true;
}

} // namespace Sheets
