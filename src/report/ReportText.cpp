#include "report/ReportText.h"

#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <cmath>

namespace ReportText {

namespace {

// In the default rounding mode nearbyint sends halves to the even neighbour.
double roundHalfEven(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(v * scale) / scale;
}

} // namespace

QString FormatStrSpaces2(const QString& st, int size)
{
    if (size < 1)
        return {};
    const QString trimmed = Conversions::trimBlanks(st);
    if (trimmed.size() >= size)
        return trimmed.left(size);
    return trimmed + QString(size - trimmed.size(), u' ');
}

QString MostraDescricaoArtigo(InventoryTables& tables, const QString& CodigoArtigo, int size)
{
    const int a = tables.ProcuraArtigo(CodigoArtigo);
    return FormatStrSpaces2(a != 0 ? tables.artigo(a).DescArtigo : CodigoArtigo, size);
}

int ProcuraConta(const InventoryTables& tables, const QString& code)
{
    const QString wanted = Conversions::trimBlanks(code);
    for (int k = 1; k <= tables.NContas(); ++k) {
        if (tables.conta(k).Conta == wanted)
            return k;
    }
    return 0;
}

QString valueText(double v, int width)
{
    return Conversions::FormatStrDecimais2(Conversions::numberToSiteText(roundHalfEven(v, 2)), width);
}

QString quantityText(double v, int width)
{
    return Conversions::FormatStrDecimais3(Conversions::numberToSiteText(roundHalfEven(v, 3)), width);
}

} // namespace ReportText
