#include "report/InventoryReport.h"

#include "app/Clock.h"
#include "app/SettingsStore.h"
#include "data/DataControl.h"
#include "data/InventoryLoader.h"
#include "data/InventoryTables.h"
#include "data/InventoryWorkbook.h"
#include "report/ReportText.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

CellValue T(const QString& text)
{
    return CellValue::text(text);
}

class Report : public ::testing::Test
{
protected:
    // A family in TabContas and its row of Contabilistica$, where the report takes the accounts from.
    void family(const QString& conta, const QString& account, const QString& description)
    {
        tables.AdicionaContasContabilisticas(conta, T(conta), T(account), T(description));
        accountRows.push_back({ T(conta), T(account) });
    }

    void article(const QString& code, const QString& description, double price, const QString& purchaseUnit = u"UN"_s,
        const QString& stockUnit = u"UN"_s, double conversion = 1)
    {
        tables.AdicionaArtigo(T(code), T(u"61"_s), T(u"01/12/2026"_s), T(description), CellValue::number(price),
            T(purchaseUnit), T(stockUnit), CellValue::number(conversion), T(u"d"_s), CellValue(), CellValue::number(1),
            0, 3);
    }

    void reading(const QString& code, const QString& centre, double quantity, const QString& unit = u"UN"_s)
    {
        tables.AdicionaLeitura(
            T(code), T(u"61"_s), T(centre), T(unit), CellValue::number(quantity), CellValue::number(0));
    }

    void writeWorkbook()
    {
        if (!data1.DatabaseName().isEmpty())
            return;
        const QString path = profile.path(u"inventario.xls"_s);
        QString error;
        ASSERT_TRUE(InventoryWorkbook::create(path, &error)) << error.toStdString();
        data1.setDatabaseName(path);
        data1.setRecordSource(u"Contabilistica$"_s);
        ASSERT_TRUE(data1.Refresh(&error));
        for (const auto& [conta, account] : accountRows) {
            ASSERT_TRUE(data1.AddNew(&error) && data1.setField(u"CONTA"_s, conta, &error)
                && data1.setField(u"CONTACONTABILISTICA"_s, account, &error) && data1.Update(&error));
        }
        ASSERT_TRUE(data1.commit(&error)) << error.toStdString();
    }

    QByteArray runBytes(const QString& numerodeCaracteres = u"100"_s)
    {
        writeWorkbook();
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
    std::vector<std::pair<CellValue, CellValue>> accountRows;
};

} // namespace

TEST(ReportText, PadsAndFormatsTheColumns)
{
    EXPECT_EQ(ReportText::FormatStrSpaces2(u"  Arroz  "_s, 7), u"Arroz  "_s);
    EXPECT_EQ(ReportText::FormatStrSpaces2(u"Arroz agulha"_s, 5), u"Arroz"_s);
    EXPECT_EQ(ReportText::FormatStrSpaces2(u"Arroz"_s, -4), QString());
    EXPECT_EQ(ReportText::valueText(0.125, 6), u"  0,12"_s);
    EXPECT_EQ(ReportText::valueText(0.375, 6), u"  0,38"_s);
    EXPECT_EQ(ReportText::valueText(-0.001, 6), u"  0,00"_s);
    EXPECT_EQ(ReportText::valueText(1234567.891, 6), u"567,89"_s);
    EXPECT_EQ(ReportText::quantityText(0.0625, 6), u" 0,062"_s);
}

TEST_F(Report, ProcuraContaAndMostraDescricaoArtigo)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    family(u" 62"_s, u"3162"_s, u"Bebidas"_s);
    EXPECT_EQ(ReportText::ProcuraConta(tables, u" 61 "_s), 1);
    EXPECT_EQ(ReportText::ProcuraConta(tables, u"62"_s), 0); // the stored code is not trimmed
    article(u"1001"_s, u" Arroz agulha"_s, 1);
    EXPECT_EQ(ReportText::MostraDescricaoArtigo(tables, u"1001"_s, 8), u"Arroz ag"_s);
    EXPECT_EQ(ReportText::MostraDescricaoArtigo(tables, u"1002"_s, 6), u"1002  "_s);
}

TEST_F(Report, MatchesTheReportCheckedByHandForASmallSite)
{
    const QString workbook = profile.path(u"site.xls"_s);
    ASSERT_TRUE(QFile::copy(QStringLiteral(TARVIK_FIXTURES "/report/site-lo.xls"), workbook));
    data1.setDatabaseName(workbook);
    InventoryLoader loader(data1, tables, ui);
    QString first, second;
    ASSERT_TRUE(loader.loadAll(&first, &second)) << first.toStdString() << second.toStdString();
    QFile expected(QStringLiteral(TARVIK_FIXTURES "/report/site-report.txt"));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_EQ(runBytes().toStdString(), expected.readAll().toStdString());
    EXPECT_TRUE(ui.messages.isEmpty());
}

TEST_F(Report, LinesNarrowAsTheSettingGrows)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    article(u"1001"_s, u"Arroz agulha"_s, 2.5);
    reading(u"1001"_s, u"Cozinha"_s, 4);
    // Summary heading, family line, cost-centre total, separator, family heading, reading line (a 4-character
    // code), family total.
    const auto widths = [&](const QString& setting) {
        const QStringList lines = run(setting);
        return QList<qsizetype> { lines[0].size(), lines[2].size(), lines[3].size(), lines[5].size(), lines[8].size(),
            lines[10].size(), lines[12].size() };
    };
    const QList<qsizetype> at101 { 101, 101, 101, 101, 101, 100, 101 };
    EXPECT_EQ(widths(u"109"_s), at101);
    EXPECT_EQ(widths(u"108.6"_s), at101);
    // N+36 and N+33 would be negative: those columns shrink to nothing.
    EXPECT_EQ(widths(u"150"_s), (QList<qsizetype> { 60, 60, 60, 60, 65, 67, 60 }));
    // Too large for the 16-bit width offset: it stays 0.
    EXPECT_EQ(widths(u"40000"_s), at101);
}

TEST_F(Report, PricesAReadingInStockUnitsPerStockUnit)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    article(u"10005"_s, u"Sumo de laranja"_s, 12, u"CX"_s, u"UN"_s, 12);
    article(u"10006"_s, u"Lixívia"_s, 5, u"CX"_s, u"UN"_s, 6);
    reading(u"10005"_s, u"Bar"_s, 24);
    reading(u"10006"_s, u"Bar"_s, 3);
    tables.editArtigo(2).ConversaoCompraStock = 0;
    const QStringList lines = run();
    const QString columns = QString(5, u' ') + u"     24,000 UN              1,00      24,00"_s;
    EXPECT_EQ(lines[11].mid(20 + 42), columns);
    // With no conversion there is no price per stock unit: the reading is listed without one.
    EXPECT_EQ(
        lines[10].mid(20 + 42), QString(5, u' ') + u"      3,000 UN       "_s + QString(11, u' ') + u"       2,50"_s);
}

TEST_F(Report, GroupsCostCentresByTheirTextAfterSortingByValue)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    article(u"1"_s, u"Batata"_s, 1);
    article(u"2"_s, u"Arroz"_s, 1);
    reading(u"1"_s, u"01"_s, 1);
    reading(u"2"_s, u"1"_s, 1);
    const QStringList lines = run();
    EXPECT_EQ(lines[0].left(16), u"Centro Custo 1  "_s);
    EXPECT_EQ(lines[5].left(16), u"Centro Custo 01 "_s);
}

TEST_F(Report, IgnoresWhatAnEmptyTableLeftInSlotOne)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    article(u"1"_s, u"Arroz"_s, 5);
    reading(u"1"_s, u"Cozinha"_s, 3);
    tables.setNLeituras(0);
    const QString text = run().join(u'\n');
    EXPECT_EQ(text.count(u'\n'), 13);
    EXPECT_FALSE(text.contains(u"Cozinha"_s) || text.contains(u"3161"_s) || text.contains(u"15,00"_s));
    EXPECT_EQ(text.count(u"Total :"_s), 3);
    EXPECT_EQ(text.count(u"      0,00"_s), 3);
}

TEST_F(Report, TakesEachReadingsAccountFromTheLastRowOfItsFamily)
{
    family(u"61"_s, u"3161"_s, u"Mercearia"_s);
    family(u"62"_s, u"3162"_s, u"Bebidas"_s);
    accountRows.push_back({ T(u"61"_s), T(u"3199"_s) });
    accountRows.push_back({ CellValue::number(62), T(u"3100"_s) }); // a number is no family code
    accountRows.push_back({ T(u"62"_s), CellValue() });
    const QStringList families { u"61"_s, u"62"_s, u"63"_s };
    for (const QString& f : families)
        tables.AdicionaLeitura(T(u"1"_s), T(f), T(u"1"_s), T(u"UN"_s), CellValue::number(1), CellValue::number(0));
    tables.editLeitura(3).ContaContab = u"antiga"_s;
    run();
    EXPECT_EQ(tables.leitura(1).ContaContab, u"3199"_s);
    EXPECT_EQ(tables.leitura(2).ContaContab, u"3162"_s);
    EXPECT_EQ(tables.leitura(3).ContaContab, u"antiga"_s);
}

TEST_F(Report, GoesOnWithoutAnAccountsSheetAndWritesWindows1252)
{
    article(u"1"_s, u"Açúcar € Ωmega"_s, 2);
    reading(u"1"_s, u"1"_s, 1);
    InventoryReport report(tables, data1, ui); // no workbook at all
    QString error;
    ASSERT_TRUE(report.CriarFicheiroDeInventarios(reportPath(), u"100"_s, &error)) << error.toStdString();
    QFile file(reportPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("A\xe7\xfa"
                                        "car \x80 ?mega"));
}

TEST_F(Report, ReportsAFileItCannotWrite)
{
    InventoryReport report(tables, data1, ui);
    QString error;
    const QString missingFolder = profile.path(u"nao-existe/Report.txt"_s);
    EXPECT_FALSE(report.CriarFicheiroDeInventarios(missingFolder, u"100"_s, &error));
    EXPECT_TRUE(error.contains(missingFolder)) << error.toStdString();
    ASSERT_TRUE(QDir(profile.home()).mkdir(u"pasta"_s));
    EXPECT_FALSE(report.CriarFicheiroDeInventarios(profile.path(u"pasta"_s), u"100"_s, &error));
    EXPECT_TRUE(error.contains(profile.path(u"pasta"_s))) << error.toStdString();
    EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(Report, FollowsTheSettingsAndPlacesADrivePathUnderTheDataRoot)
{
    {
        SettingsStore settings;
        settings.setValue(SettingsKeys::FicheiroDeReport, u"c:\\relatorios\\Inventario.txt"_s);
        settings.setValue(SettingsKeys::NumerodeCaracteres, u"109"_s);
        QString error;
        ASSERT_TRUE(settings.sync(&error));
    }
    InventoryReport report(tables, data1, ui);
    QString error;
    ASSERT_TRUE(report.CriarFicheiroDeInventarios(&error)) << error.toStdString();
    QFile file(profile.path(u"c/relatorios/Inventario.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readLine().size(), 1 + 101 + 2);
}
