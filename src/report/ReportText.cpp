#include "report/ReportText.h"

#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <algorithm>
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
    QStringView trimmed(st);
    while (!trimmed.isEmpty() && trimmed.front() == u' ')
        trimmed = trimmed.mid(1);
    while (!trimmed.isEmpty() && trimmed.back() == u' ')
        trimmed.chop(1);
    // Built in one piece: a report calls this twice a line.
    QString cell(size, u' ');
    std::copy_n(trimmed.utf16(), std::min<qsizetype>(trimmed.size(), size), reinterpret_cast<char16_t*>(cell.data()));
    return cell;
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
