#include "site/EditorCommands.h"

#include "reception/ReceptionImport.h"
#include "site/Site.h"
#include "tables/DataCommand.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "values/Conversions.h"

#include <QHash>

#include <cmath>

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

} // namespace

EditorCommands::EditorCommands(Site& site)
    : m_site(site)
{
}

CommandResult EditorCommands::confirmArticles(
    const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost)
{
    InventoryTables& tables = m_site.tables();
    QString error;
    const bool saved
        = DataCommand(tables, m_site.data1())
              .run(
                  [&](QString* e) {
                      std::vector<Artigo> articles;
                      const auto apply = [&tables](const RowEdit& row, Artigo& a, QString* why) {
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
                      };
                      if (!merged<Artigo>(
                              rows, removed, tables.NArtigos(),
                              [&tables](int s) -> const Artigo& { return tables.artigo(s); }, apply, &articles, lost,
                              e))
                          return false;
                      if (articles.size() > size_t(InventoryTables::CapacidadeArtigos)) {
                          *e = QStringLiteral("A tabela de artigos não tem lugar para %1 artigos. Nada foi alterado.")
                                   .arg(articles.size());
                          return false;
                      }
                      for (size_t i = 0; i < articles.size(); ++i)
                          tables.editArtigo(int(i) + 1) = articles[i];
                      tables.setNArtigos(int(articles.size()));
                      return InventoryWriter(m_site.data1(), tables, m_site.ui()).GravarArtigos(e);
                  },
                  &error);
    return saved ? CommandResult::done() : CommandResult::failed(error);
}

CommandResult EditorCommands::confirmReadings(
    const std::vector<RowEdit>& rows, const QSet<quint64>& removed, QStringList* lost)
{
    InventoryTables& tables = m_site.tables();
    QString error;
    const bool saved
        = DataCommand(tables, m_site.data1())
              .run(
                  [&](QString* e) {
                      std::vector<Leitura> readings;
                      const auto apply = [&tables](const RowEdit& row, Leitura& l, QString* why) {
                          using namespace ReadingColumn;
                          if (row.recordId == 0)
                              l.recordId = tables.newRecordId();
                          text(row.changed, CodArtigo, &l.CodArtigo);
                          text(row.changed, CentroCusto, &l.CentroCusto);
                          text(row.changed, FamiliaContabilista, &l.FamiliaContabilista);
                          text(row.changed, Unidade, &l.Unidade);
                          if (row.unmarked)
                              l.LeituraDuvidosa = 0;
                          // A collection meanwhile adds to the count: the user's correction goes on top of what it
                          // added.
                          const double current = l.QtEmUnidadeInventario;
                          if (!number(row.changed, QtEmUnidadeInventario, &l.QtEmUnidadeInventario, why))
                              return false;
                          double filled = current;
                          if (row.recordId != 0 && number(row.original, QtEmUnidadeInventario, &filled, why)
                              && row.changed.contains(QtEmUnidadeInventario) && std::fabs(current - filled) > 1e-9)
                              l.QtEmUnidadeInventario += current - filled;
                          return true;
                      };
                      if (!merged<Leitura>(
                              rows, removed, tables.NLeituras(),
                              [&tables](int s) -> const Leitura& { return tables.leitura(s); }, apply, &readings, lost,
                              e))
                          return false;
                      if (readings.size() > size_t(InventoryTables::CapacidadeLeituras)) {
                          *e = QStringLiteral("A tabela de leituras não tem lugar para %1 leituras. Nada foi alterado.")
                                   .arg(readings.size());
                          return false;
                      }
                      for (size_t i = 0; i < readings.size(); ++i)
                          tables.editLeitura(int(i) + 1) = readings[i];
                      tables.setNLeituras(int(readings.size()));
                      return InventoryWriter(m_site.data1(), tables, m_site.ui()).GravarFicheiroDasLeituras(e);
                  },
                  &error);
    return saved ? CommandResult::done() : CommandResult::failed(error);
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
