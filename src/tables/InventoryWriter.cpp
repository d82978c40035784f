#include "tables/InventoryWriter.h"

#include "platform/BusyPointer.h"
#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "tables/Sheets.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <future>

namespace {

// Past this many, failing barcode rows are counted in one last message instead of one box each.
constexpr int kBarcodeMessages = 10;

CellValue text(const QString& value)
{
    return CellValue::text(value);
}

CellValue number(double value)
{
    return CellValue::number(value);
}

} // namespace

InventoryWriter::InventoryWriter(DataControl& data1, const InventoryTables& tables, UserInteraction& ui)
    : m_data1(data1)
    , m_tables(tables)
    , m_ui(ui)
{
}

bool InventoryWriter::set(int column, CellValue&& value)
{
    return m_data1.setField(column, std::move(value));
}

bool InventoryWriter::rewrite(
    const Sheets::Layout& sheet, int count, const Fill& fill, const std::function<void(int)>& rowFailed, QString* error)
{
    const BusyPointer busy(m_ui);
    m_data1.setRecordSource(sheet.source());
    if (!m_data1.Refresh(error))
        return false;
    std::vector<int> columns;
    for (const QString& heading : sheet.headings)
        columns.push_back(m_data1.column(heading));
    m_data1.MoveLast();
    const int rows = m_data1.RecordCount();
    QString ignored;
    m_data1.MoveFirst(&ignored); // a sheet with only its heading row has no first row
    std::vector<CellValue> row(columns.size());
    for (int i = 1; i <= rows || i <= count; ++i) {
        if (!(i <= rows ? m_data1.Edit(error) : m_data1.AddNew(error)))
            return false;
        // Rows past the table are blanked.
        if (i <= count)
            fill(i, row);
        else
            std::fill(row.begin(), row.end(), CellValue());
        bool complete = true;
        for (size_t c = 0; c < columns.size(); ++c)
            complete = set(columns[c], std::move(row[c])) && complete; // moved on, not copied: fill sets each again
        if (!m_data1.Update(error))
            return false;
        if (!complete && rowFailed) {
            rowFailed(i);
        } else if (!complete && i > count) {
            *error = QStringLiteral("Não foi possível limpar a linha %1 da folha %2.").arg(i + 1).arg(sheet.source());
            return false;
        }
        if (i < rows)
            m_data1.MoveNext();
    }
    return true;
}

bool InventoryWriter::GravarArtigos(QString* error)
{
    return rewrite(
        Sheets::artigos(), m_tables.NArtigos(),
        [&](int slot, std::vector<CellValue>& row) {
            const Artigo& a = m_tables.artigo(slot);
            using namespace Sheets::Artigos;
            row[CodArtigo] = text(a.CodArtigo);
            row[FamiliaContabilistica] = text(a.CodFamContabilista);
            row[DataRecepcao] = CellValue::date(a.DataRecepcao);
            row[DescArtigo] = text(a.DescArtigo);
            row[PrecoCompraUnitario] = number(a.PrecoCompraUnitario);
            row[UnidadeDeCompra] = text(a.UnidadeDeCompra);
            row[UnidadeDeStock] = text(a.UnidadeDeStock);
            row[ConversaoCompraStock] = number(a.ConversaoCompraStock);
            row[DescFamiliaContabilistica] = text(a.DescFamiliaContabilista);
            row[DataUltimaImportacao] = CellValue::date(a.DataUltimaImportacao);
            row[Posicao] = number(a.Posicao);
        },
        nullptr, error);
}

bool InventoryWriter::GravarFicheiroDasLeituras(QString* error)
{
    return rewrite(
        Sheets::inventario(), m_tables.NLeituras(),
        [&](int slot, std::vector<CellValue>& row) {
            const Leitura& l = m_tables.leitura(slot);
            using namespace Sheets::Inventario;
            row[CodArtigo] = text(l.CodArtigo);
            row[FamiliaContabilistica] = text(l.FamiliaContabilista);
            row[CentroCusto] = text(l.CentroCusto);
            row[Unidade] = text(l.Unidade);
            row[QtEmUnidadeInventario] = text(Conversions::numberToSiteText(l.QtEmUnidadeInventario));
            row[LeituraDuvidosa] = number(l.LeituraDuvidosa);
        },
        nullptr, error);
}

bool InventoryWriter::GravarCodigosBarras(QString* error)
{
    int failedRows = 0;
    const bool ok = rewrite(
        Sheets::codBarras(), m_tables.NCodBarras(),
        [&](int slot, std::vector<CellValue>& row) {
            const CodigoBarras& entry = m_tables.codigoBarras(slot);
            using namespace Sheets::CodBarras;
            row[CodArtigo] = entry.CodArtigo;
            row[Unidade] = entry.Unidade;
            row[CodBarras] = entry.CodBarras;
        },
        [&](int slot) {
            if (slot > m_tables.NCodBarras() || ++failedRows > kBarcodeMessages)
                return;
            const CodigoBarras& c = m_tables.codigoBarras(slot);
            m_ui.showMessage(QStringLiteral("Erro no Artigo ") + c.CodArtigo.toText() + QStringLiteral("Codigo Barras:")
                + c.CodBarras.toText());
        },
        error);
    if (failedRows > kBarcodeMessages)
        m_ui.showMessage(
            QStringLiteral("Mais %1 linhas de códigos de barras com erro.").arg(failedRows - kBarcodeMessages));
    return ok;
}

bool InventoryWriter::saveAfterRawImport(QString* error)
{
    // Which articles have no barcode is found on a second thread while the other sheets are written: the writer
    // only reads the tables.
    std::future<std::vector<int>> withoutBarcode
        = std::async(std::launch::async, [this] { return articlesWithoutBarcode(); });
    if (!GravarFicheiroDasLeituras(error) || !GravarArtigos(error) || !GravarCodigosBarras(error))
        return false;
    writeArticlesWithoutBarcode(withoutBarcode.get());
    return true;
}

void InventoryWriter::GravarArtigosSemCodBarras()
{
    writeArticlesWithoutBarcode(articlesWithoutBarcode());
}

std::vector<int> InventoryWriter::articlesWithoutBarcode() const
{
    std::vector<int> articles;
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        if (!m_tables.hasBarcode(m_tables.artigo(i).CodArtigo))
            articles.push_back(i);
    }
    return articles;
}

void InventoryWriter::writeArticlesWithoutBarcode(const std::vector<int>& articles)
{
    QString ignored;
    const Sheets::Layout& sheet = Sheets::artigosSemCodBarras();
    m_data1.setRecordSource(sheet.source());
    if (!m_data1.Refresh(&ignored))
        return;
    m_data1.MoveFirst(&ignored);
    const int code = m_data1.column(sheet.heading(Sheets::ArtigosSemCodBarras::CODARTIGO));
    const int desc = m_data1.column(sheet.heading(Sheets::ArtigosSemCodBarras::DESCARTIGO));
    for (const int i : articles) {
        const Artigo& a = m_tables.artigo(i);
        if (!m_data1.Edit(&ignored))
            m_data1.AddNew(&ignored);
        set(code, text(a.CodArtigo));
        set(desc, text(a.DescArtigo));
        m_data1.Update(&ignored);
        m_data1.MoveNext();
    }
    while (!m_data1.Eof()) {
        m_data1.Edit(&ignored);
        set(code, CellValue());
        set(desc, CellValue());
        m_data1.Update(&ignored);
        m_data1.MoveNext();
    }
}

bool InventoryWriter::AdicionaArtigosExcepcao(const CellValue& CodArtigo, const CellValue& CodFamContabilista,
    const CellValue& DescArtigo, const CellValue&, const CellValue& UnidadeDeCompra, const CellValue& UnidadeDeStock,
    const CellValue& ConversaoCompraStock, const CellValue& DescFamiliaContabilista, QString* error)
{
    namespace column = Sheets::Correccoes;
    const Sheets::Layout& sheet = Sheets::correccoes();
    m_data1.setRecordSource(sheet.source());
    if (!m_data1.Refresh(error))
        return false;
    QString ignored;
    m_data1.MoveFirst(&ignored); // only its heading row: the correction is appended
    if (CodArtigo.isNull())
        return true;
    const QString code = Conversions::trimBlanks(CodArtigo.toText());
    bool found = false;
    while (!found && !m_data1.Eof()) {
        CellValue rowCode;
        if (!m_data1.field(sheet.heading(column::CodArtigo), &rowCode, error))
            return false;
        found = Conversions::trimBlanks(rowCode.toText()) == code;
        if (!found)
            m_data1.MoveNext();
    }
    if (found) {
        if (!m_data1.Edit(error))
            return false;
    } else if (!m_data1.AddNew(error) || !m_data1.setField(sheet.heading(column::CodArtigo), text(code), error)) {
        return false;
    }
    const std::pair<column::Column, const CellValue*> values[] = { { column::DescArtigo, &DescArtigo },
        { column::FamiliaContabilistica, &CodFamContabilista },
        { column::DescFamiliaContabilistica, &DescFamiliaContabilista }, { column::UnidadeDeCompra, &UnidadeDeCompra },
        { column::UnidadeDeStock, &UnidadeDeStock }, { column::ConversaoCompraStock, &ConversaoCompraStock } };
    for (const auto& [heading, value] : values) {
        if (!m_data1.setField(sheet.heading(heading), *value, error))
            return false;
    }
    return m_data1.Update(error);
}
