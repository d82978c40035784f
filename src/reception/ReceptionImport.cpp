#include "reception/ReceptionImport.h"

#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "tables/Sheets.h"
#include "tables/TextShaping.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QHash>

namespace {

// The reception workbook's one sheet, as the goods-reception program writes it: its columns stand in the order
// of the first eight of the articles sheet.
const Sheets::Layout& receptionSheet()
{
    static const Sheets::Layout sheet { QStringLiteral("FicheirodeRecepcoes"),
        { QStringLiteral("Código Artigo"), QStringLiteral("Familia de Contabilidade"),
            QStringLiteral("Data de Recepção"), QStringLiteral("Descrição do Artigo"),
            QStringLiteral("Preço de Compra Unitário"), QStringLiteral("Unidade de Compra"),
            QStringLiteral("Unidade de Stock"), QStringLiteral("Conversão Un Compra-UnStock") } };
    return sheet;
}

} // namespace

ReceptionImport::ReceptionImport(
    InventoryTables& tables, DataControl& data1, DataControl& data2, UserInteraction& ui, const Clock& clock)
    : m_tables(tables)
    , m_data1(data1)
    , m_data2(data2)
    , m_ui(ui)
    , m_clock(clock)
{
}

CommandResult ReceptionImport::ImportarFicheiro()
{
    CommandResult read = CommandResult::done();
    InventoryWriter writer(m_data1, m_tables, m_ui);
    QString error;
    const bool saved = DataCommand(m_tables, m_data1)
                           .run(
                               [&](QString* cause) {
                                   read = LerFicheiroRecepcoes();
                                   if (read.ending() != CommandResult::Ending::Done)
                                       return true; // nothing was changed
                                   ActualizaDescricoesFamilias();
                                   return writer.GravarArtigos(cause);
                               },
                               &error);
    return saved ? read : CommandResult::failed(error);
}

CommandResult ReceptionImport::LerFicheiroRecepcoes()
{
    const QString file = m_ui.chooseFile();
    if (file.isEmpty())
        return CommandResult::cancelled();
    m_data2.setDatabaseName(file);
    QString cause;
    std::vector<int> columns;
    if (!Sheets::open(m_data2, receptionSheet(), &columns, &cause))
        return CommandResult::failed(QStringLiteral("Nome da tabela tem que ser FicheirodeRecepcoes! ") + cause);
    m_ui.setBusy(UserInteraction::Window::Main, true);
    receptionPass(columns);
    correctionsPass();
    m_ui.setBusy(UserInteraction::Window::Main, false);
    return CommandResult::done();
}

void ReceptionImport::receptionPass(const std::vector<int>& c)
{
    using namespace Sheets::Artigos;
    const CellValue position = CellValue::number(0);
    for (; !m_data2.Eof(); m_data2.MoveNext()) {
        const auto v = [&](Column column) { return m_data2.field(c[column]); };
        // The family code also stands as the description until the descriptions are refreshed.
        const CellValue now = CellValue::date(Conversions::dayNumberFromDateTime(m_clock.now()));
        m_tables.AdicionaArtigo(v(CodArtigo), v(FamiliaContabilistica), v(DataRecepcao), v(DescArtigo),
            v(PrecoCompraUnitario), v(UnidadeDeCompra), v(UnidadeDeStock), v(ConversaoCompraStock),
            v(FamiliaContabilistica), now, position, 1, Origin::Reception);
    }
}

void ReceptionImport::correctionsPass()
{
    using namespace Sheets::Correccoes;
    QString ignored;
    std::vector<int> c;
    if (!Sheets::open(m_data1, Sheets::correccoes(), &c, &ignored))
        return;
    const CellValue zero = CellValue::number(0);
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const auto v = [&](Column column) { return m_data1.field(c[column]); };
        if (m_tables.AdicionaArtigo(v(CodArtigo), v(FamiliaContabilistica), zero, v(DescArtigo), v(PrecoCompraUnitario),
                v(UnidadeDeCompra), v(UnidadeDeStock), v(ConversaoCompraStock), v(DescFamiliaContabilistica), zero,
                zero, 0, Origin::Correction)
            != 0)
            continue;
        // The correction changes nothing any more: its row is blanked.
        if (!m_data1.Edit(&ignored))
            continue;
        for (int column : c)
            m_data1.setField(column, CellValue());
        m_data1.Update(&ignored);
    }
}

std::vector<std::pair<QString, QString>> ReceptionImport::familyRows()
{
    using namespace Sheets::Contabilistica;
    std::vector<std::pair<QString, QString>> rows;
    QString ignored;
    std::vector<int> c;
    if (!Sheets::open(m_data1, Sheets::contabilistica(), &c, &ignored))
        return rows;
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue code = m_data1.field(c[CONTA]);
        const CellValue text = m_data1.field(c[DESCRICAO_CONTA]);
        if (!code.isNull() && !text.isNull())
            rows.emplace_back(code.toText(), text.toText());
    }
    return rows;
}

void ReceptionImport::ActualizaDescricoesFamilias()
{
    // Of several rows for one code the last wins, as when every row is applied in turn.
    QHash<QString, QString> descriptionOf;
    for (const auto& [code, description] : familyRows())
        descriptionOf.insert(code, TextShaping::TiraAcentos(description));
    for (int i = 1; i <= m_tables.NArtigos(); ++i) {
        const auto found = descriptionOf.constFind(m_tables.artigo(i).CodFamContabilista);
        if (found != descriptionOf.cend() && *found != m_tables.artigo(i).DescFamiliaContabilista)
            m_tables.editArtigo(i).DescFamiliaContabilista = *found;
    }
}

QString ReceptionImport::Consulta_CodFamContabilisticaPorDesc(const QString& DescFam)
{
    const QString wanted = TextShaping::TiraAcentos(DescFam);
    QString code;
    for (const auto& [conta, description] : familyRows()) {
        if (TextShaping::TiraAcentos(description) == wanted)
            code = Conversions::trimBlanks(conta);
    }
    return code;
}
