#include "report/Variance.h"

#include "report/ReportText.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

using ReportText::FormatStrSpaces2;
using ReportText::quantityText;
using ReportText::valueText;

constexpr int kIndent = 10;
constexpr int kCode = 8;
constexpr int kDescription = 30;
constexpr int kNumber = 12;

struct Totals
{
    double anterior = 0;
    double actual = 0;
    void add(const Variance::Line& l)
    {
        anterior += l.valorAnterior;
        actual += l.valorActual;
    }
};

QString totalLine(int indent, const QString& label, const Totals& t)
{
    return QString(indent, u' ') + FormatStrSpaces2(label, kIndent - indent + kCode + kDescription + 3 * kNumber)
        + valueText(t.anterior, kNumber) + valueText(t.actual, kNumber) + valueText(t.actual - t.anterior, kNumber);
}

QString rounded(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return Conversions::numberToSiteText(std::round(v * scale) / scale);
}

} // namespace

Variance::Variance(const InventoryTables& previous, InventoryTables& current)
    : m_current(current)
{
    QHash<std::pair<QString, QString>, size_t> lineOf;
    const auto add = [&](const Leitura& l, bool isPrevious) {
        const QString centre = Conversions::trimBlanks(l.CentroCusto);
        const QString code = Conversions::trimBlanks(l.CodArtigo);
        const int slot = current.ProcuraArtigo(code);
        const Artigo& a = current.artigo(slot);
        if (isPrevious && slot > 0)
            m_sharesArticles = true;
        const auto key = std::make_pair(centre, code);
        auto found = lineOf.constFind(key);
        if (found == lineOf.cend()) {
            found = lineOf.insert(key, m_lines.size());
            m_lines.push_back({ centre, Conversions::trimBlanks(l.FamiliaContabilista), code, a.DescArtigo });
        }
        Line& line = m_lines[*found];
        const double quantity = slot > 0 ? InventoryTables::qtEmUnidadeCompra(l, a).value_or(l.QtEmUnidadeInventario)
                                         : l.QtEmUnidadeInventario;
        const double value = slot > 0 ? a.PrecoCompraUnitario * quantity : 0.0;
        if (isPrevious) {
            line.qtAnterior += quantity;
            line.valorAnterior += value;
        } else {
            line.qtActual += quantity;
            line.valorActual += value;
            line.FamiliaContabilista = Conversions::trimBlanks(l.FamiliaContabilista);
        }
    };
    for (int slot = 1; slot <= previous.NLeituras(); ++slot)
        add(previous.leitura(slot), true);
    for (int slot = 1; slot <= current.NLeituras(); ++slot)
        add(current.leitura(slot), false);

    // The report's order: by the numbers of cost centre and family; texts keep equal numbers apart in groups.
    // The keys are worked out once, not at every comparison.
    struct Key
    {
        double centre;
        QStringView centreText;
        double family;
        QStringView familyText;
        double moved;
        size_t line;
        auto tie() const { return std::tie(centre, centreText, family, familyText, moved); }
    };
    std::vector<Key> keys;
    keys.reserve(m_lines.size());
    for (size_t i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        keys.push_back(
            { Conversions::numericValue(l.CentroCusto), l.CentroCusto, Conversions::numericValue(l.FamiliaContabilista),
                l.FamiliaContabilista, -std::fabs(l.valorActual - l.valorAnterior), i });
    }
    std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.tie() < b.tie(); });
    std::vector<Line> sorted;
    sorted.reserve(m_lines.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(m_lines[key.line]));
    m_lines = std::move(sorted);
}

QString Variance::text(const QString& title) const
{
    QStringList out { title, QString() };
    QString columns = QString(kIndent, u' ') + FormatStrSpaces2(QStringLiteral("Artigo"), kCode)
        + FormatStrSpaces2(QStringLiteral("Descrição"), kDescription);
    for (const char16_t* heading :
        { u"Qt anterior", u"Qt actual", u"Dif. Qt", u"Valor ant.", u"Valor act.", u"Dif. valor" })
        columns += QString::fromUtf16(heading).rightJustified(kNumber);
    Totals site;
    for (size_t i = 0; i < m_lines.size();) {
        const QString centre = m_lines[i].CentroCusto;
        out << QStringLiteral("Centro Custo ") + centre;
        Totals centreTotals;
        while (i < m_lines.size() && m_lines[i].CentroCusto == centre) {
            const QString family = m_lines[i].FamiliaContabilista;
            const ContaContabilistica& conta = m_current.conta(ReportText::ProcuraConta(m_current, family));
            out << QString(5, u' ') + QStringLiteral("Familia Contabilistica ") + conta.ContaContab + u' '
                    + conta.DesConta
                << columns;
            Totals familyTotals;
            for (; i < m_lines.size() && m_lines[i].CentroCusto == centre && m_lines[i].FamiliaContabilista == family;
                 ++i) {
                const Line& l = m_lines[i];
                out << QString(kIndent, u' ') + FormatStrSpaces2(l.CodArtigo, kCode)
                        + FormatStrSpaces2(l.DescArtigo, kDescription) + quantityText(l.qtAnterior, kNumber)
                        + quantityText(l.qtActual, kNumber) + quantityText(l.qtActual - l.qtAnterior, kNumber)
                        + valueText(l.valorAnterior, kNumber) + valueText(l.valorActual, kNumber)
                        + valueText(l.valorActual - l.valorAnterior, kNumber);
                familyTotals.add(l);
            }
            out << totalLine(5, QStringLiteral("Total da família ") + family, familyTotals) << QString();
            centreTotals.anterior += familyTotals.anterior;
            centreTotals.actual += familyTotals.actual;
        }
        out << totalLine(0, QStringLiteral("Total do centro de custo ") + centre, centreTotals)
            << QString(kIndent + kCode + kDescription + 6 * kNumber, u'-') << QString();
        site.anterior += centreTotals.anterior;
        site.actual += centreTotals.actual;
    }
    out << totalLine(0, QStringLiteral("Total geral"), site);
    return out.join(u'\n') + u'\n';
}

QString Variance::tsv() const
{
    QStringList out { QStringLiteral("CentroCusto\tFamiliaContabilistica\tCodArtigo\tDescArtigo\tQtAnterior\tQtActual\t"
                                     "QtDiferenca\tValorAnterior\tValorActual\tValorDiferenca") };
    for (const Line& l : m_lines) {
        out << QStringList { l.CentroCusto, l.FamiliaContabilista, l.CodArtigo, l.DescArtigo, rounded(l.qtAnterior, 3),
            rounded(l.qtActual, 3), rounded(l.qtActual - l.qtAnterior, 3), rounded(l.valorAnterior, 2),
            rounded(l.valorActual, 2), rounded(l.valorActual - l.valorAnterior, 2) }
                   .join(u'\t');
    }
    return out.join(u'\n') + u'\n';
}
