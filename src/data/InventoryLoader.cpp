#include "data/InventoryLoader.h"

#include "app/UserInteraction.h"
#include "data/DataControl.h"
#include "data/InventoryTables.h"

namespace {

// Shows the busy pointer over the main window while a loader runs.
class BusyPointer
{
public:
    explicit BusyPointer(UserInteraction& ui)
        : m_ui(ui)
    {
        m_ui.setBusy(UserInteraction::Window::Main, true);
    }
    ~BusyPointer() { m_ui.setBusy(UserInteraction::Window::Main, false); }

private:
    UserInteraction& m_ui;
};

} // namespace

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

// A missing column or a row that cannot be read counts as empty.
CellValue InventoryLoader::cell(const QString& column) const
{
    CellValue value;
    QString ignored;
    return m_data1.field(column, &value, &ignored) ? value : CellValue();
}

bool InventoryLoader::LerFicheiroContasContabilisticas(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Contabilistica$"), error))
        return false;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue conta = cell(QStringLiteral("CONTA"));
        const CellValue contaContab = cell(QStringLiteral("CONTACONTABILISTICA"));
        const CellValue desConta = cell(QStringLiteral("DESCRICAO CONTA"));
        m_tables.AdicionaContasContabilisticas(conta.toText(), conta, contaContab, desConta);
    }
    return true;
}

bool InventoryLoader::LerFicheiroArtigos(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Artigos$"), error))
        return false;
    static const QString columns[] = {
        QStringLiteral("CodArtigo"),           QStringLiteral("FamiliaContabilistica"),
        QStringLiteral("DataRecepcao"),        QStringLiteral("DescArtigo"),
        QStringLiteral("PrecoCompraUnitario"), QStringLiteral("UnidadeDeCompra"),
        QStringLiteral("UnidadeDeStock"),      QStringLiteral("ConversaoCompraStock"),
        QStringLiteral("DescFamiliaContabilistica"), QStringLiteral("DataUltimaImportacao"),
        QStringLiteral("Posicao")};
    CellValue v[11];
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        for (int c = 0; c < 11; ++c) {
            if (!m_data1.field(columns[c], &v[c], error))
                return false;
        }
        m_tables.AdicionaArtigo(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], 0, 3);
    }
    return true;
}

bool InventoryLoader::LerFicheiroDasLeituras(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("Inventario$"), error))
        return false;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        m_tables.AdicionaLeitura(cell(QStringLiteral("CodArtigo")), cell(QStringLiteral("FamiliaContabilistica")),
                                 cell(QStringLiteral("CentroCusto")), cell(QStringLiteral("Unidade")),
                                 cell(QStringLiteral("QtEmUnidadeInventario")), cell(QStringLiteral("LeituraDuvidosa")));
    }
    return true;
}

bool InventoryLoader::LerFicheiroCodigosBarras(QString* error)
{
    BusyPointer busy(m_ui);
    if (!openSheet(QStringLiteral("CodBarras$"), error))
        return false;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        m_tables.AdicionaCodigosBarras(cell(QStringLiteral("CodArtigo")), cell(QStringLiteral("Unidade")),
                                       cell(QStringLiteral("CodBarras")));
    }
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
