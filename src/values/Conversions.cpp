#include "values/Conversions.h"

#include "values/CellValue.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>
#include <string>

namespace Conversions {

namespace {

const QDate kDayZero(1899, 12, 30);
constexpr int kSiteDigits = 15; // what numberToSiteText keeps unless told otherwise
constexpr double kWholeDigitsBelow = 1e15; // whole numbers with no more digits than that
constexpr int kFewDecimals = 4;

// A number of at most fifteen digits with at most four decimals, written at out as the general conversion to
// fifteen significant digits writes it, and returning its end: its digits are those of a whole number, which cost a
// fraction of a double's. Null for any other number.
char* withFewDecimals(double value, char* out)
{
    for (int decimals = 0; decimals <= kFewDecimals; ++decimals) {
        const double scaled = value * powerOfTen(decimals);
        if (!(std::fabs(scaled) < kWholeDigitsBelow) || scaled != std::trunc(scaled))
            continue;
        char digits[24];
        const int count = int(std::to_chars(digits, digits + sizeof digits, qint64(std::fabs(scaled))).ptr - digits);
        int kept = count; // trailing zeros of the decimals go
        while (kept > count - decimals && digits[kept - 1] == '0')
            --kept;
        if (value < 0)
            *out++ = '-';
        const int whole = count - decimals;
        if (whole > 0) {
            out = std::copy(digits, digits + whole, out);
        } else {
            *out++ = '0';
        }
        if (kept > std::max(whole, 0) || whole < 0) {
            *out++ = '.';
            out = std::fill_n(out, std::max(-whole, 0), '0');
            out = std::copy(digits + std::max(whole, 0), digits + kept, out);
        }
        return out;
    }
    return nullptr;
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The sign, the digits and the decimal part at the start of text, written to number as C number text. The
// position after them, or -1 when there is no digit.
qsizetype takeMantissa(const QString& text, QChar decimalPoint, std::string* number)
{
    qsizetype p = 0;
    if (p < text.size() && (text.at(p) == u'+' || text.at(p) == u'-')) {
        if (text.at(p) == u'-')
            *number += '-';
        ++p;
    }
    bool anyDigit = false;
    const auto takeDigits = [&] {
        while (p < text.size() && isAsciiDigit(text.at(p))) {
            *number += char(text.at(p++).unicode());
            anyDigit = true;
        }
    };
    takeDigits();
    if (p < text.size() && text.at(p) == decimalPoint) {
        *number += '.';
        ++p;
        takeDigits();
    }
    return anyDigit ? p : -1;
}

// Appends [eEdD][sign]digits at text[pos] to out when it is a complete exponent; returns the position after it.
qsizetype takeExponent(const QString& text, qsizetype pos, std::string* out)
{
    if (pos >= text.size())
        return pos;
    const QChar e = text.at(pos).toUpper();
    if (e != u'E' && e != u'D')
        return pos;
    qsizetype p = pos + 1;
    std::string exponent = "e";
    if (p < text.size() && (text.at(p) == u'+' || text.at(p) == u'-'))
        exponent += char(text.at(p++).unicode());
    const qsizetype digitsStart = p;
    while (p < text.size() && isAsciiDigit(text.at(p)))
        exponent += char(text.at(p++).unicode());
    if (p == digitsStart)
        return pos;
    *out += exponent;
    return p;
}

// A decimal number in C syntax; an overflow gives an infinity, an underflow 0. A std::string: the short
// texts of numbers stay off the heap.
double parseDecimal(const std::string& number)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        const size_t e = number.find('e');
        if (e != std::string::npos && e + 1 < number.size() && number[e + 1] == '-')
            return 0.0;
        return number.starts_with('-') ? -std::numeric_limits<double>::infinity()
                                       : std::numeric_limits<double>::infinity();
    }
    return value;
}

QString padDecimals(const QString& text, int decimals, int width)
{
    if (width < 1)
        return {};
    // Built in one piece: a report calls this for every value it prints.
    const qsizetype comma = text.indexOf(u',');
    const qsizetype zeros = std::max<qsizetype>(decimals - (comma < 0 ? 0 : text.size() - comma - 1), 0);
    QString padded(std::max<qsizetype>(text.size() + (comma < 0 ? 1 : 0) + zeros, width), u' ');
    char16_t* end = reinterpret_cast<char16_t*>(padded.data()) + padded.size();
    std::fill(end - zeros, end, u'0');
    char16_t* at = end - zeros;
    if (comma < 0)
        *--at = u',';
    std::copy(text.utf16(), text.utf16() + text.size(), at - text.size());
    return padded.size() > width ? padded.right(width) : padded;
}

std::optional<QDate> makeDate(int year, int month, int day, bool twoDigitYear)
{
    if (twoDigitYear)
        year += year < 30 ? 2000 : 1900;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

} // namespace

QString trimBlanks(const QString& text)
{
    const QStringView trimmed = blankTrimmed(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

double numericValue(const QString& text)
{
    // Article codes are short runs of digits: read them without building a number text.
    if (text.size() > 0 && text.size() <= 9
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return isAsciiDigit(c); })) {
        int value = 0;
        for (QChar c : text)
            value = value * 10 + (c.unicode() - u'0');
        return value;
    }
    // A word, such as a cost centre's name, reads as 0 at once.
    const auto first = std::find_if(
        text.cbegin(), text.cend(), [](QChar c) { return c != u' ' && c != u'\t' && c != u'\n' && c != u'\r'; });
    if (first == text.cend() || !(isAsciiDigit(*first) || *first == u'+' || *first == u'-' || *first == u'.'))
        return 0.0;
    QString compact;
    compact.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            compact.append(c);
    }
    std::string number;
    const qsizetype p = takeMantissa(compact, u'.', &number);
    if (p < 0)
        return 0.0;
    takeExponent(compact, p, &number);
    return parseDecimal(number);
}

double numericValue(const CellValue& value)
{
    if (value.isNumber() || value.isDate())
        return value.numberValue();
    return numericValue(value.toText());
}

double powerOfTen(int n)
{
    static constexpr double kPowers[]
        = { 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15 };
    return n >= 0 && n < int(std::size(kPowers)) ? kPowers[n] : std::pow(10.0, n);
}

qint32 roundToWhole(double value)
{
    if (std::isnan(value))
        return 0;
    double r = std::round(value);
    if (std::fabs(value - std::trunc(value)) == 0.5)
        r = 2.0 * std::round(value / 2.0);
    if (r >= double(std::numeric_limits<qint32>::max()))
        return std::numeric_limits<qint32>::max();
    if (r <= double(std::numeric_limits<qint32>::min()))
        return std::numeric_limits<qint32>::min();
    return qint32(r);
}

QString numberToSiteText(double value, int significantDigits)
{
    if (value == 0.0)
        return QStringLiteral("0");
    char buffer[64];
    char* last = significantDigits == kSiteDigits ? withFewDecimals(value, buffer) : nullptr;
    if (!last)
        last = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits).ptr;
    for (char* c = buffer; c != last; ++c)
        *c = *c == '.' ? ',' : *c == 'e' ? 'E' : *c;
    return QString::fromLatin1(buffer, last - buffer);
}

std::optional<double> siteTextToNumber(const QString& text)
{
    const QString t = text.trimmed();
    std::string number;
    qsizetype p = takeMantissa(t, u',', &number);
    if (p < 0)
        return std::nullopt;
    p = takeExponent(t, p, &number);
    if (p != t.size())
        return std::nullopt;
    const double v = parseDecimal(number);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

// A number or date cell as it is; a text cell through fromText; anything else is no value.
std::optional<double> cellValue(const CellValue& value, std::optional<double> (*fromText)(const QString&))
{
    switch (value.type()) {
    case CellValue::Type::Null:
    case CellValue::Type::Boolean:
    case CellValue::Type::Error:
        return std::nullopt;
    case CellValue::Type::Number:
    case CellValue::Type::Date:
        return value.numberValue();
    case CellValue::Type::Text:
        return fromText(value.toText());
    }
    return std::nullopt;
}

} // namespace

std::optional<double> toNumber(const CellValue& value)
{
    return cellValue(value, siteTextToNumber);
}

QString dateToSiteText(double dayNumber)
{
    const QDateTime dt = dateTimeFromDayNumber(dayNumber);
    QString text = dt.date().toString(QStringLiteral("dd/MM/yyyy"));
    if (dt.time() != QTime(0, 0))
        text += dt.time().toString(QStringLiteral(" hh:mm:ss"));
    return text;
}

QString longDateText(double dayNumber)
{
    static const char16_t* const weekdays[]
        = { u"segunda-feira", u"terça-feira", u"quarta-feira", u"quinta-feira", u"sexta-feira", u"sábado", u"domingo" };
    static const char16_t* const months[] = { u"janeiro", u"fevereiro", u"março", u"abril", u"maio", u"junho", u"julho",
        u"agosto", u"setembro", u"outubro", u"novembro", u"dezembro" };
    const QDate date = dateTimeFromDayNumber(dayNumber).date();
    return QStringLiteral("%1, %2 de %3 de %4")
        .arg(QString::fromUtf16(weekdays[date.dayOfWeek() - 1]))
        .arg(date.day())
        .arg(QString::fromUtf16(months[date.month() - 1]))
        .arg(date.year());
}

std::optional<double> siteTextToDate(const QString& text)
{
    static const QRegularExpression dayFirst(
        QStringLiteral("^(\\d{1,2})([/.-])(\\d{1,2})\\2(\\d{1,4})(?:[ T]+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression yearFirst(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[ T]+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    static const QRegularExpression timeOnly(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?$"));

    const QString t = text.trimmed();
    std::optional<QDate> date;
    QRegularExpressionMatch m;
    int timeGroup = 0;
    if ((m = dayFirst.match(t)).hasMatch()) {
        date = makeDate(
            m.capturedView(4).toInt(), m.capturedView(3).toInt(), m.capturedView(1).toInt(), m.capturedLength(4) <= 2);
        timeGroup = 5;
    } else if ((m = yearFirst.match(t)).hasMatch()) {
        date = makeDate(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt(), false);
        timeGroup = 4;
    } else if ((m = timeOnly.match(t)).hasMatch()) {
        date = kDayZero;
        timeGroup = 1;
    } else {
        return std::nullopt;
    }
    if (!date)
        return std::nullopt;
    QTime time(0, 0);
    if (m.capturedLength(timeGroup) > 0) {
        time = QTime(m.capturedView(timeGroup).toInt(), m.capturedView(timeGroup + 1).toInt(),
            m.capturedView(timeGroup + 2).toInt());
        if (!time.isValid())
            return std::nullopt;
    }
    return dayNumberFromDateTime(QDateTime(*date, time, Qt::UTC));
}

std::optional<double> toDate(const CellValue& value)
{
    return cellValue(value, siteTextToDate);
}

double dayNumberFromDateTime(const QDateTime& dateTime)
{
    const double days = double(kDayZero.daysTo(dateTime.date()));
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? days + fraction : days - fraction;
}

QDateTime dateTimeFromDayNumber(double dayNumber)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 3.0e6)
        return QDateTime(kDayZero, QTime(0, 0), Qt::UTC);
    double whole = std::trunc(dayNumber);
    qint64 seconds = std::llround(std::fabs(dayNumber - whole) * 86400.0);
    if (seconds >= 86400) {
        whole += dayNumber < 0 ? -1 : 1;
        seconds = 0;
    }
    return QDateTime(kDayZero.addDays(qint64(whole)), QTime(0, 0).addSecs(int(seconds)), Qt::UTC);
}

std::optional<double> AsciiToDouble(const QString& text)
{
    QString t = text.isEmpty() ? QStringLiteral("0") : text;
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0)
        t[dot] = u',';
    return siteTextToNumber(t);
}

std::optional<double> AsciiToDouble(const CellValue& value)
{
    if (value.isNumber())
        return value.numberValue();
    if (!value.isText())
        return std::nullopt;
    return AsciiToDouble(value.toText());
}

QString FormatStrDecimais2(const QString& text, int width)
{
    return padDecimals(text, 2, width);
}

QString FormatStrDecimais3(const QString& text, int width)
{
    return padDecimals(text, 3, width);
}

} // namespace Conversions
