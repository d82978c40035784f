#include "values/Conversions.h"

#include "values/CellValue.h"
#include "values/Windows1252.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <tuple>

using namespace Conversions;
using namespace Qt::StringLiterals;

TEST(NumericValue, ReadsTheLeadingNumberWithADecimalPointAndNumberCellsAsTheyAre)
{
    const std::pair<QString, double> cases[] = { { u"00123"_s, 123 }, { u"12abc"_s, 12 }, { QString(), 0 },
        { u"abc"_s, 0 }, { u"1,5"_s, 1 }, { u"1.5"_s, 1.5 }, { u" - 1 2.5 x"_s, -12.5 }, { u"+.25"_s, 0.25 },
        { u"1.5e3"_s, 1500 }, { u"2D2"_s, 200 }, { u"7e"_s, 7 }, { u"7e+x"_s, 7 }, { u"--5"_s, 0 }, { u"."_s, 0 },
        { u"-1e-999"_s, 0 }, { u"-1234567890123456789012,5"_s, -1234567890123456789012.0 } };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(numericValue(text), value) << text.toStdString();
    EXPECT_GT(numericValue(u"1e999"_s), 99999);
    EXPECT_LT(numericValue(u"-1e999"_s), -99999);
    EXPECT_EQ(numericValue(CellValue::number(2.5)), 2.5);
    EXPECT_EQ(numericValue(CellValue()), 0);
}

TEST(RoundToWhole, SendsHalvesToTheEvenNeighbour)
{
    const std::pair<double, qint32> cases[] = { { 2.5, 2 }, { 3.5, 4 }, { -2.5, -2 }, { -3.5, -4 }, { 2.4999, 2 },
        { 2.5001, 3 }, { 1e20, 2147483647 }, { -1e20, -2147483647 - 1 } };
    for (const auto& [value, whole] : cases)
        EXPECT_EQ(roundToWhole(value), whole) << value;
}

// Whatever the machine's locale: the cases run under one with a decimal point.
TEST(SiteNumberText, WritesTheShortestFormWithADecimalCommaAndReadsWholeTextsOnly)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::pair<double, QString> cases[] = { { 2.5, u"2,5"_s }, { 12, u"12"_s }, { -0.0, u"0"_s },
        { 0.1 + 0.2, u"0,3"_s }, { 1234567.891, u"1234567,891"_s }, { 123456789012345, u"123456789012345"_s },
        { 1e15, u"1E+15"_s }, { 0.0001, u"0,0001"_s }, { 0.00001, u"1E-05"_s } };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(numberToSiteText(value), text) << value;
    EXPECT_EQ(numberToSiteText(8.5f, 7), u"8,5"_s);
    const std::pair<QString, std::optional<double>> texts[]
        = { { u"12,5"_s, 12.5 }, { u" -3 "_s, -3 }, { u",5"_s, 0.5 }, { u"1,5E3"_s, 1500 }, { u"12.5"_s, std::nullopt },
              { u"1,2,3"_s, std::nullopt }, { QString(), std::nullopt }, { u","_s, std::nullopt },
              { u"1e999"_s, std::nullopt }, { u"١٢"_s, std::nullopt } };
    for (const auto& [text, value] : texts)
        EXPECT_EQ(siteTextToNumber(text), value) << text.toStdString();
    QLocale::setDefault(QLocale::c());
}

// The fast forms against the plain conversion to 15 significant digits, on numbers of every kind a site meets and
// doubles of any bits.
TEST(SiteNumberText, WritesWhatThePlainConversionWritesOnRandomNumbers)
{
    const auto plain = [](double v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", v);
        return QString::fromLatin1(buffer).replace(u'.', u',').replace(u'e', u'E');
    };
    std::mt19937_64 rng(11);
    for (int i = 0; i < 300000; ++i) {
        double v = 0;
        const quint64 bits = rng();
        switch (i % 5) {
        case 0: // whole, up to the edge of what 15 digits hold
            v = double(qint64(bits % 2000000000000000) - 1000000000000000);
            break;
        case 1: // prices and quantities
            v = double(qint64(bits % 20000000) - 10000000) / std::pow(10.0, double(bits % 7));
            break;
        case 2: // sums of them, with the binary noise sums carry
            v = double(bits % 100000) / 100 + double(bits >> 40 & 0xFFFF) / 1000;
            break;
        default:
            std::memcpy(&v, &bits, sizeof v);
        }
        if (v == 0 || std::isnan(v))
            continue;
        ASSERT_EQ(numberToSiteText(v), plain(v)) << v;
    }
}

TEST(SiteNumberText, RoundTripsRandomNumbers)
{
    std::srand(7);
    for (int i = 0; i < 2000; ++i) {
        const double v = (std::rand() - RAND_MAX / 2) / double(1 + std::rand() % 10000);
        const auto back = siteTextToNumber(numberToSiteText(v));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(numberToSiteText(*back), numberToSiteText(v));
    }
}

TEST(AsciiToDouble, ReadsCommaAsDecimalPoint)
{
    const std::pair<QString, std::optional<double>> cases[]
        = { { QString(), 0 }, { u"0.75"_s, 0.75 }, { u"1,5"_s, 1.5 }, { u"12.5"_s, 12.5 }, { u"12,50"_s, 12.5 },
              { u"abc"_s, std::nullopt }, { u"1.234,5"_s, std::nullopt } };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(AsciiToDouble(text), value) << text.toStdString();
    EXPECT_EQ(AsciiToDouble(CellValue()), std::nullopt);
    EXPECT_EQ(AsciiToDouble(CellValue::number(3.25)), 3.25);
}

// The padding built in one piece gives what the plain concatenation gives, for any number text and width; the
// cases first pin the plain version.
TEST(FormatStrDecimais, PadsAndRightAlignsLikeThePlainVersionOnRandomTexts)
{
    EXPECT_EQ(FormatStrDecimais2(u"12"_s, 8), u"   12,00"_s);
    EXPECT_EQ(FormatStrDecimais2(u"3,5"_s, 6), u"  3,50"_s);
    EXPECT_EQ(FormatStrDecimais3(u"2"_s, 7), u"  2,000"_s);
    EXPECT_EQ(FormatStrDecimais2(u"1234,56"_s, 5), u"34,56"_s);
    EXPECT_EQ(FormatStrDecimais2(u"1"_s, 0), QString());
    const auto plain = [](QString s, int decimals, int width) {
        const qsizetype comma = s.indexOf(u',');
        if (comma < 0)
            s += u',' + QString(decimals, u'0');
        else if (s.size() - comma - 1 < decimals)
            s += QString(decimals - (s.size() - comma - 1), u'0');
        if (width < 1)
            return QString();
        return s.size() >= width ? s.right(width) : QString(width - s.size(), u' ') + s;
    };
    std::mt19937 rng(3);
    const QString alphabet = QStringLiteral("0123456789,-E ");
    for (int i = 0; i < 20000; ++i) {
        QString text;
        for (int k = int(rng() % 12); k > 0; --k)
            text += alphabet.at(int(rng() % alphabet.size()));
        const int width = int(rng() % 16) - 2;
        ASSERT_EQ(FormatStrDecimais2(text, width), plain(text, 2, width)) << qPrintable(text) << ' ' << width;
        ASSERT_EQ(FormatStrDecimais3(text, width), plain(text, 3, width)) << qPrintable(text) << ' ' << width;
    }
}

TEST(SiteDates, ReadDayMonthYearAndIsoTextsAndWriteDayMonthYearAndPortugueseLongDates)
{
    const double dec6 = 46362; // 06/12/2026
    const std::pair<QString, std::optional<double>> cases[]
        = { { u"06/12/2026"_s, dec6 }, { u"6-12-2026"_s, dec6 }, { u"2026-12-06"_s, dec6 }, { u"06/12/26"_s, dec6 },
              { u"06/12/2026 12:00"_s, dec6 + 0.5 }, { u"06:00"_s, 0.25 }, { u"31/02/2026"_s, std::nullopt },
              { u"06/12/2026 25:00"_s, std::nullopt }, { u"amanhã"_s, std::nullopt }, { QString(), std::nullopt } };
    for (const auto& [text, date] : cases)
        EXPECT_EQ(siteTextToDate(text), date) << text.toStdString();
    const std::pair<double, QString> days[] = { { 46362, u"06/12/2026"_s }, { 46362.75, u"06/12/2026 18:00:00"_s },
        { 0, u"30/12/1899"_s }, { 73051, u"01/01/2100"_s }, { 73110, u"01/03/2100"_s },
        { 46362.99999999, u"07/12/2026"_s }, { -1.25, u"29/12/1899 06:00:00"_s } };
    for (const auto& [day, text] : days)
        EXPECT_EQ(dateToSiteText(day), text) << day;
    // Whatever the machine's language.
    EXPECT_EQ(longDateText(46363), u"segunda-feira, 7 de dezembro de 2026"_s);
    EXPECT_EQ(longDateText(46025), u"sábado, 3 de janeiro de 2026"_s);
    EXPECT_EQ(longDateText(46085), u"quarta-feira, 4 de março de 2026"_s);
    for (double d : { 0.0, 1.5, 46362.25, 73110.0, -700.75 })
        EXPECT_DOUBLE_EQ(dayNumberFromDateTime(dateTimeFromDayNumber(d)), d);
}

// A value holds a text or a number in one place: copies and assignments between the kinds keep each intact.
TEST(CellValueText, ReadsInTheSiteFormatAndCopiesAndAssignsAcrossKinds)
{
    EXPECT_EQ(toDate(CellValue::text(u"06/12/2026"_s)), 46362);
    EXPECT_EQ(toDate(CellValue()), std::nullopt);
    EXPECT_EQ(toNumber(CellValue::text(u"2,5"_s)), 2.5);
    const CellValue text = CellValue::text(u"Arroz"_s);
    const CellValue number = CellValue::number(2.5);
    CellValue v = text;
    EXPECT_EQ(std::pair(v.storedText(), v.numberValue()), std::pair(u"Arroz"_s, 0.0));
    v = number;
    EXPECT_EQ(std::tuple(v.isNumber(), v.numberValue(), v.storedText()), std::tuple(true, 2.5, QString()));
    v = text;
    v = v;
    EXPECT_EQ(v, text);
    CellValue moved = std::move(v);
    EXPECT_EQ(moved, text);
    v = CellValue::date(46362);
    EXPECT_EQ(v.toText(), u"06/12/2026"_s);
    v = std::move(moved);
    EXPECT_EQ(v, text);
    v = CellValue();
    EXPECT_EQ(std::tuple(v.isNull(), v.toText(), v.numberValue()), std::tuple(true, QString(), 0.0));
    EXPECT_EQ(text.storedText(), u"Arroz"_s); // the original was shared, never changed
}

// Every byte decodes to its character and encodes back to itself; a character with no byte becomes "?".
TEST(Windows1252, EveryByteRoundTrips)
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = Windows1252::decode(all.constData(), all.size());
    EXPECT_EQ(text.mid(0x80, 1) + text.at(0x9F) + text.at(0xE7), u"€Ÿç"_s);
    EXPECT_EQ(Windows1252::encode(text), all);
    EXPECT_EQ(Windows1252::encode(u"a€ção→"_s), QByteArray("a\x80\xE7\xE3o?"));
}
