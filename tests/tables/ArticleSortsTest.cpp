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

// From the empty table up: codes compare by character, a date of zero ("never imported") goes last, and the
// search follows each sort.
TEST_F(Sorts, MatchNeighbourExchangePassesOnRandomTables)
{
    std::mt19937 rng(3);
    const std::vector<std::pair<void (ArticleSorts::*)(), std::function<bool(const Artigo&, const Artigo&)>>> kinds {
        { &ArticleSorts::OrdenarArtigos, [](auto& a, auto& b) { return a.DescArtigo > b.DescArtigo; } },
        { &ArticleSorts::OrdenarArtigosPorData,
            [](auto& a, auto& b) { return a.DataUltimaImportacao < b.DataUltimaImportacao; } },
        { &ArticleSorts::OrdenarArtigosPorCodigo, [](auto& a, auto& b) { return a.CodArtigo > b.CodArtigo; } },
        { &ArticleSorts::OrdenarArtigosPorPosicao, [](auto& a, auto& b) { return a.Posicao < b.Posicao; } },
    };
    for (int round = 0; round < 40; ++round) {
        tables.setNArtigos(0);
        const int n = round < 2 ? round : int(rng() % 120);
        for (int i = 0; i < n; ++i) {
            // Texts that part only after their first sixteen characters, or on a NUL, compare in full.
            static const QString descs[] = { u"Açúcar"_s, u"arroz"_s, u"Arroz"_s, u"Óleo"_s, u"Zimbro"_s, QString(),
                u"Azeite virgem extra 5 L"_s, u"Azeite virgem extra 1 L"_s, u"Azeite virgem extra"_s,
                QString::fromUtf16(u"Arroz\0", 6), QString::fromUtf16(u"Arroz\0b", 7) };
            addArticle(u"C%1"_s.arg(i), descs[rng() % 11], rng() % 5 ? 46000.0 + rng() % 4 : 0.0, int(rng() % 5));
        }
        // Nearly sorted tables need few passes: the progress shows it.
        if (round % 4 == 0)
            sorts.OrdenarArtigos();
        const auto& [sort, wrong] = kinds[size_t(round) % kinds.size()];
        std::vector<Artigo> before;
        for (int i = 1; i <= tables.NArtigos(); ++i)
            before.push_back(tables.artigo(i));
        const auto [expectedCodes, expectedProgress] = bubble(before, wrong);
        tables.ProcuraArtigo(u"C0"_s); // builds the index the sort must renew
        (sorts.*sort)();
        QStringList sorted;
        for (int i = 1; i <= tables.NArtigos(); ++i)
            sorted << tables.artigo(i).CodArtigo;
        EXPECT_EQ(sorted, expectedCodes);
        EXPECT_EQ(ui.progress.last(), expectedProgress);
        EXPECT_EQ(tables.ProcuraArtigo(u"C0"_s), expectedCodes.indexOf(u"C0"_s) + 1);
    }
    EXPECT_EQ(ui.eventYields, 50); // one for each sort, those that left a table nearly sorted included
    EXPECT_EQ(ui.busyDepth, 0);
}

// A date that is no number sorts as a date of zero: after the others, in slot order.
TEST_F(Sorts, ByDateADateThatIsNoNumberGoesWithTheNeverImported)
{
    const double dates[] = { qQNaN(), 46001, 0, qInf(), 46003, qQNaN() };
    for (int i = 0; i < 6; ++i)
        addArticle(u"C%1"_s.arg(i), u"x"_s, dates[i], 0);
    sorts.OrdenarArtigosPorData();
    QStringList codes;
    for (int i = 1; i <= tables.NArtigos(); ++i)
        codes << tables.artigo(i).CodArtigo;
    EXPECT_EQ(codes, (QStringList { u"C4"_s, u"C1"_s, u"C0"_s, u"C2"_s, u"C3"_s, u"C5"_s }));
}
