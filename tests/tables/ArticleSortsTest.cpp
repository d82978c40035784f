#include "tables/ArticleSorts.h"

#include "platform/Clock.h"
#include "support/ScriptedInteraction.h"
#include "tables/InventoryTables.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace Qt::StringLiterals;

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

// The exchange passes below check the orders at large; here, the extremes and that the search follows a sort.
TEST_F(Sorts, CodesCompareByCharacterNeverImportedGoLastAndTheSearchFollows)
{
    addArticle(u"A"_s, u"b"_s, 46100, 5);
    addArticle(u"9"_s, u"a"_s, 0, 9);
    addArticle(u"10"_s, u"b"_s, 46000, 1);
    sorts.OrdenarArtigosPorCodigo();
    EXPECT_EQ(codes(), (QStringList { u"10"_s, u"9"_s, u"A"_s }));
    EXPECT_EQ(tables.ProcuraArtigo(u"A"_s), 3);
    sorts.OrdenarArtigosPorData();
    EXPECT_EQ(codes(), (QStringList { u"A"_s, u"10"_s, u"9"_s }));
    EXPECT_EQ(tables.ProcuraArtigo(u"A"_s), 1);
    EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(Sorts, TinyTablesReportFullProgress)
{
    sorts.OrdenarArtigos();
    addArticle(u"1"_s, u"a"_s, 0, 1);
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
            static const QString descs[] = { u"Açúcar"_s, u"arroz"_s, u"Arroz"_s, u"Óleo"_s, u"Zimbro"_s, QString(),
                u"Azeite virgem extra 5 L"_s, u"Azeite virgem extra 1 L"_s, u"Azeite virgem extra"_s,
                QString::fromUtf16(u"Arroz\0", 6), QString::fromUtf16(u"Arroz\0b", 7) };
            addArticle(u"C%1"_s.arg(i), descs[rng() % 11], 46000 + rng() % 4, int(rng() % 5));
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
