#pragma once
#include <QString>

#include <vector>

class InventoryTables;

// What moved between two counts: one line per cost centre and article counted in either, with the quantities
// in purchase units and their values at the article's current purchase price, as the report values a reading.
class Variance
{
public:
    struct Line
    {
        QString CentroCusto;
        QString FamiliaContabilista;
        QString CodArtigo;
        QString DescArtigo;
        double qtAnterior = 0;
        double qtActual = 0;
        double valorAnterior = 0;
        double valorActual = 0;
    };

    // previous holds the readings of the earlier count; current the site as it is (articles, families, readings).
    Variance(const InventoryTables& previous, InventoryTables& current);

    // Grouped by cost centre and family in the report's order; in a family the largest value differences first.
    const std::vector<Line>& lines() const { return m_lines; }
    // Whether some reading of the earlier count is of an article the site has: a backup of another site has none.
    bool sharesArticles() const { return m_sharesArticles; }

    // The fixed-width listing with totals per family, cost centre and site, under the title given.
    QString text(const QString& title) const;
    // A heading line, then a line a row, tab-separated, numbers in the site format.
    QString tsv() const;

private:
    std::vector<Line> m_lines;
    const InventoryTables& m_current;
    bool m_sharesArticles = false;
};
