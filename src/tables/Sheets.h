#pragma once
#include <QString>
#include <QStringList>

#include <vector>

class DataControl;
class SheetCursor;

// The sheets of an inventory workbook and their headings, in the order a new workbook lays them out. Every
// reader and writer of the workbook names its sheet and columns through these; each enum follows its sheet's
// headings.
namespace Sheets {

struct Layout
{
    QString name;
    QStringList headings;

    // What a data control opens: the sheet name with "$".
    QString source() const { return name + u'$'; }
    const QString& heading(int column) const { return headings.at(column); }
};

namespace Artigos {
enum Column
{
    CodArtigo,
    FamiliaContabilistica,
    DataRecepcao,
    DescArtigo,
    PrecoCompraUnitario,
    UnidadeDeCompra,
    UnidadeDeStock,
    ConversaoCompraStock,
    DescFamiliaContabilistica,
    DataUltimaImportacao,
    Posicao,
};
}
namespace CodBarras {
enum Column
{
    CodArtigo,
    Unidade,
    CodBarras,
};
}
namespace Contabilistica {
enum Column
{
    CONTA,
    DESCRICAO_CONTA,
    CONTACONTABILISTICA,
};
}
namespace Inventario {
enum Column
{
    CodArtigo,
    FamiliaContabilistica,
    CentroCusto,
    Unidade,
    QtEmUnidadeInventario,
    LeituraDuvidosa,
};
}
namespace Correccoes {
enum Column
{
    CodArtigo,
    DescArtigo,
    FamiliaContabilistica,
    DescFamiliaContabilistica,
    PrecoCompraUnitario,
    UnidadeDeCompra,
    UnidadeDeStock,
    ConversaoCompraStock,
};
}
namespace ArtigosSemCodBarras {
enum Column
{
    CODARTIGO,
    DESCARTIGO,
};
}

const Layout& artigos();
const Layout& codBarras();
const Layout& contabilistica();
const Layout& inventario();
const Layout& correccoes();
const Layout& artigosSemCodBarras();
// The six, in the order of a new workbook.
const std::vector<Layout>& all();

enum class Rows
{
    Required,
    MayBeNone,
};

// Opens the sheet on data at its first data row and gives the column of each heading, in order (-1 for a missing
// one, which reads as an empty cell). False with the cause when the sheet is missing, or has no data row and
// rows are required.
bool open(
    DataControl& data, const Layout& sheet, std::vector<int>* columns, QString* error, Rows rows = Rows::Required);
// The same on a cursor of its own, beside the one data holds; the sheet may have no data row.
bool openBeside(
    const DataControl& data, const Layout& sheet, SheetCursor* cursor, std::vector<int>* columns, QString* error);

} // namespace Sheets
