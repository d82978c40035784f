#include "report/CountSummary.h"

#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <QHash>

#include <algorithm>

CountSummary::CountSummary(InventoryTables& tables)
{
    QHash<QString, size_t> rowOf;
    for (int slot = 1; slot <= tables.NLeituras(); ++slot) {
        const Leitura& l = tables.leitura(slot);
        auto found = rowOf.constFind(l.CentroCusto);
        if (found == rowOf.cend()) {
            found = rowOf.insert(l.CentroCusto, m_rows.size());
            m_rows.push_back({ l.CentroCusto });
        }
        Row& row = m_rows[*found];
        ++row.readings;
        row.doubtful += l.LeituraDuvidosa >= 2 ? 1 : 0;
        // As the report values a reading: its quantity in purchase units at the article's price; an unknown
        // article is worth nothing.
        if (const int article = tables.ProcuraArtigo(l.CodArtigo)) {
            const Artigo& a = tables.artigo(article);
            row.value += a.PrecoCompraUnitario * InventoryTables::qtEmUnidadeCompra(l, a).value_or(l.QtEmUnidadeCompra);
        }
    }
    std::stable_sort(m_rows.begin(), m_rows.end(), [](const Row& a, const Row& b) {
        return Conversions::numericValue(a.CentroCusto) < Conversions::numericValue(b.CentroCusto);
    });
    m_total.CentroCusto = QStringLiteral("Total");
    for (const Row& row : m_rows) {
        m_total.readings += row.readings;
        m_total.doubtful += row.doubtful;
        m_total.value += row.value;
    }
}
