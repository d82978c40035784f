#pragma once
#include "values/CellValue.h"

#include <QString>

#include <functional>
#include <vector>

class DataControl;
namespace Sheets {
struct Layout;
}
class InventoryTables;
class UserInteraction;

// Writes the tables back into their sheets of the inventory workbook held by Data1, in memory; the command
// that calls them commits the workbook once. Sheets are rewritten in place: surplus rows are blanked, never
// removed. A failure that ends a save is given in error.
class InventoryWriter
{
public:
    InventoryWriter(DataControl& data1, const InventoryTables& tables, UserInteraction& ui);

    bool GravarArtigos(QString* error);
    bool GravarCodigosBarras(QString* error);
    bool GravarFicheiroDasLeituras(QString* error);
    // Every failure inside is ignored, as the list is only for reading.
    void GravarArtigosSemCodBarras();
    // The saves that end a raw import: readings, articles, barcodes, then the articles without a barcode.
    bool saveAfterRawImport(QString* error);
    // Changes the first row of Correccoes$ with the same trimmed code, or adds one; the price is not stored.
    bool AdicionaArtigosExcepcao(const CellValue& CodArtigo, const CellValue& CodFamContabilista,
        const CellValue& DescArtigo, const CellValue& PrecoCompraUnitario, const CellValue& UnidadeDeCompra,
        const CellValue& UnidadeDeStock, const CellValue& ConversaoCompraStock,
        const CellValue& DescFamiliaContabilista, QString* error);

private:
    // Puts the values of one slot into row, in the order of the sheet's headings.
    using Fill = std::function<void(int slot, std::vector<CellValue>& row)>;
    // Rewrites the sheet row by row from slot 1 to count. A cell that cannot be set (its column is missing) keeps
    // what it held; rowFailed, when given, hears of each such row.
    bool rewrite(const Sheets::Layout& sheet, int count, const Fill& fill,
        const std::function<void(int slot)>& rowFailed, QString* error);
    bool set(int column, CellValue&& value);
    // The slots of the articles without a barcode, in order.
    std::vector<int> articlesWithoutBarcode() const;
    void writeArticlesWithoutBarcode(const std::vector<int>& articles);

    DataControl& m_data1;
    const InventoryTables& m_tables;
    UserInteraction& m_ui;
};
