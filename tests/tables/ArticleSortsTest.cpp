#include "tables/ArticleSorts.h"

#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "tables/InventoryTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

class Sorts : public ::testing::Test
{
protected:
    void addArticle(const QString& code, const QString& desc, double date, int posicao)
    {
        tables.AdicionaArtigo(CellValue::text(code), CellValue(), CellValue::number(46000), CellValue::text(desc),
            CellValue(), CellValue(), CellValue(), CellValue(), CellValue(), CellValue::date(date),
            CellValue::number(posicao), 0, 3);
        // A date of zero is "never imported": the add leaves it unset.
        tables.editArtigo(tables.NArtigos()).DataUltimaImportacao = date;
    }

    QStringList codes() const
    {
        QStringList list;
        for (int i = 1; i <= tables.NArtigos(); ++i)
            list << tables.artigo(i).CodArtigo;
        return list;
    }

    ScriptedInteraction ui;
    Clock clock;
    InventoryTables tables { ui, clock };
    ArticleSorts sorts { tables, ui };
};

// The neighbour-exchange passes as written, the reference for the fast sorts: codes in final order and the
// progress of the last pass.
std::pair<QStringList, int> bubble(
    std::vector<Artigo> a, const std::function<bool(const Artigo&, const Artigo&)>& wrong)
{
    int passes = 0;
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 0; i + 1 < a.size(); ++i) {
            if (wrong(a[i], a[i + 1])) {
                std::swap(a[i], a[i + 1]);
                exchanged = true;
            }
        }
        ++passes;
    }
    QStringList codes;
    for (const Artigo& x : a)
        codes << x.CodArtigo;
    return { codes, a.empty() ? 100 : int(std::nearbyint(double(passes) / double(a.size()) * 100.0)) };
}

} // namespace

TEST_F(Sorts, OrdenarArtigosPorCodigoComparesCharacterCodes)
{
    addArticle(QStringLiteral("A"), QStringLiteral("x"), 0, 1);
    addArticle(QStringLiteral("9"), QStringLiteral("x"), 0, 2);
    addArticle(QStringLiteral("10"), QStringLiteral("x"), 0, 3);
    sorts.OrdenarArtigosPorCodigo();
    EXPECT_EQ(codes(), (QStringList { QStringLiteral("10"), QStringLiteral("9"), QStringLiteral("A") }));
    EXPECT_EQ(tables.ProcuraArtigo(QStringLiteral("A")), 3);
    EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(Sorts, DateAndPositionSortsPutNewestFirstAndNeverImportedLast)
{
    addArticle(QStringLiteral("1"), QStringLiteral("b"), 0, 5);
    addArticle(QStringLiteral("2"), QStringLiteral("a"), 46000, 9);
    addArticle(QStringLiteral("3"), QStringLiteral("b"), 46100, 1);
    sorts.OrdenarArtigosPorData();
    EXPECT_EQ(codes(), (QStringList { QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1") }));
    sorts.OrdenarArtigosPorPosicao();
    EXPECT_EQ(codes(), (QStringList { QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3") }));
    sorts.OrdenarArtigos(); // equal descriptions keep the previous order
    EXPECT_EQ(codes(), (QStringList { QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("3") }));
}

TEST_F(Sorts, TinyTablesReportFullProgress)
{
    sorts.OrdenarArtigos();
    addArticle(QStringLiteral("1"), QStringLiteral("a"), 0, 1);
    sorts.OrdenarArtigos();
    EXPECT_EQ(ui.progress, (QList<int> { 100, 100 }));
    EXPECT_EQ(ui.eventYields, 2);
}

TEST_F(Sorts, MatchNeighbourExchangePassesOnRandomTables)
{
    std::mt19937 rng(3);
    const std::vector<std::pair<void (ArticleSorts::*)(), std::function<bool(const Artigo&, const Artigo&)>>> kinds {
        { &ArticleSorts::OrdenarArtigos, [](const Artigo& a, const Artigo& b) { return a.DescArtigo > b.DescArtigo; } },
        { &ArticleSorts::OrdenarArtigosPorData,
            [](const Artigo& a, const Artigo& b) { return a.DataUltimaImportacao < b.DataUltimaImportacao; } },
        { &ArticleSorts::OrdenarArtigosPorCodigo,
            [](const Artigo& a, const Artigo& b) { return a.CodArtigo > b.CodArtigo; } },
        { &ArticleSorts::OrdenarArtigosPorPosicao,
            [](const Artigo& a, const Artigo& b) { return a.Posicao < b.Posicao; } },
    };
    for (int round = 0; round < 40; ++round) {
        tables.setNArtigos(0);
        const int n = int(rng() % 120);
        for (int i = 0; i < n; ++i) {
            // Texts that part only after their first sixteen characters, or on a NUL, compare in full.
            static const QString descs[] = { QStringLiteral("Açúcar"), QStringLiteral("arroz"), QStringLiteral("Arroz"),
                QStringLiteral("Óleo"), QStringLiteral("Zimbro"), QString(), QStringLiteral("Azeite virgem extra 5 L"),
                QStringLiteral("Azeite virgem extra 1 L"), QStringLiteral("Azeite virgem extra"),
                QString::fromUtf16(u"Arroz\0", 6), QString::fromUtf16(u"Arroz\0b", 7) };
            addArticle(QStringLiteral("C%1").arg(i), descs[rng() % 11], 46000 + rng() % 4, int(rng() % 5));
        }
        // Nearly sorted tables need few passes: the progress shows it.
        if (round % 4 == 0)
            sorts.OrdenarArtigos();
        const auto& [sort, wrong] = kinds[size_t(round) % kinds.size()];
        std::vector<Artigo> before;
        for (int i = 1; i <= tables.NArtigos(); ++i)
            before.push_back(tables.artigo(i));
        const auto [expectedCodes, expectedProgress] = bubble(before, wrong);
        (sorts.*sort)();
        EXPECT_EQ(codes(), expectedCodes);
        EXPECT_EQ(ui.progress.last(), expectedProgress);
    }
}
