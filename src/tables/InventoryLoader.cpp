#include "tables/InventoryLoader.h"

#include "platform/BusyPointer.h"
#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "workbook/DataControl.h"

InventoryLoader::InventoryLoader(DataControl& data1, InventoryTables& tables, UserInteraction& ui)
    : m_data1(data1)
    , m_tables(tables)
    , m_ui(ui)
{
}

bool InventoryLoader::openSheet(const QString& sheet, QString* error)
{
    m_data1.setRecordSource(sheet);
    return m_data1.Refresh(error) && m_data1.MoveFirst(error);
}

// A missing column (-1) reads as empty.
std::vector<int> InventoryLoader::columns(std::initializer_list<const char16_t*> headings) const
{
    std::vector<int> found;
    for (const char16_t* heading : headings)
        found.push_back(m_data1.column(QString::fromUtf16(heading)));
    return found;
}

bool InventoryLoader::LerFicheiroContasContabilisticas(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Contabilistica$"), error))
        return false;
    const std::vector<int> c = columns({ u"CONTA", u"CONTACONTABILISTICA", u"DESCRICAO CONTA" });
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue conta = m_data1.field(c[0]);
        m_tables.AdicionaContasContabilisticas(conta.toText(), conta, m_data1.field(c[1]), m_data1.field(c[2]));
    }
    return true;
}

bool InventoryLoader::LerFicheiroArtigos(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Artigos$"), error))
        return false;
    const auto headings = { u"CodArtigo", u"FamiliaContabilistica", u"DataRecepcao", u"DescArtigo",
        u"PrecoCompraUnitario", u"UnidadeDeCompra", u"UnidadeDeStock", u"ConversaoCompraStock",
        u"DescFamiliaContabilistica", u"DataUltimaImportacao", u"Posicao" };
    const std::vector<int> c = columns(headings);
    for (size_t i = 0; i < c.size(); ++i) {
        CellValue ignored;
        // Here a missing column fails the loader, with the reason the field gives.
        if (c[i] < 0 && !m_data1.field(QString::fromUtf16(headings.begin()[i]), &ignored, error))
            return false;
    }
    CellValue v[11];
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        for (size_t i = 0; i < 11; ++i)
            v[i] = m_data1.field(c[i]);
        m_tables.AdicionaArtigo(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], 0, Origin::Loaded);
    }
    return true;
}

bool InventoryLoader::LerFicheiroDasLeituras(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Inventario$"), error))
        return false;
    const std::vector<int> c = columns({ u"CodArtigo", u"FamiliaContabilistica", u"CentroCusto", u"Unidade",
        u"QtEmUnidadeInventario", u"LeituraDuvidosa" });
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        m_tables.AdicionaLeitura(m_data1.field(c[0]), m_data1.field(c[1]), m_data1.field(c[2]), m_data1.field(c[3]),
            m_data1.field(c[4]), m_data1.field(c[5]));
    }
    return true;
}

bool InventoryLoader::LerFicheiroCodigosBarras(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("CodBarras$"), error))
        return false;
    const std::vector<int> c = columns({ u"CodArtigo", u"Unidade", u"CodBarras" });
    for (; !m_data1.Eof(); m_data1.MoveNext())
        m_tables.AdicionaCodigosBarras(m_data1.field(c[0]), m_data1.field(c[1]), m_data1.field(c[2]));
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
    if (!LerFicheiroDasLeituras(&error))
        return fail(QStringLiteral("Erro em 'Inventarios' ") + error);
    if (!LerFicheiroCodigosBarras(&error))
        return fail(QStringLiteral("Erro em 'CodBarras'"));
    return true;
}
