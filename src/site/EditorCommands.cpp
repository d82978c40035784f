#include "site/EditorCommands.h"

#include "reception/ReceptionImport.h"
#include "site/Site.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "values/Conversions.h"

#include <QHash>

#include <cmath>
#include <functional>

namespace {

// The records of slotOf 1..count by identity.
template <typename Record, typename Get> QHash<quint64, int> slotsById(int count, Get get)
{
    QHash<quint64, int> slotOf;
    slotOf.reserve(count);
    for (int slot = 1; slot <= count; ++slot) {
        const Record& record = get(slot);
        slotOf.insert(record.recordId, slot);
    }
    return slotOf;
}

bool number(const QHash<int, QString>& changed, int column, double* value, QString* error)
{
    const auto cell = changed.constFind(column);
    if (cell == changed.cend())
        return true;
    const std::optional<double> read = Conversions::siteTextToNumber(*cell);
    if (!read) {
        *error = QStringLiteral("\"%1\" não é um número. Nada foi alterado.").arg(*cell);
        return false;
    }
    *value = *read;
    return true;
}

void text(const QHash<int, QString>& changed, int column, QString* field)
{
    const auto cell = changed.constFind(column);
    if (cell != changed.cend())
        *field = *cell;
}

// The records in the rows' order with their edits, then the ones neither shown nor removed: those another
// command added while the editor was open.
template <typename Record, typename Get, typename Apply>
bool merged(const std::vector<RowEdit>& rows, const QSet<quint64>& removed, int count, Get get, Apply apply,
    std::vector<Record>* result, QStringList* lost, QString* error)
{
    const QHash<quint64, int> slotOf = slotsById<Record>(count, get);
    QSet<quint64> shown;
    for (const RowEdit& row : rows) {
        Record record;
        if (row.recordId != 0) {
            const auto slot = slotOf.constFind(row.recordId);
            if (slot == slotOf.cend()) {
                if (!row.changed.isEmpty() || row.unmarked)
                    lost->append(row.code);
                continue;
            }
            record = get(*slot);
            shown.insert(row.recordId);
        }
        if (!apply(row, record, error))
            return false;
        result->push_back(record);
    }
    for (int slot = 1; slot <= count; ++slot) {
        const Record& record = get(slot);
        if (!shown.contains(record.recordId) && !removed.contains(record.recordId))
            result->push_back(record);
    }
    return true;
}

// How the merge reaches one table: its slots, its count, its room and its save.
template <typename Record> struct Table
{
    std::function<const Record&(int)> get;
    std::function<Record&(int)> edit;
    int count;
    std::function<void(int)> setCount;
    int capacity;
    QString full; // the refusal when the merged records do not fit; %1 is their number
    bool (InventoryWriter::*save)(QString*);
};

// The merge and the save of one table, as one command.
template <typename Record, typename Apply>
CommandResult confirmRows(Site& site, const Table<Record>& table, const std::vector<RowEdit>& rows,
    const QSet<quint64>& removed, QStringList* lost, Apply apply)
{
    const auto work = [&](QString* error) {
        std::vector<Record> records;
        if (!merged<Record>(rows, removed, table.count, table.get, apply, &records, lost, error))
            return false;
        if (records.size() > size_t(table.capacity)) {
            *error = table.full.arg(records.size());
            return false;
        }
        for (size_t i = 0; i < records.size(); ++i)
            table.edit(int(i) + 1) = records[i];
        table.setCount(int(records.size()));
        InventoryWriter writer(site.data1(), site.tables(), site.ui());
        return (writer.*table.save)(error);
    };
    QString error;
    return DataCommand(site.tables(), site.data1()).run(work, &error) ? CommandResult::done()
                                                                      : CommandResult::failed(error);
}

} // namespace

EditorCommands::EditorCommands(Site& site)
    : m_site(site)
{
}

CommandResult EditorCommands::confirmArticles(
    const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost)
{
    InventoryTables& tables = m_site.tables();
    const Table<Artigo> articles { [&tables](int s) -> const Artigo& { return tables.artigo(s); },
        [&tables](int s) -> Artigo& { return tables.editArtigo(s); }, tables.NArtigos(),
        [&tables](int n) { tables.setNArtigos(n); }, InventoryTables::CapacidadeArtigos,
        QStringLiteral("A tabela de artigos não tem lugar para %1 artigos. Nada foi alterado."),
        &InventoryWriter::GravarArtigos };
    return confirmRows(m_site, articles, rows, removed, lost, [&tables](const RowEdit& row, Artigo& a, QString* why) {
        using namespace ArticleColumn;
        if (row.recordId == 0)
            a.recordId = tables.newRecordId();
        text(row.changed, CodArtigo, &a.CodArtigo);
        text(row.changed, DescArtigo, &a.DescArtigo);
        text(row.changed, CodFamContabilista, &a.CodFamContabilista);
        text(row.changed, DescFamiliaContabilista, &a.DescFamiliaContabilista);
        text(row.changed, UnidadeDeCompra, &a.UnidadeDeCompra);
        text(row.changed, UnidadeDeStock, &a.UnidadeDeStock);
        return number(row.changed, ConversaoCompraStock, &a.ConversaoCompraStock, why)
            && number(row.changed, PrecoCompraUnitario, &a.PrecoCompraUnitario, why);
    });
}

CommandResult EditorCommands::confirmReadings(
    const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost)
{
    InventoryTables& tables = m_site.tables();
    const Table<Leitura> readings { [&tables](int s) -> const Leitura& { return tables.leitura(s); },
        [&tables](int s) -> Leitura& { return tables.editLeitura(s); }, tables.NLeituras(),
        [&tables](int n) { tables.setNLeituras(n); }, InventoryTables::CapacidadeLeituras,
        QStringLiteral("A tabela de leituras não tem lugar para %1 leituras. Nada foi alterado."),
        &InventoryWriter::GravarFicheiroDasLeituras };
    return confirmRows(m_site, readings, rows, removed, lost, [&tables](const RowEdit& row, Leitura& l, QString* why) {
        using namespace ReadingColumn;
        if (row.recordId == 0)
            l.recordId = tables.newRecordId();
        text(row.changed, CodArtigo, &l.CodArtigo);
        text(row.changed, CentroCusto, &l.CentroCusto);
        text(row.changed, FamiliaContabilista, &l.FamiliaContabilista);
        text(row.changed, Unidade, &l.Unidade);
        if (row.unmarked)
            l.LeituraDuvidosa = 0;
        // A collection meanwhile adds to the count: the user's correction goes on top of what it added.
        const double current = l.QtEmUnidadeInventario;
        if (!number(row.changed, QtEmUnidadeInventario, &l.QtEmUnidadeInventario, why))
            return false;
        double filled = current;
        if (row.recordId != 0 && row.changed.contains(QtEmUnidadeInventario)
            && number(row.original, QtEmUnidadeInventario, &filled, why) && std::fabs(current - filled) > 1e-9)
            l.QtEmUnidadeInventario += current - filled;
        return true;
    });
}

void EditorCommands::keepClearedMarks(const QSet<quint64>& readings)
{
    InventoryTables& tables = m_site.tables();
    for (int slot = 1; slot <= tables.NLeituras(); ++slot) {
        if (readings.contains(tables.leitura(slot).recordId))
            tables.editLeitura(slot).LeituraDuvidosa = 1;
    }
}

CommandResult EditorCommands::AdicionaArtigosExcepcao(const QStringList& cells)
{
    using namespace ArticleColumn;
    const auto cell = [&cells](int column) { return CellValue::text(cells.value(column)); };
    QString error;
    const bool saved
        = DataCommand(m_site.tables(), m_site.data1())
              .run(
                  [&](QString* e) {
                      return InventoryWriter(m_site.data1(), m_site.tables(), m_site.ui())
                          .AdicionaArtigosExcepcao(cell(CodArtigo), cell(CodFamContabilista), cell(DescArtigo),
                              cell(PrecoCompraUnitario), cell(UnidadeDeCompra), cell(UnidadeDeStock),
                              cell(ConversaoCompraStock), cell(DescFamiliaContabilista), e);
                  },
                  &error);
    return saved ? CommandResult::done() : CommandResult::failed(error);
}

QString EditorCommands::Consulta_CodFamContabilisticaPorDesc(const QString& description)
{
    return ReceptionImport(m_site.tables(), m_site.data1(), m_site.data2(), m_site.ui(), m_site.clock())
        .Consulta_CodFamContabilisticaPorDesc(description);
}
