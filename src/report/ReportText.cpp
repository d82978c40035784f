#include "report/ReportText.h"

#include "tables/InventoryTables.h"
#include "values/Bytes.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"

#include <algorithm>
#include <cmath>

namespace ReportText {

namespace {

using Conversions::powerOfTen;

// In the default rounding mode nearbyint sends halves to the even neighbour.
double roundHalfEven(double v, int decimals)
{
    const double scale = powerOfTen(decimals);
    return std::nearbyint(v * scale) / scale;
}

// The general way, through the site's number text: zero (which may be -0), large values and no width.
QString generalDecimals(double rounded, int decimals, int width)
{
    const QString text = Conversions::numberToSiteText(rounded);
    return decimals == 2 ? Conversions::FormatStrDecimais2(text, width) : Conversions::FormatStrDecimais3(text, width);
}

// v rounded to decimals (2 or 3) and shown with exactly that many, right-aligned in the width characters at out;
// a longer text keeps its last width characters. Below 10^(15 - decimals) a rounded value times 10^decimals is
// within a rounding of a whole number of at most 15 digits, and those digits are its fixed notation: written
// directly, as a report writes hundreds of thousands. False, with nothing written, when the general way is needed.
template <typename Char> bool fixedDecimals(double rounded, int decimals, int width, Char* out)
{
    if (rounded == 0.0 || !(std::fabs(rounded) < powerOfTen(15 - decimals)) || width < 1 || decimals < 1)
        return false;
    char buffer[40];
    char* const end = buffer + sizeof buffer;
    char* first = end;
    long long digits = std::llround(std::fabs(rounded) * powerOfTen(decimals));
    for (int d = 0; d < decimals; ++d, digits /= 10)
        *--first = char('0' + digits % 10);
    *--first = ',';
    do {
        *--first = char('0' + digits % 10);
        digits /= 10;
    } while (digits > 0);
    if (rounded < 0)
        *--first = '-';
    const qsizetype shown = std::min<qsizetype>(end - first, width);
    std::fill_n(out, width - shown, Char(' '));
    std::copy(end - shown, end, out + (width - shown));
    return true;
}

QString decimalsText(double v, int decimals, int width)
{
    const double rounded = roundHalfEven(v, decimals);
    QString text(std::max(width, 0), u' ');
    if (fixedDecimals(rounded, decimals, width, reinterpret_cast<char16_t*>(text.data())))
        return text;
    return generalDecimals(rounded, decimals, width);
}

void appendDecimals(QByteArray& out, double v, int decimals, int width)
{
    const double rounded = roundHalfEven(v, decimals);
    const qsizetype at = out.size();
    if (fixedDecimals(rounded, decimals, width, Bytes::appendRoom(out, std::max(width, 0))))
        return;
    out.resize(at);
    Windows1252::appendEncoded(out, generalDecimals(rounded, decimals, width));
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

void appendValue(QByteArray& out, double v, int width)
{
    appendDecimals(out, v, 2, width);
}

void appendQuantity(QByteArray& out, double v, int width)
{
    appendDecimals(out, v, 3, width);
}

} // namespace ReportText
