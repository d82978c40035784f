#include "tables/InventoryTables.h"

#include "platform/Clock.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "values/Conversions.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

class FixedClock : public Clock
{
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 6), QTime(10, 30)); }
};

class Tables : public ::testing::Test
{
protected:
    // An article row as a reception (Origem 1) or the Artigos$ sheet (Origem 3) would give it.
    int add(const char* code, int origem, const CellValue& date = T("01/12/2026"), const CellValue& conversion = N(12),
        const char* family = "F1", int check = 0)
    {
        return tables.AdicionaArtigo(T(code), T(family), date, T("Arroz"), N(2.5), T("CX"), T("UN"), conversion,
            T("Mercearia"), T("05/12/2026"), N(7), check, origem);
    }

    ScriptedInteraction ui;
    FixedClock clock;
    InventoryTables tables { ui, clock };
};

} // namespace

// Slot 0 stays empty: the first article goes to slot 1.
TEST_F(Tables, AdicionaArtigoRefusesBlankCodesAndMissingDatesAndWritesTheFieldsOfALoadedArticle)
{
    EXPECT_EQ(add("   ", 3), 0);
    EXPECT_EQ(add("100", 3, T("")), 0);
    EXPECT_EQ(add("100", 3, CellValue()), 0);
    ASSERT_EQ(tables.AdicionaArtigo(T(" 100 "), T("F1"), T("01/12/2026"), T(" Arroz "), T("2.5"), T("CX"), T("UN"),
                  T("0,5"), T("Mercearia"), T("05/12/2026"), T("2.5"), 0, 3),
        1);
    const Artigo& a = tables.artigo(1);
    EXPECT_EQ(std::tuple(a.CodArtigo, a.DescArtigo, a.UnidadeDeCompra, a.DataRecepcao, a.PrecoCompraUnitario,
                  a.ConversaoCompraStock, a.DataUltimaImportacao, a.Posicao, a.Origem, a.ArtigoNovo),
        std::tuple(u"100"_s, u" Arroz "_s, u"CX"_s, 46357.0, 2.5, 0.5, 46361.0, 2, 3, false));

    // Numbers find the code; codes above the limit are reported.
    EXPECT_EQ(tables.ProcuraArtigo(N(100)), 1);
    EXPECT_EQ(tables.ProcuraArtigo(u"100000"_s), 0);
    EXPECT_EQ(ui.messages, QStringList { u"ERRO CODARTIGO>99999"_s });

    for (const CellValue& conversion : { N(0), T(""), N(-2), T("abc"), CellValue() }) {
        ASSERT_EQ(add("200", 3, T("01/12/2026"), conversion), 2);
        EXPECT_EQ(std::tuple(tables.artigo(2).UnidadeDeCompra, tables.artigo(2).UnidadeDeStock,
                      tables.artigo(2).ConversaoCompraStock),
            std::tuple(u"Unidade"_s, u"Unidade"_s, 1.0));
    }
}

// Only a new article needs a known family; an older reception only marks the article; new articles take the
// positions after the largest.
TEST_F(Tables, NewArticlesNeedAKnownFamilyAndTakeTheNextPositionsWhileOlderReceptionsOnlyMark)
{
    EXPECT_EQ(add("300", 1, T("01/12/2026"), N(12), "F9", 1), 0);
    tables.AdicionaContasContabilisticas(u"F9"_s, T(" F9 "), T("61"), T("Bebidas"));
    ASSERT_EQ(add("300", 3, T("10/12/2026")), 1); // Posicao 7 from the sheet
    EXPECT_EQ(tables.AdicionaArtigo(T("300"), T("F2"), T("01/12/2026"), T("Novo"), N(9), T("a"), T("b"), N(3), T("d"),
                  T("20/12/2026"), N(1), 0, 1),
        0);
    const Artigo& a = tables.artigo(1);
    EXPECT_EQ(std::tuple(a.DescArtigo, a.PrecoCompraUnitario, a.Origem, a.DataUltimaImportacao),
        std::tuple(u"Arroz"_s, 2.5, 1, *Conversions::siteTextToDate(u"20/12/2026"_s)));
    EXPECT_EQ(add("300", 1, T("11/12/2026"), N(12), "ZZ", 1), 1);
    EXPECT_EQ(tables.artigo(1).CodFamContabilista, u"ZZ"_s);

    EXPECT_EQ(add("301", 1, T("02/12/2026"), N(12), "F9", 1), 2);
    EXPECT_TRUE(tables.artigo(2).ArtigoNovo);
    EXPECT_EQ(tables.AdicionaArtigo(T("3"), T("F"), CellValue(), T("Falta"), CellValue(), CellValue(), CellValue(),
                  CellValue(), CellValue(), CellValue(), CellValue(), 0, 4),
        3);
    EXPECT_EQ(std::tuple(tables.artigo(2).Posicao, tables.artigo(3).Posicao, tables.MaxPosicao()), std::tuple(8, 9, 9));
    EXPECT_EQ(tables.artigo(3).DataRecepcao, Conversions::dayNumberFromDateTime(clock.now()));
}

TEST_F(Tables, UnchangedCorrectionIsSkippedUnlessItBringsANewPrice)
{
    add("100", 1);
    const auto correct = [&](const CellValue& price) {
        return tables.AdicionaArtigo(
            T(" 100"), T("F1 "), N(0), T("Arroz"), price, T("CX"), T("UN"), T("12"), T("Mercearia"), N(0), N(0), 0, 2);
    };
    for (const CellValue& price : { N(2.5), N(0), CellValue(), T(" ") })
        EXPECT_EQ(correct(price), 0) << price.toText().toStdString();
    EXPECT_EQ(correct(N(3)), 1);
    EXPECT_EQ(std::pair(tables.artigo(1).PrecoCompraUnitario, tables.artigo(1).Origem), std::pair(3.0, 2));
}

TEST_F(Tables, FreedSlotsBehaveLikeNeverUsedOnes)
{
    add("1", 3);
    add("2", 3, T("01/12/2030"));
    tables.editArtigo(2).ArtigoNovo = true;
    tables.setNArtigos(1);
    ASSERT_EQ(add("3", 3, T("01/12/2020")), 2);
    EXPECT_EQ(std::pair(tables.artigo(2).CodArtigo, tables.artigo(2).ArtigoNovo), std::pair(u"3"_s, false));
    EXPECT_EQ(tables.ProcuraArtigo(u"2"_s), 0);
}

TEST_F(Tables, FullTablesRefuseAndSaySoOnce)
{
    for (int i = 1; i <= InventoryTables::CapacidadeArtigos; ++i)
        tables.AdicionaArtigo(T(QString::number(i)), T("F"), N(46000), T("d"), N(1), T("a"), T("a"), N(1), T("f"),
            CellValue(), N(i), 0, 3);
    ASSERT_EQ(tables.NArtigos(), InventoryTables::CapacidadeArtigos);
    EXPECT_EQ(add("x1", 1), 0);
    EXPECT_EQ(add("x2", 4), 0);
    EXPECT_TRUE(ui.messages.size() == 1 && ui.messages[0].contains(u"cheia"_s));
    EXPECT_EQ(add("5", 1, T("01/01/2027")), 5); // updates still work

    for (int i = 0; i <= InventoryTables::CapacidadeContas; ++i)
        tables.AdicionaContasContabilisticas(QString::number(i), T(QString::number(i)), T("6"), T("d"));
    EXPECT_EQ(tables.NContas(), InventoryTables::CapacidadeContas);
    EXPECT_EQ(ui.messages.size(), 2);
}

// Where an entry goes is checked against plain lists below; here, the fields as stored.
TEST_F(Tables, TheOtherTablesSkipMissingCodesAndKeepTheFieldsAsStored)
{
    // Contas keep the first of duplicate codes; an empty cell stops the row.
    tables.AdicionaContasContabilisticas(u"A"_s, T("A"), T("611"), T("Carnes"));
    tables.AdicionaContasContabilisticas(u"A"_s, T("A"), T("622"), T("Outra"));
    tables.AdicionaContasContabilisticas(QString(), CellValue(), T("9"), T("x"));
    tables.AdicionaContasContabilisticas(u"B"_s, T("B"), CellValue(), T("Peixe"));
    ASSERT_EQ(tables.NContas(), 2);
    EXPECT_EQ(std::tuple(tables.conta(1).ContaContab, tables.conta(2).Conta, tables.conta(2).DesConta),
        std::tuple(u"611"_s, u"B"_s, QString()));

    tables.AdicionaCodigosBarras(T(" 10 "), T(" CX "), T(" 333 "));
    tables.AdicionaCodigosBarras(CellValue(), T("UN"), T("9"));
    ASSERT_EQ(tables.NCodBarras(), 1);
    const CodigoBarras& entry = tables.codigoBarras(1);
    EXPECT_EQ(QStringList({ entry.CodArtigo.toText(), entry.Unidade.toText(), entry.CodBarras.toText() }),
        QStringList({ u"10"_s, u"CX"_s, u"333"_s }));

    // Equal readings merge, and quantities in the stock unit convert to purchase units.
    add("100", 3); // CX of 12 UN
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("UN"), N(20), N(0));
    tables.AdicionaLeitura(T(" 100"), T("F1"), T("BAR"), T("UN"), T("4"), N(1));
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("CX"), N(2), N(0));
    tables.AdicionaLeitura(T("100"), T("F1"), T("BAR"), T("UN"), N(0), N(0));
    tables.AdicionaLeitura(T("  "), T("F1"), T("BAR"), T("UN"), N(1), N(0));
    tables.AdicionaLeitura(CellValue(), CellValue(), CellValue(), CellValue(), CellValue(), CellValue());
    ASSERT_EQ(tables.NLeituras(), 2);
    const Leitura& merged = tables.leitura(1);
    EXPECT_EQ(std::tuple(merged.QtEmUnidadeInventario, merged.QtEmUnidadeCompra, merged.LeituraDuvidosa),
        std::tuple(24.0, 2.0, 1.0));
    EXPECT_EQ(tables.leitura(2).QtEmUnidadeCompra, 2);
}

// Plain versions of the searches, scanning in slot order as the reference for the indexed ones.
TEST_F(Tables, IndexedSearchesMatchPlainScansOnRandomTables)
{
    std::mt19937 rng(42);
    const auto code = [&] {
        static const char* pads[] = { "", " ", "  " };
        return T(
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
            const int slot = add(qPrintable(c.toText()), 3, T("01/01/2026"), N(1));
            EXPECT_EQ(slot, expected ? expected : tables.NArtigos());
            break;
        }
        case 1: {
            const QString unit = rng() % 5 ? QStringLiteral("U%1").arg(rng() % 3) : QString();
            const QString barcode = rng() % 6 ? QStringLiteral("B%1").arg(rng() % 40) : QString();
            tables.AdicionaCodigosBarras(c, T(unit), T(barcode));
            // A known barcode of the code takes the unit; otherwise the entry goes in front of its code's others.
            const auto first = [&](bool sameBarcode) {
                return std::find_if(barcodes.begin(), barcodes.end(),
                    [&](const Entry& e) { return e.code == trimmed && (!sameBarcode || e.barcode == barcode); });
            };
            if (const auto same = first(true); same != barcodes.end() && !barcode.isEmpty() && !unit.isEmpty())
                same->unit = unit;
            else if (const auto group = first(false); group != barcodes.end())
                barcodes.insert(group, Entry { trimmed, unit, barcode });
            else if (!barcode.isEmpty())
                barcodes.push_back(Entry { trimmed, unit, barcode });
            break;
        }
        case 2: {
            const std::array<QString, 4> key { trimmed, QStringLiteral("F%1").arg(rng() % 2),
                QStringLiteral("C%1").arg(rng() % 2), QStringLiteral("U%1").arg(rng() % 2) };
            tables.AdicionaLeitura(c, T(key[1]), T(key[2]), T(key[3]), N(1), N(0));
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
        EXPECT_EQ(QStringList({ e.CodArtigo.toText(), e.Unidade.toText(), e.CodBarras.toText() }),
            QStringList({ barcodes[i].code, barcodes[i].unit, barcodes[i].barcode }));
    }
    ASSERT_EQ(tables.NLeituras(), int(readings.size()));
    for (size_t i = 0; i < readings.size(); ++i) {
        const Leitura& l = tables.leitura(int(i) + 1);
        EXPECT_EQ(std::pair(l.CodArtigo, l.QtEmUnidadeInventario), std::pair(readings[i][0], quantities[i]));
    }
}
