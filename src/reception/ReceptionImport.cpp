#include "reception/ReceptionImport.h"

#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "tables/TextShaping.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QHash>

namespace {

// A missing column is -1, which reads as an empty cell.
std::vector<int> columns(const DataControl& data, std::initializer_list<const char16_t*> headings)
{
    std::vector<int> found;
    for (const char16_t* heading : headings)
        found.push_back(data.column(QString::fromUtf16(heading)));
    return found;
}

bool openSheet(DataControl& data, const QString& sheet, QString* error)
{
    data.setRecordSource(sheet);
    return data.Refresh(error) && data.MoveFirst(error);
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
    if (!openSheet(m_data2, QStringLiteral("FicheirodeRecepcoes$"), &cause))
        return CommandResult::failed(QStringLiteral("Nome da tabela tem que ser FicheirodeRecepcoes! ") + cause);
    m_ui.setBusy(UserInteraction::Window::Main, true);
    receptionPass();
    correctionsPass();
    m_ui.setBusy(UserInteraction::Window::Main, false);
    return CommandResult::done();
}

void ReceptionImport::receptionPass()
{
    const std::vector<int> c = columns(m_data2,
        { u"Código Artigo", u"Familia de Contabilidade", u"Data de Recepção", u"Descrição do Artigo",
            u"Preço de Compra Unitário", u"Unidade de Compra", u"Unidade de Stock", u"Conversão Un Compra-UnStock" });
    const CellValue position = CellValue::number(0);
    CellValue v[8];
    for (; !m_data2.Eof(); m_data2.MoveNext()) {
        for (size_t k = 0; k < 8; ++k)
            v[k] = m_data2.field(c[k]);
        // The family code also stands as the description until the descriptions are refreshed.
        const CellValue now = CellValue::date(Conversions::dayNumberFromDateTime(m_clock.now()));
        m_tables.AdicionaArtigo(
            v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[1], now, position, 1, Origin::Reception);
    }
}

void ReceptionImport::correctionsPass()
{
    QString ignored;
    if (!openSheet(m_data1, QStringLiteral("Correccoes$"), &ignored))
        return;
    const std::vector<int> c = columns(m_data1,
        { u"CodArtigo", u"FamiliaContabilistica", u"DescArtigo", u"PrecoCompraUnitario", u"UnidadeDeCompra",
            u"UnidadeDeStock", u"ConversaoCompraStock", u"DescFamiliaContabilistica" });
    const CellValue zero = CellValue::number(0);
    CellValue v[8];
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        for (size_t k = 0; k < 8; ++k)
            v[k] = m_data1.field(c[k]);
        if (m_tables.AdicionaArtigo(
                v[0], v[1], zero, v[2], v[3], v[4], v[5], v[6], v[7], zero, zero, 0, Origin::Correction)
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
    std::vector<std::pair<QString, QString>> rows;
    QString ignored;
    if (!openSheet(m_data1, QStringLiteral("Contabilistica$"), &ignored))
        return rows;
    const int conta = m_data1.column(QStringLiteral("CONTA"));
    const int description = m_data1.column(QStringLiteral("DESCRICAO CONTA"));
    for (; !m_data1.Eof(); m_data1.MoveNext()) {
        const CellValue code = m_data1.field(conta);
        const CellValue text = m_data1.field(description);
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
