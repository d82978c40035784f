#include "tables/InventoryWriter.h"

#include "platform/BusyPointer.h"
#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

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

bool InventoryWriter::set(int column, const CellValue& value)
{
    return m_data1.setField(column, value);
}

bool InventoryWriter::rewrite(const QString& sheet, int count, const QStringList& headings, const Fill& fill,
    const std::function<void(int)>& rowFailed, QString* error)
{
    const BusyPointer busy(m_ui);
    m_data1.setRecordSource(sheet);
    if (!m_data1.Refresh(error))
        return false;
    std::vector<int> columns;
    for (const QString& heading : headings)
        columns.push_back(m_data1.column(heading));
    m_data1.MoveLast();
    const int rows = m_data1.RecordCount();
    QString ignored;
    m_data1.MoveFirst(&ignored); // a sheet with only its heading row has no first row
    for (int i = 1; i <= count; ++i) {
        if (!(i <= rows ? m_data1.Edit(error) : m_data1.AddNew(error)))
            return false;
        const bool complete = fill(i, columns);
        if (!m_data1.Update(error))
            return false;
        if (!complete && rowFailed)
            rowFailed(i);
        if (i < rows)
            m_data1.MoveNext();
    }
    for (int i = count + 1; i <= rows; ++i) {
        if (!m_data1.Edit(error))
            return false;
        bool complete = true;
        for (int column : columns)
            complete = set(column, CellValue()) && complete;
        if (!m_data1.Update(error))
            return false;
        if (!complete && rowFailed)
            rowFailed(i);
        else if (!complete && !rowFailed) {
            *error = QStringLiteral("Não foi possível limpar a linha %1 da folha %2.").arg(i + 1).arg(sheet);
            return false;
        }
        if (i < rows)
            m_data1.MoveNext();
    }
    return true;
}

bool InventoryWriter::GravarArtigos(QString* error)
{
    static const QStringList columns { QStringLiteral("CodArtigo"), QStringLiteral("DescArtigo"),
        QStringLiteral("FamiliaContabilistica"), QStringLiteral("DescFamiliaContabilistica"),
        QStringLiteral("UnidadeDeCompra"), QStringLiteral("UnidadeDeStock"), QStringLiteral("ConversaoCompraStock"),
        QStringLiteral("PrecoCompraUnitario"), QStringLiteral("DataRecepcao"), QStringLiteral("DataUltimaImportacao"),
        QStringLiteral("Posicao") };
    return rewrite(
        QStringLiteral("Artigos$"), m_tables.NArtigos(), columns,
        [&](int slot, const std::vector<int>& c) {
            const Artigo& a = m_tables.artigo(slot);
            set(c[0], text(a.CodArtigo));
            set(c[1], text(a.DescArtigo));
            set(c[2], text(a.CodFamContabilista));
            set(c[3], text(a.DescFamiliaContabilista));
            set(c[4], text(a.UnidadeDeCompra));
            set(c[5], text(a.UnidadeDeStock));
            set(c[6], number(a.ConversaoCompraStock));
            set(c[7], number(a.PrecoCompraUnitario));
            set(c[8], CellValue::date(a.DataRecepcao));
            set(c[9], CellValue::date(a.DataUltimaImportacao));
            set(c[10], number(a.Posicao));
            return true; // a column that cannot be set keeps what it held
        },
        nullptr, error);
}

bool InventoryWriter::GravarFicheiroDasLeituras(QString* error)
{
    static const QStringList columns { QStringLiteral("CodArtigo"), QStringLiteral("CentroCusto"),
        QStringLiteral("FamiliaContabilistica"), QStringLiteral("QtEmUnidadeInventario"), QStringLiteral("Unidade"),
        QStringLiteral("LeituraDuvidosa") };
    return rewrite(
        QStringLiteral("Inventario$"), m_tables.NLeituras(), columns,
        [&](int slot, const std::vector<int>& c) {
            const Leitura& l = m_tables.leitura(slot);
            set(c[0], text(l.CodArtigo));
            set(c[1], text(l.CentroCusto));
            set(c[2], text(l.FamiliaContabilista));
            set(c[3], text(Conversions::numberToSiteText(l.QtEmUnidadeInventario)));
            set(c[4], text(l.Unidade));
            set(c[5], number(l.LeituraDuvidosa));
            return true;
        },
        nullptr, error);
}

bool InventoryWriter::GravarCodigosBarras(QString* error)
{
    static const QStringList columns { QStringLiteral("CodArtigo"), QStringLiteral("Unidade"),
        QStringLiteral("CodBarras") };
    int failedRows = 0;
    const bool ok = rewrite(
        QStringLiteral("CodBarras$"), m_tables.NCodBarras(), columns,
        [&](int slot, const std::vector<int>& c) {
            const CodigoBarras& entry = m_tables.codigoBarras(slot);
            const bool code = set(c[0], entry.CodArtigo);
            const bool unit = set(c[1], entry.Unidade);
            return set(c[2], entry.CodBarras) && code && unit;
        },
        [&](int slot) {
            if (++failedRows > kBarcodeMessages)
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
    if (!GravarFicheiroDasLeituras(error) || !GravarArtigos(error) || !GravarCodigosBarras(error))
        return false;
    GravarArtigosSemCodBarras();
    return true;
}

void InventoryWriter::GravarArtigosSemCodBarras()
{
    QString ignored;
    m_data1.setRecordSource(QStringLiteral("ArtigosSemCodBarras$"));
    if (!m_data1.Refresh(&ignored))
        return;
    m_data1.MoveFirst(&ignored);
    const int code = m_data1.column(QStringLiteral("CODARTIGO"));
    const int desc = m_data1.column(QStringLiteral("DESCARTIGO"));
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        const Artigo& a = m_tables.artigo(i);
        if (m_tables.hasBarcode(a.CodArtigo))
            continue;
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
    m_data1.setRecordSource(QStringLiteral("Correccoes$"));
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
        if (!m_data1.field(QStringLiteral("CodArtigo"), &rowCode, error))
            return false;
        found = Conversions::trimBlanks(rowCode.toText()) == code;
        if (!found)
            m_data1.MoveNext();
    }
    if (found) {
        if (!m_data1.Edit(error))
            return false;
    } else if (!m_data1.AddNew(error) || !m_data1.setField(QStringLiteral("CodArtigo"), text(code), error)) {
        return false;
    }
    const std::pair<QString, const CellValue*> values[] = { { QStringLiteral("DescArtigo"), &DescArtigo },
        { QStringLiteral("FamiliaContabilistica"), &CodFamContabilista },
        { QStringLiteral("DescFamiliaContabilistica"), &DescFamiliaContabilista },
        { QStringLiteral("UnidadeDeCompra"), &UnidadeDeCompra }, { QStringLiteral("UnidadeDeStock"), &UnidadeDeStock },
        { QStringLiteral("ConversaoCompraStock"), &ConversaoCompraStock } };
    for (const auto& [column, value] : values) {
        if (!m_data1.setField(column, *value, error))
            return false;
    }
    return m_data1.Update(error);
}
