#pragma once
#include <QDateTime>
#include <QString>

#include <optional>

class CellValue;

// Every conversion between texts, numbers and dates. The site format (decimal comma, no digit
// grouping, day-month-year dates) is fixed here and never taken from the machine's locale.
namespace Conversions {

// Leading and trailing blanks (spaces only) removed.
QString trimBlanks(const QString& text);
inline QStringView blankTrimmed(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

// Leading numeric part of a text read with "." as the decimal point, blanks ignored; 0 when there is none.
double numericValue(const QString& text);
// A number or date cell gives its value; any other cell the numeric value of its text.
double numericValue(const CellValue& value);

// Nearest whole number, a half going to the even neighbour; saturates at the 32-bit range.
qint32 roundToWhole(double value);
// 10 to the power n, exactly; from a table up to 10^15, as numbers are written hundreds of thousands at a time.
double powerOfTen(int n);

// Shortest form up to 15 (single precision: 7) significant digits, decimal comma, no grouping ("1,5", "1E+15").
QString numberToSiteText(double value, int significantDigits = 15);
// A whole text read as a site-format number (blanks around it allowed); nullopt when it is not one.
std::optional<double> siteTextToNumber(const QString& text);
// Number and date cells give their value, a text is read in the site format, Null is no number.
std::optional<double> toNumber(const CellValue& value);

// "dd/MM/yyyy", followed by " hh:mm:ss" when the time is not midnight.
QString dateToSiteText(double dayNumber);
// The Portuguese long date, whatever the machine's language: "domingo, 6 de dezembro de 2026".
QString longDateText(double dayNumber);
// Day-month-year (with "/", "-" or "."), or year-month-day, optionally with a time; nullopt otherwise.
std::optional<double> siteTextToDate(const QString& text);
// Date and number cells give their day number, a text is read as a site date, Null is no date.
std::optional<double> toDate(const CellValue& value);

double dayNumberFromDateTime(const QDateTime& dateTime);
QDateTime dateTimeFromDayNumber(double dayNumber);

// The tolerant number reading of the report and the imports: empty counts as 0 and the first "." is
// taken as the decimal comma. nullopt when the value is not a number (or is Null).
std::optional<double> AsciiToDouble(const CellValue& value);
std::optional<double> AsciiToDouble(const QString& text);

// Pads a site-format number to two (three) decimals and right-aligns it in exactly width characters,
// losing leftmost characters when it is longer. A width below 1 gives an empty text.
QString FormatStrDecimais2(const QString& text, int width);
QString FormatStrDecimais3(const QString& text, int width);

} // namespace Conversions
