#include "values/Conversions.h"

#include "values/CellValue.h"
#include "values/Windows1252.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <random>

using namespace Conversions;

TEST(NumericValue, ReadsTheLeadingNumberWithADecimalPoint)
{
    EXPECT_EQ(numericValue(QStringLiteral("00123")), 123);
    EXPECT_EQ(numericValue(QStringLiteral("12abc")), 12);
    EXPECT_EQ(numericValue(QString()), 0);
    EXPECT_EQ(numericValue(QStringLiteral("abc")), 0);
    EXPECT_EQ(numericValue(QStringLiteral("1,5")), 1);
    EXPECT_EQ(numericValue(QStringLiteral("1.5")), 1.5);
    EXPECT_EQ(numericValue(QStringLiteral(" - 1 2.5 x")), -12.5);
    EXPECT_EQ(numericValue(QStringLiteral("+.25")), 0.25);
    EXPECT_EQ(numericValue(QStringLiteral("1.5e3")), 1500);
    EXPECT_EQ(numericValue(QStringLiteral("2D2")), 200);
    EXPECT_EQ(numericValue(QStringLiteral("7e")), 7);
    EXPECT_EQ(numericValue(QStringLiteral("7e+x")), 7);
    EXPECT_EQ(numericValue(QStringLiteral("--5")), 0);
    EXPECT_EQ(numericValue(QStringLiteral(".")), 0);
    EXPECT_GT(numericValue(QStringLiteral("1e999")), 99999);
}

TEST(NumericValue, TakesNumberCellsAsTheyAre)
{
    EXPECT_EQ(numericValue(CellValue::number(2.5)), 2.5);
    EXPECT_EQ(numericValue(CellValue::text(QStringLiteral("2,5"))), 2);
    EXPECT_EQ(numericValue(CellValue()), 0);
}

TEST(RoundToWhole, SendsHalvesToTheEvenNeighbour)
{
    EXPECT_EQ(roundToWhole(2.5), 2);
    EXPECT_EQ(roundToWhole(3.5), 4);
    EXPECT_EQ(roundToWhole(-2.5), -2);
    EXPECT_EQ(roundToWhole(-3.5), -4);
    EXPECT_EQ(roundToWhole(2.4999), 2);
    EXPECT_EQ(roundToWhole(2.5001), 3);
    EXPECT_EQ(roundToWhole(1e20), 2147483647);
    EXPECT_EQ(roundToWhole(-1e20), -2147483647 - 1);
}

TEST(SiteNumberText, WritesTheShortestFormWithADecimalComma)
{
    EXPECT_EQ(numberToSiteText(2.5), QStringLiteral("2,5"));
    EXPECT_EQ(numberToSiteText(12), QStringLiteral("12"));
    EXPECT_EQ(numberToSiteText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(numberToSiteText(0.1 + 0.2), QStringLiteral("0,3"));
    EXPECT_EQ(numberToSiteText(1234567.891), QStringLiteral("1234567,891"));
    EXPECT_EQ(numberToSiteText(123456789012345), QStringLiteral("123456789012345"));
    EXPECT_EQ(numberToSiteText(1e15), QStringLiteral("1E+15"));
    EXPECT_EQ(numberToSiteText(0.0001), QStringLiteral("0,0001"));
    EXPECT_EQ(numberToSiteText(0.00001), QStringLiteral("1E-05"));
    EXPECT_EQ(numberToSiteText(8.5f, 7), QStringLiteral("8,5"));
}

TEST(SiteNumberText, DoesNotDependOnTheMachineLocale)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(numberToSiteText(1.5), QStringLiteral("1,5"));
    EXPECT_EQ(siteTextToNumber(QStringLiteral("1,5")), 1.5);
    QLocale::setDefault(QLocale::c());
}

TEST(SiteNumberText, ReadsWholeTextsOnly)
{
    EXPECT_EQ(siteTextToNumber(QStringLiteral("12,5")), 12.5);
    EXPECT_EQ(siteTextToNumber(QStringLiteral(" -3 ")), -3);
    EXPECT_EQ(siteTextToNumber(QStringLiteral(",5")), 0.5);
    EXPECT_EQ(siteTextToNumber(QStringLiteral("1,5E3")), 1500);
    EXPECT_EQ(siteTextToNumber(QStringLiteral("12.5")), std::nullopt);
    EXPECT_EQ(siteTextToNumber(QStringLiteral("1,2,3")), std::nullopt);
    EXPECT_EQ(siteTextToNumber(QString()), std::nullopt);
    EXPECT_EQ(siteTextToNumber(QStringLiteral(",")), std::nullopt);
    EXPECT_EQ(siteTextToNumber(QStringLiteral("1e999")), std::nullopt);
    EXPECT_EQ(siteTextToNumber(QStringLiteral("١٢")), std::nullopt);
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
    EXPECT_EQ(AsciiToDouble(QString()), 0);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("0.75")), 0.75);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("1,5")), 1.5);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("12.5")), 12.5);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("12,50")), 12.5);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("abc")), std::nullopt);
    EXPECT_EQ(AsciiToDouble(QStringLiteral("1.234,5")), std::nullopt);
    EXPECT_EQ(AsciiToDouble(CellValue()), std::nullopt);
    EXPECT_EQ(AsciiToDouble(CellValue::number(3.25)), 3.25);
}

TEST(FormatStrDecimais, PadsAndRightAlignsInTheWidth)
{
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("12"), 8), QStringLiteral("   12,00"));
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("3,5"), 6), QStringLiteral("  3,50"));
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("3,25"), 6), QStringLiteral("  3,25"));
    EXPECT_EQ(FormatStrDecimais3(QStringLiteral("2"), 7), QStringLiteral("  2,000"));
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("1234,56"), 5), QStringLiteral("34,56"));
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("1"), 0), QString());
    EXPECT_EQ(FormatStrDecimais2(QStringLiteral("1"), -3), QString());
}

// The padding built in one piece gives what the plain concatenation gives, for any number text and width.
TEST(FormatStrDecimais, MatchesThePlainVersionOnRandomTexts)
{
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

TEST(SiteDates, ReadDayMonthYearAndIsoTexts)
{
    const double dec6 = 46362; // 06/12/2026
    EXPECT_EQ(siteTextToDate(QStringLiteral("06/12/2026")), dec6);
    EXPECT_EQ(siteTextToDate(QStringLiteral("6-12-2026")), dec6);
    EXPECT_EQ(siteTextToDate(QStringLiteral("2026-12-06")), dec6);
    EXPECT_EQ(siteTextToDate(QStringLiteral("06/12/26")), dec6);
    EXPECT_EQ(siteTextToDate(QStringLiteral("06/12/2026 12:00")), dec6 + 0.5);
    EXPECT_EQ(siteTextToDate(QStringLiteral("06:00")), 0.25);
    EXPECT_EQ(siteTextToDate(QStringLiteral("31/02/2026")), std::nullopt);
    EXPECT_EQ(siteTextToDate(QStringLiteral("06/12/2026 25:00")), std::nullopt);
    EXPECT_EQ(siteTextToDate(QStringLiteral("amanhã")), std::nullopt);
    EXPECT_EQ(siteTextToDate(QString()), std::nullopt);
}

TEST(SiteDates, WriteDayMonthYearWithTheTimeWhenThereIsOne)
{
    EXPECT_EQ(dateToSiteText(46362), QStringLiteral("06/12/2026"));
    EXPECT_EQ(dateToSiteText(46362.75), QStringLiteral("06/12/2026 18:00:00"));
    EXPECT_EQ(dateToSiteText(0), QStringLiteral("30/12/1899"));
    EXPECT_EQ(dateToSiteText(73051), QStringLiteral("01/01/2100"));
    EXPECT_EQ(dateToSiteText(73110), QStringLiteral("01/03/2100"));
    EXPECT_EQ(dateToSiteText(46362.99999999), QStringLiteral("07/12/2026"));
    EXPECT_EQ(dateToSiteText(-1.25), QStringLiteral("29/12/1899 06:00:00"));
}

TEST(SiteDates, LongDatesArePortugueseWhateverTheMachinesLanguage)
{
    EXPECT_EQ(longDateText(46362.6), QStringLiteral("domingo, 6 de dezembro de 2026"));
    EXPECT_EQ(longDateText(46363), QStringLiteral("segunda-feira, 7 de dezembro de 2026"));
    EXPECT_EQ(longDateText(46025), QStringLiteral("sábado, 3 de janeiro de 2026"));
    EXPECT_EQ(longDateText(46085), QStringLiteral("quarta-feira, 4 de março de 2026"));
}

TEST(SiteDates, DayNumbersRoundTripThroughDateTimes)
{
    for (double d : { 0.0, 1.5, 46362.25, 73110.0, -700.75 })
        EXPECT_DOUBLE_EQ(dayNumberFromDateTime(dateTimeFromDayNumber(d)), d);
}

TEST(CellValueText, UsesTheSiteFormat)
{
    EXPECT_EQ(CellValue::number(2.5).toText(), QStringLiteral("2,5"));
    EXPECT_EQ(CellValue::date(46362).toText(), QStringLiteral("06/12/2026"));
    EXPECT_EQ(CellValue().toText(), QString());
    EXPECT_EQ(toDate(CellValue::text(QStringLiteral("06/12/2026"))), 46362);
    EXPECT_EQ(toDate(CellValue()), std::nullopt);
    EXPECT_EQ(toNumber(CellValue::text(QStringLiteral("2,5"))), 2.5);
}

// A value holds a text or a number in one place: copies and assignments between the kinds keep each intact.
TEST(CellValueText, CopiesAndAssignsAcrossKinds)
{
    const CellValue text = CellValue::text(QStringLiteral("Arroz"));
    const CellValue number = CellValue::number(2.5);
    CellValue v = text;
    EXPECT_EQ(v.storedText(), QStringLiteral("Arroz"));
    EXPECT_EQ(v.numberValue(), 0.0);
    v = number;
    EXPECT_TRUE(v.isNumber());
    EXPECT_EQ(v.numberValue(), 2.5);
    EXPECT_EQ(v.storedText(), QString());
    v = text;
    v = v;
    EXPECT_EQ(v, text);
    CellValue moved = std::move(v);
    EXPECT_EQ(moved, text);
    v = CellValue::date(46362);
    EXPECT_EQ(v.toText(), QStringLiteral("06/12/2026"));
    v = std::move(moved);
    EXPECT_EQ(v, text);
    v = CellValue();
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(v.numberValue(), 0.0);
    EXPECT_EQ(text.storedText(), QStringLiteral("Arroz")); // the original was shared, never changed
}

// Every byte decodes to its character and encodes back to itself; a character with no byte becomes "?".
TEST(Windows1252, EveryByteRoundTrips)
{
    QByteArray all(256, '\0');
    for (int b = 0; b < 256; ++b)
        all[b] = char(b);
    const QString text = Windows1252::decode(all.constData(), all.size());
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
    EXPECT_EQ(text.at(0xE7), QChar(u'ç'));
    EXPECT_EQ(Windows1252::encode(text), all);
    EXPECT_EQ(Windows1252::encode(QStringLiteral("a€ção→")), QByteArray("a\x80\xE7\xE3o?"));
}
