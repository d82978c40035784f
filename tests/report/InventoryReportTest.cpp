#include "report/InventoryReport.h"

#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "report/ReportText.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "values/Windows1252.h"
#include "workbook/DataControl.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace Qt::StringLiterals;

namespace {

class Report : public ::testing::Test
{
protected:
    // Start-up's load of a copy of a workbook fixture.
    void load(const QString& fixture)
    {
        const QString workbook = profile.path(u"inventario.xls"_s);
        ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/") + fixture, workbook));
        data1.setDatabaseName(workbook);
        InventoryLoader loader(data1, tables, ui);
        QString first, second;
        ASSERT_TRUE(loader.loadAll(&first, &second)) << first.toStdString() << second.toStdString();
    }

    void article(const QString& code, const QString& description, double price, double conversion = 12)
    {
        tables.AdicionaArtigo(T(code), T(u"61"_s), T(u"01/12/2026"_s), T(description), N(price), T(u"CX"_s), T(u"UN"_s),
            N(conversion), T(u"d"_s), CellValue(), N(1), 0, 3);
    }

    void reading(const QString& code, const QString& centre, double quantity, const QString& family = u"61"_s)
    {
        tables.AdicionaLeitura(T(code), T(family), T(centre), T(u"UN"_s), N(quantity), N(0));
    }

    QByteArray runBytes(const QString& numerodeCaracteres = u"100"_s)
    {
        InventoryReport report(tables, data1, ui);
        QString error;
        EXPECT_TRUE(report.CriarFicheiroDeInventarios(reportPath(), numerodeCaracteres, &error)) << error.toStdString();
        EXPECT_EQ(ui.busyDepth, 0);
        QFile file(reportPath());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    // The lines of the report without their one-blank margin.
    QStringList run(const QString& numerodeCaracteres = u"100"_s)
    {
        QStringList lines = QString::fromLatin1(runBytes(numerodeCaracteres)).split(u"\r\n"_s);
        EXPECT_TRUE(lines.takeLast().isEmpty());
        for (QString& line : lines) {
            EXPECT_TRUE(line.startsWith(u' ')) << line.toStdString();
            line.remove(0, 1);
        }
        return lines;
    }

    QString reportPath() const { return profile.path(u"Report.txt"_s); }

    TestProfile profile;
    ScriptedInteraction ui;
    const Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
};

} // namespace

// Texts pad, and values and quantities written directly read, as the plain versions do (for numbers, the site's
// number text padded to its decimals). The cases pin the plain version of the numbers: halves to the even
// neighbour, no "-0,00", the leftmost digits lost.
TEST(ReportText, PadsAndWritesNumbersLikeThePlainVersionsOnRandomData)
{
    EXPECT_EQ(ReportText::valueText(0.125, 6), u"  0,12"_s);
    EXPECT_EQ(ReportText::valueText(0.375, 6), u"  0,38"_s);
    EXPECT_EQ(ReportText::valueText(-0.001, 6), u"  0,00"_s);
    EXPECT_EQ(ReportText::valueText(1234567.891, 6), u"567,89"_s);
    EXPECT_EQ(ReportText::quantityText(0.0625, 6), u" 0,062"_s);

    const auto padded = [](const QString& st, int size) {
        if (size < 1)
            return QString();
        const QString trimmed = Conversions::trimBlanks(st);
        return trimmed.size() >= size ? trimmed.left(size) : trimmed + QString(size - trimmed.size(), u' ');
    };
    std::mt19937 rng(4);
    for (int i = 0; i < 20000; ++i) {
        QString text;
        for (int k = int(rng() % 10); k > 0; --k)
            text += rng() % 3 ? QChar(char16_t(u'a' + rng() % 3)) : QChar(u' ');
        const int size = int(rng() % 14) - 2;
        ASSERT_EQ(ReportText::FormatStrSpaces2(text, size), padded(text, size)) << qPrintable(text) << ' ' << size;
    }

    const auto plain = [](double v, int decimals, int width) {
        const double scale = std::pow(10.0, decimals);
        const QString text = Conversions::numberToSiteText(std::nearbyint(v * scale) / scale);
        return decimals == 2 ? Conversions::FormatStrDecimais2(text, width)
                             : Conversions::FormatStrDecimais3(text, width);
    };
    rng.seed(5);
    std::uniform_real_distribution<double> exponent(-5.0, 16.0);
    for (int i = 0; i < 50000; ++i) {
        double v = std::pow(10.0, exponent(rng)) * (rng() % 2 ? -1 : 1);
        if (i % 4 == 0) // halves, where the rounding goes to the even neighbour
            v = (double(rng() % 2000000) + 0.5) / (i % 8 == 0 ? 100.0 : 1000.0);
        const int width = int(rng() % 20) - 2;
        ASSERT_EQ(ReportText::valueText(v, width), plain(v, 2, width)) << v << ' ' << width;
        ASSERT_EQ(ReportText::quantityText(v, width), plain(v, 3, width)) << v << ' ' << width;
        QByteArray bytes("|");
        ReportText::appendValue(bytes, v, width);
        ReportText::appendQuantity(bytes, v, width);
        ASSERT_EQ(bytes, "|" + Windows1252::encode(plain(v, 2, width) + plain(v, 3, width))) << v << ' ' << width;
    }
}

// See tests/fixtures/report/README.md for what the small site holds and shows.
TEST_F(Report, MatchesTheReportCheckedByHandForASmallSiteAndLinesNarrowAsTheSettingGrows)
{
    load(u"report/site-lo.xls"_s);
    QFile expected(QStringLiteral(TARVIK_FIXTURES "/report/site-report.txt"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(runBytes().toStdString(), expected.readAll().toStdString());
    EXPECT_TRUE(ui.messages.isEmpty());

    // Summary heading, family line, cost-centre total, separator, first detail heading, family heading, reading
    // line, reading line of a 4-character code, family total.
    const auto widths = [&](const QString& setting) {
        QList<qsizetype> found;
        const QStringList lines = run(setting);
        for (int i : { 0, 2, 3, 17, 19, 20, 22, 24, 26 })
            found.append(lines[i].size());
        return found;
    };
    const QList<qsizetype> at101 { 101, 101, 101, 101, 82, 101, 101, 100, 101 };
    EXPECT_EQ(widths(u"109"_s), at101);
    EXPECT_EQ(widths(u"108.6"_s), at101);
    // N+36 and N+33 would be negative: those columns shrink to nothing.
    EXPECT_EQ(widths(u"150"_s), (QList<qsizetype> { 60, 60, 60, 60, 82, 65, 68, 67, 60 }));
    EXPECT_EQ(run(u"100.5"_s)[17].size(), 109); // N is 8.5, which rounds to 8
    // Too large for the 16-bit width offset: it stays 0.
    EXPECT_EQ(widths(u"40000"_s), at101);
}

TEST_F(Report, PricesAReadingInStockUnitsPerStockUnit)
{
    article(u"10005"_s, u"Sumo de laranja"_s, 12);
    article(u"10006"_s, u"Lixívia"_s, 5, 6);
    reading(u"10005"_s, u"Bar"_s, 24);
    reading(u"10006"_s, u"Bar"_s, 3);
    tables.editArtigo(2).ConversaoCompraStock = 0;
    const QStringList lines = run();
    EXPECT_EQ(lines[10].mid(20 + 42).toStdString(), "          24,000 UN              1,00      24,00");
    // With no conversion there is no price per stock unit, but the reading is still listed.
    EXPECT_EQ(lines[9].mid(20 + 42).toStdString(), "           3,000 UN" + std::string(25, ' ') + "2,50");
}

TEST_F(Report, GroupsCostCentresByTheirTextAfterSortingByValue)
{
    article(u"1"_s, u"Batata"_s, 1);
    article(u"2"_s, u"Arroz"_s, 1);
    reading(u"1"_s, u"01"_s, 1);
    reading(u"2"_s, u"1"_s, 1);
    const QStringList lines = run();
    EXPECT_EQ(lines[0].left(16), u"Centro Custo 1  "_s);
    EXPECT_EQ(lines[4].left(16), u"Centro Custo 01 "_s);
}

// Families are found by the code asked for, trimmed.
TEST_F(Report, TakesEachReadingsAccountFromTheLastRowOfItsFamilyAndFindsFamilies)
{
    load(u"data/inventory-lo.xls"_s); // two rows for 62, no account for 64
    reading(u"1001"_s, u"1"_s, 1, u"64"_s);
    tables.editLeitura(4).ContaContab = u"antiga"_s;
    run();
    QStringList accounts;
    for (int slot = 1; slot <= 4; ++slot)
        accounts << tables.leitura(slot).ContaContab;
    EXPECT_EQ(accounts, (QStringList { u"3161"_s, u"3161"_s, u"3199"_s, u"antiga"_s }));
    tables.AdicionaContasContabilisticas(u" 65"_s, T(u" 65"_s), T(u"3165"_s), T(u"Outra"_s));
    EXPECT_EQ(ReportText::ProcuraConta(tables, u" 61 "_s), 1);
    EXPECT_EQ(ReportText::ProcuraConta(tables, u"65"_s), 0); // the stored code is not trimmed
}

TEST_F(Report, GoesOnWithoutAnAccountsSheetWritesWindows1252AndIgnoresWhatAnEmptyTableLeftInSlotOne)
{
    article(u"1"_s, u"Açúcar € Ωmega"_s, 2);
    reading(u"1"_s, u"Cozinha"_s, 1);
    EXPECT_TRUE(runBytes().contains("A\xe7\xfa"
                                    "car \x80 ?mega"));
    EXPECT_TRUE(ui.messages.isEmpty());

    tables.setNLeituras(0);
    const QString text = run().join(u'\n');
    EXPECT_EQ(text.count(u'\n'), 13);
    EXPECT_FALSE(text.contains(u"Cozinha"_s) || text.contains(u"mega"_s));
    EXPECT_EQ(text.count(u"Total :"_s), 3);
    EXPECT_EQ(text.count(u"      0,00"_s), 3);
}

TEST_F(Report, ReportsAFileItCannotWrite)
{
    InventoryReport report(tables, data1, ui);
    QString error;
    ASSERT_TRUE(QDir(profile.home()).mkdir(u"pasta"_s));
    // A folder that is not there, and a folder where the file should be.
    for (const QString& path : { profile.path(u"nao-existe/Report.txt"_s), profile.path(u"pasta"_s) }) {
        EXPECT_FALSE(report.CriarFicheiroDeInventarios(path, u"100"_s, &error));
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    EXPECT_EQ(ui.busyDepth, 0);
}
