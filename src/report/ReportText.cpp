#include "report/ReportText.h"

#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace ReportText {

namespace {

// In the default rounding mode nearbyint sends halves to the even neighbour.
double roundHalfEven(double v, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::nearbyint(v * scale) / scale;
}

// v rounded to decimals (2 or 3) and shown with exactly that many, right-aligned in width; a longer text keeps
// its last width characters. Below 10^(15 - decimals) a rounded value has at most 15 significant digits, so
// its shortest text padded with zeros is its fixed notation: written directly, as a report writes hundreds of
// thousands. Zero (which may be -0) and larger values take the general way.
QString decimalsText(double v, int decimals, int width)
{
    const double rounded = roundHalfEven(v, decimals);
    if (rounded == 0.0 || !(std::fabs(rounded) < std::pow(10.0, 15 - decimals)) || width < 1) {
        const QString text = Conversions::numberToSiteText(rounded);
        return decimals == 2 ? Conversions::FormatStrDecimais2(text, width)
                             : Conversions::FormatStrDecimais3(text, width);
    }
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, rounded, std::chars_format::fixed, decimals);
    const qsizetype shown = std::min<qsizetype>(result.ptr - buffer, width);
    QString text(width, u' ');
    char16_t* out = reinterpret_cast<char16_t*>(text.data()) + (width - shown);
    for (const char* c = result.ptr - shown; c != result.ptr; ++c)
        *out++ = *c == '.' ? u',' : char16_t(*c);
    return text;
}

} // namespace

QString FormatStrSpaces2(const QString& st, int size)
{
    if (size < 1)
        return {};
    const QStringView trimmed = Conversions::blankTrimmed(st);
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
    return decimalsText(v, 2, width);
}

QString quantityText(double v, int width)
{
    return decimalsText(v, 3, width);
}

} // namespace ReportText
