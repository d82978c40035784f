#include "report/ReadingSort.h"

#include "platform/UserInteraction.h"
#include "tables/InventoryTables.h"
#include "values/Conversions.h"
#include "values/SortedTexts.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace ReadingSort {

namespace {

struct Key
{
    double centre;
    double family;
    SortedTexts::Key description; // the article's

    bool operator<(const Key& other) const
    {
        if (centre != other.centre)
            return centre < other.centre;
        if (family != other.family)
            return family < other.family;
        return description < other.description;
    }
};

} // namespace

std::vector<int> OrdenarInventarios(InventoryTables& tables, UserInteraction& ui)
{
    ui.setBusy(UserInteraction::Window::Main, true);
    const int n = tables.NLeituras();
    // Each reading's article is looked up once, not at every comparison.
    std::vector<int> articles(static_cast<size_t>(n));
    qsizetype characters = 0;
    for (int i = 1; i <= n; ++i) {
        articles[size_t(i - 1)] = tables.ProcuraArtigo(tables.leitura(i).CodArtigo);
        characters += tables.artigo(articles[size_t(i - 1)]).DescArtigo.size();
    }
    // Readings of one centre and family compare by description: side by side, with their first characters packed.
    SortedTexts descriptions(characters);
    std::vector<Key> keys;
    keys.reserve(size_t(n));
    for (int i = 1; i <= n; ++i) {
        const Leitura& l = tables.leitura(i);
        keys.push_back({ Conversions::numericValue(l.CentroCusto), Conversions::numericValue(l.FamiliaContabilista),
            descriptions.add(tables.artigo(articles[size_t(i - 1)]).DescArtigo) });
    }
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) { return keys[size_t(x)] < keys[size_t(y)]; });
    std::vector<Leitura> sorted;
    sorted.reserve(size_t(n));
    std::vector<int> sortedSlots(size_t(n) + 1, 0);
    for (size_t k = 0; k < order.size(); ++k) {
        sorted.push_back(std::move(tables.editLeitura(order[k] + 1)));
        sortedSlots[k + 1] = articles[size_t(order[k])];
    }
    for (int i = 1; i <= n; ++i)
        tables.editLeitura(i) = std::move(sorted[size_t(i - 1)]);
    ui.setBusy(UserInteraction::Window::Main, false);
    return sortedSlots;
}

void inverte(InventoryTables& tables, int a, int b)
{
    std::swap(tables.editLeitura(a), tables.editLeitura(b));
}

} // namespace ReadingSort
