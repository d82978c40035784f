#include "report/ReadingSort.h"

#include "platform/Clock.h"
#include "support/CellValues.h"
#include "support/ScriptedInteraction.h"
#include "support/TestProfile.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The neighbour-exchange passes, repeated until one exchanges nothing.
void sortByPasses(std::vector<Leitura>& readings, InventoryTables& tables)
{
    const auto val = [](const QString& s) { return Conversions::numericValue(s); };
    const auto desc = [&](const Leitura& l) { return tables.artigo(tables.ProcuraArtigo(l.CodArtigo)).DescArtigo; };
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (size_t i = 0; i + 1 < readings.size(); ++i) {
            Leitura& a = readings[i];
            Leitura& b = readings[i + 1];
            // Each test sees the pair as the one before may have left it.
            const auto exchangeIf = [&](bool wrong) {
                if (wrong) {
                    std::swap(a, b);
                    exchanged = true;
                }
            };
            exchangeIf(val(b.CentroCusto) < val(a.CentroCusto));
            if (val(b.CentroCusto) == val(a.CentroCusto)) {
                exchangeIf(val(b.FamiliaContabilista) < val(a.FamiliaContabilista));
                exchangeIf(val(b.FamiliaContabilista) == val(a.FamiliaContabilista) && desc(a) > desc(b));
            }
        }
    }
}

// What tells the readings apart, compared at once.
auto fields(const Leitura& l)
{
    return std::tuple(l.CodArtigo, l.FamiliaContabilista, l.CentroCusto, l.Unidade, l.QtEmUnidadeInventario);
}

} // namespace

TEST(OrdenarInventarios, GivesTheOrderOfTheExchangePasses)
{
    TestProfile profile;
    const QStringList centres { u"1"_s, u"01"_s, u"2"_s, u" 2"_s, u"10"_s, u"abc"_s, u""_s, u"1.5"_s, u"-1"_s,
        u"1e1"_s };
    const QStringList families { u"61"_s, u"062"_s, u"62"_s, u"x"_s, u""_s, u"61a"_s };
    const QStringList codes { u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s, u"77"_s, u"100000"_s };
    // Some alike in their first sixteen characters, which the sort keeps packed.
    const QStringList descriptions { u"Arroz"_s, u"arroz"_s, u"Água"_s, u""_s, u"Arroz"_s, u"Zimbro"_s,
        u"Azeite virgem extra 5 L"_s, u"Azeite virgem extra 1 L"_s, u"Azeite virgem extra"_s };
    std::mt19937 rng(3);
    const auto pick = [&](const QStringList& list) { return list.at(qsizetype(rng() % list.size())); };
    ScriptedInteraction ui;
    const Clock clock;
    InventoryTables tables(ui, clock);
    for (int round = 0; round < 300; ++round) {
        tables.setNArtigos(0);
        tables.setNLeituras(0);
        for (int c = 1; c <= 5; ++c)
            tables.AdicionaArtigo(T(QString::number(c)), T(u"61"_s), T(u"01/01/2026"_s), T(pick(descriptions)), N(1),
                T(u"UN"_s), T(u"UN"_s), N(1), T(u"d"_s), CellValue(), N(c), 0, 3);
        const int count = int(rng() % 40);
        for (int i = 0; i < count; ++i)
            tables.AdicionaLeitura(
                T(pick(codes)), T(pick(families)), T(pick(centres)), T(QString::number(i)), N(i), N(rng() % 2));
        std::vector<Leitura> expected;
        for (int i = 1; i <= tables.NLeituras(); ++i)
            expected.push_back(tables.leitura(i));
        sortByPasses(expected, tables);

        const std::vector<int> articles = ReadingSort::OrdenarInventarios(tables, ui);
        ASSERT_EQ(size_t(tables.NLeituras()), expected.size());
        for (int i = 1; i <= tables.NLeituras(); ++i) {
            ASSERT_EQ(fields(tables.leitura(i)), fields(expected[size_t(i - 1)]))
                << "round " << round << ", slot " << i;
            ASSERT_EQ(articles[size_t(i)], tables.ProcuraArtigo(tables.leitura(i).CodArtigo));
        }
        EXPECT_EQ(ui.busyDepth, 0);
    }
}
