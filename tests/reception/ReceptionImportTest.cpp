#include "reception/ReceptionImport.h"

#include "platform/Clock.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryLoader.h"
#include "tables/InventoryTables.h"
#include "tables/InventoryWriter.h"
#include "values/Conversions.h"
#include "workbook/DataControl.h"

#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString kRefused = u"Nome da tabela tem que ser FicheirodeRecepcoes! "_s;

QString fixture(const QString& name)
{
    return QStringLiteral(TARVIK_FIXTURES "/") + name;
}

// The inventory workbook of the data fixtures (articles 1001-1008, families 61-64, a correction for 1003),
// with a correction for 1001 that the reception file reproduces.
class Reception : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(fixture(u"data/inventory-lo.xls"_s), workbook));
        data1.setDatabaseName(workbook);
        InventoryWriter writer(data1, tables, ui);
        QString error;
        ASSERT_TRUE(writer.AdicionaArtigosExcepcao(T(u"1001"_s), T(u"61"_s), T(u"Açúcar branco 1 kg"_s), CellValue(),
                        T(u"CX"_s), T(u"UN"_s), T(u"12"_s), T(u"61"_s), &error)
            && data1.commit(&error))
            << error.toStdString();
        load(tables, data1);
    }

    static void load(InventoryTables& into, DataControl& data)
    {
        ScriptedInteraction quiet;
        InventoryLoader loader(data, into, quiet);
        QString first, second;
        ASSERT_TRUE(loader.loadAll(&first, &second)) << first.toStdString() << second.toStdString();
    }

    bool import(const QString& receptionFile)
    {
        ui.chosenFiles = { receptionFile };
        const CommandResult result = ReceptionImport(tables, data1, data2, ui, clock).ImportarFicheiro();
        error = result.messages().join(u'\n');
        return result.ending() == CommandResult::Ending::Done;
    }

    const Artigo& article(const char16_t* code)
    {
        return tables.artigo(tables.ProcuraArtigo(QString::fromUtf16(code)));
    }

    QByteArray workbookBytes() const
    {
        QFile file(workbook);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TestProfile profile;
    const QString workbook = profile.path(u"inventario.xls"_s);
    ScriptedInteraction ui;
    const Clock clock;
    InventoryTables tables { ui, clock };
    DataControl data1;
    DataControl data2;
    QString error;
};

} // namespace

TEST_F(Reception, MergesRowsReappliesCorrectionsFindsFamiliesAndSaves)
{
    ASSERT_TRUE(import(fixture(u"reception/reception-lo.xls"_s))) << error.toStdString();
    EXPECT_EQ(tables.NArtigos(), 9); // 2002's family does not exist; the blank code is skipped
    const Artigo& sugar = article(u"1001");
    EXPECT_EQ(std::tuple(sugar.PrecoCompraUnitario, sugar.DataRecepcao, sugar.DescFamiliaContabilista),
        std::tuple(9.1, 45361.0, u"Mercearia e pao"_s));
    EXPECT_EQ(sugar.DataUltimaImportacao, Conversions::dayNumberFromDateTime(clock.now()));
    // An older reception only marks the article.
    EXPECT_EQ(std::pair(article(u"1002").DescArtigo, article(u"1002").Origem), std::pair(u"Água mineral 1,5 L"_s, 1));
    // A new code twice: added by the first row, updated by the second of the same date.
    const Artigo& rice = article(u"2001");
    EXPECT_EQ(std::tuple(rice.ArtigoNovo, rice.Posicao, rice.DescArtigo, rice.ConversaoCompraStock),
        std::tuple(true, 9, u"Arroz carolino 1 kg"_s, 0.5));
    const Artigo& cream = article(u"2003");
    EXPECT_EQ(std::pair(cream.DataRecepcao, cream.UnidadeDeCompra),
        std::pair(*Conversions::siteTextToDate(u"15/03/2024"_s), u"Unidade"_s));
    // The correction for 1003 still differs from the reception: applied again, with its price. Its family
    // description is the last row of family 62.
    const Artigo& juice = article(u"1003");
    EXPECT_EQ(std::tuple(juice.Origem, juice.PrecoCompraUnitario, juice.DescFamiliaContabilista),
        std::tuple(2, 15.2, u"Bebidas (repetida)"_s));
    // A family is found by its description, accents aside but not case.
    ReceptionImport reception(tables, data1, data2, ui, clock);
    EXPECT_EQ(reception.Consulta_CodFamContabilisticaPorDesc(u"Lacticinios e ovos"_s), u"63"_s);
    EXPECT_EQ(reception.Consulta_CodFamContabilisticaPorDesc(u"Lacticínios e ovos"_s), u"63"_s);
    EXPECT_EQ(reception.Consulta_CodFamContabilisticaPorDesc(u"lacticínios e ovos"_s), QString());
    EXPECT_EQ(reception.Consulta_CodFamContabilisticaPorDesc(u"Família sem código"_s), QString());

    // Saved: the articles, and the correction for 1001 blanked since the reception now gives the same.
    InventoryTables saved(ui, clock);
    DataControl reread;
    reread.setDatabaseName(workbook);
    load(saved, reread);
    EXPECT_EQ(saved.artigo(saved.ProcuraArtigo(u"2003"_s)).Posicao, 10);
    reread.setRecordSource(u"Correccoes$"_s);
    ASSERT_TRUE(reread.Refresh(&error) && reread.MoveFirst(&error));
    EXPECT_EQ(reread.field(reread.column(u"CodArtigo"_s)), T(u"1003"_s));
    reread.MoveNext();
    EXPECT_TRUE(reread.field(reread.column(u"CodArtigo"_s)).isNull());
    EXPECT_TRUE(reread.field(reread.column(u"DescArtigo"_s)).isNull());
}

TEST_F(Reception, ReadsAMissingColumnAsEmpty)
{
    ASSERT_TRUE(import(fixture(u"reception/reception-no-price-lo.xls"_s))) << error.toStdString();
    EXPECT_EQ(article(u"1001").PrecoCompraUnitario, 8.5);
    EXPECT_EQ(article(u"1001").ConversaoCompraStock, 12);
    EXPECT_EQ(article(u"2001").PrecoCompraUnitario, 0);
}

// No reception rows, no choice or a save that fails: tables and workbook stay as they were.
TEST_F(Reception, ChangesNothingWithoutReceptionRowsAChoiceOrASave)
{
    const QByteArray before = workbookBytes();
    const QStringList files { fixture(u"reception/reception-other-sheet-lo.xls"_s),
        fixture(u"reception/reception-empty-lo.xls"_s), fixture(u"data/not-a-workbook.xls"_s),
        profile.path(u"nao-existe.xls"_s) };
    for (const QString& file : files) {
        EXPECT_FALSE(import(file)) << file.toStdString();
        EXPECT_TRUE(error.startsWith(kRefused) && error.size() > kRefused.size()) << error.toStdString();
    }
    EXPECT_FALSE(import(QString()));
    EXPECT_TRUE(error.isEmpty() && ui.messages.isEmpty());
    const QString lock = profile.path(u".~lock.inventario.xls#"_s);
    ASSERT_TRUE(QFile(lock).open(QIODevice::WriteOnly));
    EXPECT_FALSE(import(fixture(u"reception/reception-lo.xls"_s)));
    EXPECT_TRUE(error.contains(workbook)) << error.toStdString();
    EXPECT_EQ(std::tuple(tables.NArtigos(), article(u"1001").Origem, article(u"1001").PrecoCompraUnitario),
        std::tuple(7, 3, 8.5));
    EXPECT_EQ(workbookBytes(), before);

    // Nothing was half-applied: a second try gives the same positions as a first one.
    ASSERT_TRUE(QFile::remove(lock));
    ASSERT_TRUE(import(fixture(u"reception/reception-lo.xls"_s))) << error.toStdString();
    EXPECT_EQ(article(u"2001").Posicao, 9);
}
