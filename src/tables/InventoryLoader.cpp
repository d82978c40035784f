#include "tables/InventoryLoader.h"

#include "platform/BusyPointer.h"
#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "tables/Sheets.h"
#include "workbook/DataControl.h"
#include "workbook/SheetCursor.h"

#include <future>

InventoryLoader::InventoryLoader(DataControl& data1, InventoryTables& tables, UserInteraction& ui)
    : m_data1(data1)
    , m_tables(tables)
    , m_ui(ui)
{
}

bool InventoryLoader::LerFicheiroContasContabilisticas(QString* error)
{
    using namespace Sheets::Contabilistica;
    BusyPointer busy(m_ui);
    std::vector<int> c;
    if (!Sheets::open(m_data1, Sheets::contabilistica(), &c, error))
        return false;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue conta = m_data1.field(c[CONTA]);
        m_tables.AdicionaContasContabilisticas(
            conta.toText(), conta, m_data1.field(c[CONTACONTABILISTICA]), m_data1.field(c[DESCRICAO_CONTA]));
    }
    return true;
}

bool InventoryLoader::LerFicheiroArtigos(QString* error)
{
    BusyPointer busy(m_ui);
    const Sheets::Layout& sheet = Sheets::artigos();
    std::vector<int> c;
    if (!Sheets::open(m_data1, sheet, &c, error))
        return false;
    for (size_t i = 0; i < c.size(); ++i) {
        CellValue ignored;
        // Here a missing column fails the loader, with the reason the field gives.
        if (c[i] < 0 && !m_data1.field(sheet.heading(int(i)), &ignored, error))
            return false;
    }
    const CellValue* v[Sheets::Artigos::Posicao + 1];
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        for (size_t i = 0; i < c.size(); ++i)
            v[i] = &m_data1.field(c[i]);
        m_tables.AdicionaArtigo(
            *v[0], *v[1], *v[2], *v[3], *v[4], *v[5], *v[6], *v[7], *v[8], *v[9], *v[10], 0, Origin::Loaded);
    }
    return true;
}

namespace {

template <typename Cursor> void fillReadings(Cursor& rows, const std::vector<int>& c, InventoryTables& tables)
{
    using namespace Sheets::Inventario;
    for (; !rows.Eof(); rows.MoveNext()) {
        tables.AdicionaLeitura(rows.field(c[CodArtigo]), rows.field(c[FamiliaContabilistica]),
            rows.field(c[CentroCusto]), rows.field(c[Unidade]), rows.field(c[QtEmUnidadeInventario]),
            rows.field(c[LeituraDuvidosa]));
    }
}

template <typename Cursor> void fillBarcodes(Cursor& rows, const std::vector<int>& c, InventoryTables& tables)
{
    using namespace Sheets::CodBarras;
    for (; !rows.Eof(); rows.MoveNext())
        tables.AdicionaCodigosBarras(rows.field(c[CodArtigo]), rows.field(c[Unidade]), rows.field(c[CodBarras]));
}

} // namespace

bool InventoryLoader::openReadings(std::vector<int>* columns, QString* error)
{
    // A site that has not counted yet has no readings; the terminal must still be reachable for the first count.
    return Sheets::open(m_data1, Sheets::inventario(), columns, error, Sheets::Rows::MayBeNone);
}

bool InventoryLoader::LerFicheiroDasLeituras(QString* error)
{
    BusyPointer busy(m_ui);
    std::vector<int> c;
    if (!openReadings(&c, error))
        return false;
    fillReadings(m_data1, c, m_tables);
    return true;
}

bool InventoryLoader::LerFicheiroCodigosBarras(QString* error)
{
    BusyPointer busy(m_ui);
    std::vector<int> c;
    if (!Sheets::open(m_data1, Sheets::codBarras(), &c, error, Sheets::Rows::MayBeNone))
        return false;
    fillBarcodes(m_data1, c, m_tables);
    return true;
}

bool InventoryLoader::loadAll(QString* firstMessage, QString* secondMessage)
{
    QString error;
    const auto fail = [&](const QString& second) {
        *firstMessage = QStringLiteral("Erro a ler o ficheiro ") + m_data1.DatabaseName();
        *secondMessage = second;
        return false;
    };
    if (!LerFicheiroContasContabilisticas(&error))
        return fail(QStringLiteral("Erro em 'Contabilistica' ") + error);
    if (!LerFicheiroArtigos(&error))
        return fail(QStringLiteral("Erro em 'Artigos' ") + error);
    BusyPointer busy(m_ui);
    std::vector<int> readingColumns;
    if (!openReadings(&readingColumns, &error))
        return fail(QStringLiteral("Erro em 'Inventarios' ") + error);
    // The barcodes touch none of the readings' tables: they are read on a second thread meanwhile. A sheet with
    // rows enough to fill the table is read after the readings, so the message that it is full comes in turn.
    SheetCursor barcodeRows;
    std::vector<int> barcodeColumns;
    const bool barcodes = Sheets::openBeside(m_data1, Sheets::codBarras(), &barcodeRows, &barcodeColumns, &error);
    const bool beside
        = barcodes && barcodeRows.end() - barcodeRows.headingRow() - 1 <= InventoryTables::CapacidadeCodBarras;
    std::future<void> barcodesRead;
    if (beside) {
        barcodesRead = std::async(std::launch::async, [&] { fillBarcodes(barcodeRows, barcodeColumns, m_tables); });
    }
    fillReadings(m_data1, readingColumns, m_tables);
    if (beside)
        barcodesRead.get();
    else if (barcodes)
        fillBarcodes(barcodeRows, barcodeColumns, m_tables);
    if (!barcodes)
        return fail(QStringLiteral("Erro em 'CodBarras'"));
    return true;
}
