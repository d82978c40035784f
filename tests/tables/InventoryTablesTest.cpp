#include "tables/InventoryTables.h"

#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "values/Conversions.h"

#include <gtest/gtest.h>

#include <random>

namespace {

CellValue T(const char* text)
{
    return CellValue::text(QString::fromUtf8(text));
}

CellValue N(double v)
{
    return CellValue::number(v);
}

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 6), QTime(10, 30)); }
};

class Tables : public ::testing::Test
{
protected:
    // An article row as a reception (Origem 1) or the Artigos$ sheet (Origem 3) would give it.
    int add(const char* code, int origem, const char* date = "01/12/2026", const CellValue& conversion = N(12),
        const char* family = "F1", int check = 0, const CellValue& price = N(2.5), const char* desc = "Arroz")
    {
        return tables.AdicionaArtigo(T(code), T(family), T(date), T(desc), price, T("CX"), T("UN"), conversion,
            T("Mercearia"), T("05/12/2026"), N(7), check, origem);
    }

    ScriptedInteraction ui;
    FixedClock clock;
    InventoryTables tables { ui, clock };
};

} // namespace

TEST_F(Tables, AdicionaArtigoRefusesBlankCodesAndMissingDates)
{
    const auto withCodeAndDate = [&](const CellValue& code, const CellValue& date) {
        return tables.AdicionaArtigo(
            code, T("F"), date, T("x"), N(1), T("a"), T("b"), N(1), T("d"), CellValue(), N(1), 0, 3);
    };
    EXPECT_EQ(add("   ", 3), 0);
    EXPECT_EQ(withCodeAndDate(CellValue(), T("01/01/2026")), 0);
    EXPECT_EQ(add("100", 3, ""), 0);
    EXPECT_EQ(withCodeAndDate(T("100"), CellValue()), 0);
    EXPECT_EQ(tables.NArtigos(), 0);
    EXPECT_EQ(tables.NLeituras(), 0);
}

// Slot 0 stays empty: the first article goes to slot 1.
TEST_F(Tables, AdicionaArtigoWritesTheFieldsOfALoadedArticle)
{
    ASSERT_EQ(tables.AdicionaArtigo(T(" 100 "), T("F1"), T("01/12/2026"), T(" Arroz "), T("2.5"), T("CX"), T("UN"),
                  T("0,5"), T("Mercearia"), T("05/12/2026"), T("2.5"), 0, 3),
        1);
    EXPECT_TRUE(tables.artigo(0).CodArtigo.isEmpty());
    const Artigo& a = tables.artigo(1);
    EXPECT_EQ(a.CodArtigo, QStringLiteral("100"));
    EXPECT_EQ(a.DescArtigo, QStringLiteral(" Arroz "));
    EXPECT_EQ(a.DataRecepcao, 46357);
    EXPECT_EQ(a.PrecoCompraUnitario, 2.5);
    EXPECT_EQ(a.UnidadeDeCompra, QStringLiteral("CX"));
    EXPECT_EQ(a.ConversaoCompraStock, 0.5);
    EXPECT_EQ(a.DataUltimaImportacao, 46361);
    EXPECT_EQ(a.Posicao, 2);
    EXPECT_EQ(a.Origem, 3);
    EXPECT_FALSE(a.ArtigoNovo);
}

TEST_F(Tables, AdicionaArtigoTakesUnidadeWhenTheConversionIsNotPositive)
{
    for (const CellValue& conversion : { N(0), T(""), N(-2), T("abc"), CellValue() }) {
        ASSERT_EQ(add("200", 3, "01/12/2026", conversion), 1);
        EXPECT_EQ(tables.artigo(1).UnidadeDeCompra, QStringLiteral("Unidade"));
        EXPECT_EQ(tables.artigo(1).UnidadeDeStock, QStringLiteral("Unidade"));
        EXPECT_EQ(tables.artigo(1).ConversaoCompraStock, 1);
    }
}

TEST_F(Tables, ReceptionNeedsAKnownFamilyOnlyForNewArticles)
{
    EXPECT_EQ(add("300", 1, "01/12/2026", N(12), "F9", 1), 0);
    EXPECT_EQ(tables.NArtigos(), 0);
    tables.AdicionaContasContabilisticas(QStringLiteral("F9"), T(" F9 "), T("61"), T("Bebidas"));
    add("300", 3);
    EXPECT_EQ(add("300", 1, "02/12/2026", N(12), "ZZ", 1), 1);
    EXPECT_EQ(tables.artigo(1).CodFamContabilista, QStringLiteral("ZZ"));
    EXPECT_EQ(add("301", 1, "02/12/2026", N(12), "F9", 1), 2);
    EXPECT_TRUE(tables.artigo(2).ArtigoNovo);
}

TEST_F(Tables, OlderReceptionOnlyMarksTheArticle)
{
    add("100", 3, "10/12/2026");
    EXPECT_EQ(tables.AdicionaArtigo(T("100"), T("F2"), T("01/12/2026"), T("Novo"), N(9), T("a"), T("b"), N(3), T("d"),
                  T("20/12/2026"), N(1), 0, 1),
        0);
    const Artigo& a = tables.artigo(1);
    EXPECT_EQ(a.DescArtigo, QStringLiteral("Arroz"));
    EXPECT_EQ(a.PrecoCompraUnitario, 2.5);
    EXPECT_EQ(a.Origem, 1);
    EXPECT_EQ(a.DataUltimaImportacao, *Conversions::siteTextToDate(QStringLiteral("20/12/2026")));
}

TEST_F(Tables, NewArticlesTakePositionsAfterTheLargest)
{
    add("1", 3); // Posicao 7 from the sheet
    EXPECT_EQ(add("2", 1), 2);
    EXPECT_EQ(tables.AdicionaArtigo(T("3"), T("F"), CellValue(), T("Falta"), CellValue(), CellValue(), CellValue(),
                  CellValue(), CellValue(), CellValue(), CellValue(), 0, 4),
        3);
    EXPECT_EQ(tables.artigo(2).Posicao, 8);
    EXPECT_EQ(tables.artigo(3).Posicao, 9);
    EXPECT_EQ(tables.artigo(3).DataRecepcao, Conversions::dayNumberFromDateTime(clock.now()));
    EXPECT_EQ(tables.MaxPosicao(), 9);
}

TEST_F(Tables, UnchangedCorrectionIsSkippedUnlessItBringsANewPrice)
{
    add("100", 1);
    const auto correct = [&](const CellValue& price) {
        return tables.AdicionaArtigo(
            T(" 100"), T("F1 "), N(0), T("Arroz"), price, T("CX"), T("UN"), T("12"), T("Mercearia"), N(0), N(0), 0, 2);
    };
    EXPECT_EQ(correct(N(2.5)), 0);
    EXPECT_EQ(correct(N(0)), 0);
    EXPECT_EQ(correct(CellValue()), 0);
    EXPECT_EQ(correct(T(" ")), 0);
    EXPECT_EQ(correct(N(3)), 1);
    EXPECT_EQ(tables.artigo(1).PrecoCompraUnitario, 3);
    EXPECT_EQ(tables.artigo(1).Origem, 2);
}

TEST_F(Tables, FreedSlotsBehaveLikeNeverUsedOnes)
{
    add("1", 3);
    add("2", 3, "01/12/2030");
    tables.editArtigo(2).ArtigoNovo = true;
    tables.setNArtigos(1);
    ASSERT_EQ(add("3", 3, "01/12/2020"), 2);
    EXPECT_FALSE(tables.artigo(2).ArtigoNovo);
    EXPECT_EQ(tables.artigo(2).CodArtigo, QStringLiteral("3"));
    EXPECT_EQ(tables.ProcuraArtigo(QStringLiteral("2")), 0);
}

TEST_F(Tables, FullTablesRefuseAndSaySoOnce)
{
    for (int i = 1; i <= InventoryTables::CapacidadeArtigos; ++i)
        tables.AdicionaArtigo(CellValue::text(QString::number(i)), T("F"), N(46000), T("d"), N(1), T("a"), T("a"), N(1),
            T("f"), CellValue(), N(i), 0, 3);
    ASSERT_EQ(tables.NArtigos(), InventoryTables::CapacidadeArtigos);
    EXPECT_EQ(add("x1", 1), 0);
    EXPECT_EQ(add("x2", 4), 0);
    EXPECT_EQ(tables.NArtigos(), InventoryTables::CapacidadeArtigos);
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("cheia")));
    EXPECT_EQ(add("5", 1, "01/01/2027"), 5); // updates still work

    for (int i = 0; i <= InventoryTables::CapacidadeContas; ++i)
        tables.AdicionaContasContabilisticas(QString::number(i), CellValue::text(QString::number(i)), T("6"), T("d"));
    EXPECT_EQ(tables.NContas(), InventoryTables::CapacidadeContas);
    EXPECT_EQ(ui.messages.size(), 2);
}

TEST_F(Tables, ContasKeepTheFirstOfDuplicateCodesAndStopAtAnEmptyCell)
{
    tables.AdicionaContasContabilisticas(QStringLiteral("A"), T("A"), T("611"), T("Carnes"));
    tables.AdicionaContasContabilisticas(QStringLiteral("A"), T("A"), T("622"), T("Outra"));
    tables.AdicionaContasContabilisticas(QString(), CellValue(), T("9"), T("x"));
    tables.AdicionaContasContabilisticas(QStringLiteral("B"), T("B"), CellValue(), T("Peixe"));
    ASSERT_EQ(tables.NContas(), 2);
    EXPECT_EQ(tables.conta(1).DesConta, QStringLiteral("Carnes"));
    EXPECT_EQ(tables.conta(1).ContaContab, QStringLiteral("611"));
    EXPECT_EQ(tables.conta(2).Conta, QStringLiteral("B"));
    EXPECT_TRUE(tables.conta(2).DesConta.isEmpty());
}

// Where an entry goes is checked against a plain list below; here, the fields as stored.
TEST_F(Tables, AdicionaCodigosBarrasTrimsTheFieldsAndSkipsAMissingCode)
{
    tables.AdicionaCodigosBarras(T(" 10 "), T(" CX "), T(" 333 "));
    tables.AdicionaCodigosBarras(CellValue(), T("UN"), T("9"));
    ASSERT_EQ(tables.NCodBarras(), 1);
    EXPECT_EQ(tables.codigoBarras(1).CodArtigo.toText(), QStringLiteral("10"));
    EXPECT_EQ(tables.codigoBarras(1).Unidade.toText(), QStringLiteral("CX"));
    EXPECT_EQ(tables.codigoBarras(1).CodBarras.toText(), QStringLiteral("333"));
    EXPECT_TRUE(tables.codigoBarras(0).CodArtigo.isNull());
}

TEST_F(Tables, AdicionaLeituraMergesEqualReadingsAndConvertsToPurchaseUnits)
{
    add("100", 3); // CX of 12 UN
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("UN"), N(20), N(0));
    tables.AdicionaLeitura(T(" 100"), T("F1"), T("BAR"), T("UN"), T("4"), N(1));
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("CX"), N(2), N(0));
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("UN"), N(0), N(0));
    tables.AdicionaLeitura(T("  "), T("F1"), T("BAR"), T("UN"), N(1), N(0));
    tables.AdicionaLeitura(CellValue(), CellValue(), CellValue(), CellValue(), CellValue(), CellValue());
    ASSERT_EQ(tables.NLeituras(), 2);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeInventario, 24);
    EXPECT_EQ(tables.leitura(1).QtEmUnidadeCompra, 2);
    EXPECT_EQ(tables.leitura(1).LeituraDuvidosa, 1);
    EXPECT_EQ(tables.leitura(2).QtEmUnidadeCompra, 2);
}

// Exact matches of texts are checked against plain scans below.
TEST_F(Tables, ProcuraArtigoTakesNumbersAndReportsCodesAboveTheLimit)
{
    add("100", 3);
    EXPECT_EQ(tables.ProcuraArtigo(N(100)), 1);
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(tables.ProcuraArtigo(QStringLiteral("100000")), 0);
    EXPECT_EQ(ui.messages, QStringList { QStringLiteral("ERRO CODARTIGO>99999") });
}

// Plain versions of the searches, scanning in slot order as the reference for the indexed ones.
TEST_F(Tables, IndexedSearchesMatchPlainScansOnRandomTables)
{
    std::mt19937 rng(42);
    const auto code = [&] {
        static const char* pads[] = { "", " ", "  " };
        return CellValue::text(
            QString::fromLatin1(pads[rng() % 3]) + QString::number(rng() % 300) + QString::fromLatin1(pads[rng() % 3]));
    };
    struct Entry
    {
        QString code, unit, barcode;
    };
    std::vector<Entry> barcodes;
    std::vector<std::array<QString, 4>> readings;
    std::vector<double> quantities;
    for (int step = 0; step < 4000; ++step) {
        const CellValue c = code();
        const QString trimmed = Conversions::trimBlanks(c.toText());
        switch (rng() % 4) {
        case 0: {
            int expected = 0;
            for (int i = 1; i <= tables.NArtigos() && !expected; ++i)
                expected = Conversions::trimBlanks(tables.artigo(i).CodArtigo) == trimmed ? i : 0;
            const int slot = add(qPrintable(c.toText()), 3, "01/01/2026", N(1));
            EXPECT_EQ(slot, expected ? expected : tables.NArtigos());
            break;
        }
        case 1: {
            const QString unit = rng() % 5 ? QStringLiteral("U%1").arg(rng() % 3) : QString();
            const QString barcode = rng() % 6 ? QStringLiteral("B%1").arg(rng() % 40) : QString();
            tables.AdicionaCodigosBarras(c, CellValue::text(unit), CellValue::text(barcode));
            bool done = false;
            for (Entry& e : barcodes) {
                if (e.code == trimmed && e.barcode == barcode && !barcode.isEmpty() && !unit.isEmpty()) {
                    e.unit = unit;
                    done = true;
                    break;
                }
            }
            for (size_t i = 0; i < barcodes.size() && !done; ++i) {
                if (barcodes[i].code == trimmed) {
                    barcodes.insert(barcodes.begin() + long(i), Entry { trimmed, unit, barcode });
                    done = true;
                }
            }
            if (!done && !barcode.isEmpty())
                barcodes.push_back(Entry { trimmed, unit, barcode });
            break;
        }
        case 2: {
            const std::array<QString, 4> key { trimmed, QStringLiteral("F%1").arg(rng() % 2),
                QStringLiteral("C%1").arg(rng() % 2), QStringLiteral("U%1").arg(rng() % 2) };
            tables.AdicionaLeitura(
                c, CellValue::text(key[1]), CellValue::text(key[2]), CellValue::text(key[3]), N(1), N(0));
            const auto found = std::find(readings.begin(), readings.end(), key);
            if (found != readings.end())
                quantities[size_t(found - readings.begin())] += 1;
            else if (!trimmed.isEmpty()) {
                readings.push_back(key);
                quantities.push_back(1);
            }
            if (rng() % 50 == 0 && !readings.empty()) {
                // Editors change a reading's unit in place; the index must find it under the new one.
                const size_t i = rng() % readings.size();
                readings[i][3] = QStringLiteral("U%1").arg(rng() % 3);
                if (std::count(readings.begin(), readings.end(), readings[i]) == 1)
                    tables.editLeitura(int(i) + 1).Unidade = readings[i][3];
                else
                    readings[i][3] = tables.leitura(int(i) + 1).Unidade;
            }
            break;
        }
        default: {
            int expected = 0;
            for (int i = 1; i <= tables.NArtigos() && !expected; ++i)
                expected = tables.artigo(i).CodArtigo == c.toText() ? i : 0;
            EXPECT_EQ(tables.ProcuraArtigo(c), expected);
            if (rng() % 50 == 0 && tables.NArtigos() > 2) {
                // Editors write codes straight into the table.
                tables.editArtigo(int(rng() % tables.NArtigos()) + 1).CodArtigo = c.toText();
            }
        }
        }
    }
    ASSERT_EQ(tables.NCodBarras(), int(barcodes.size()));
    for (size_t i = 0; i < barcodes.size(); ++i) {
        const CodigoBarras& e = tables.codigoBarras(int(i) + 1);
        EXPECT_EQ(e.CodArtigo.toText(), barcodes[i].code);
        EXPECT_EQ(e.Unidade.toText(), barcodes[i].unit);
        EXPECT_EQ(e.CodBarras.toText(), barcodes[i].barcode);
    }
    ASSERT_EQ(tables.NLeituras(), int(readings.size()));
    for (size_t i = 0; i < readings.size(); ++i) {
        EXPECT_EQ(tables.leitura(int(i) + 1).CodArtigo, readings[i][0]);
        EXPECT_EQ(tables.leitura(int(i) + 1).QtEmUnidadeInventario, quantities[i]);
    }
}
